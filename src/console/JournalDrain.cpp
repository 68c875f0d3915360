#include "JournalDrain.h"

#include "GameProgress.h"
#include "TodayCache.h"

#include <QElapsedTimer>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcDrain, "homeplate.console.drain", QtInfoMsg)

namespace hp::console {

namespace {
constexpr int kRetryMs = 2000;
// A statement of the drain that takes longer has met a frozen server.
constexpr int kBoundMs = 5000;
constexpr qsizetype kBatch = 200;
constexpr int kBatchMs = 50;
} // namespace

JournalDrain::JournalDrain(Preparation preparation)
    : m_preparation(std::move(preparation))
    , m_retry(new QTimer(this))
{
    m_retry->setInterval(kRetryMs);
    m_retry->setSingleShot(true);
    QObject::connect(m_retry, &QTimer::timeout, this, &JournalDrain::drain);
}

JournalDrain::~JournalDrain() = default;

void JournalDrain::add(const QList<Journal::Unit>& units, const QString& connectionString)
{
    const bool changed = connectionString != m_connection;
    if (changed) {
        m_db.reset();
        m_connection = connectionString;
    }
    m_queue += units;
    if (changed || !m_retry->isActive())
        nudge();
}

void JournalDrain::nudge()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    m_retry->stop();
    // Queued, so that units added meanwhile join the queue between batches.
    QMetaObject::invokeMethod(this, &JournalDrain::drain, Qt::QueuedConnection);
}

void JournalDrain::lost(const QString& words)
{
    qCWarning(lcDrain).noquote() << "waiting:" << words;
    m_db.reset();
    emit unreachable(words);
    m_retry->start();
}

bool JournalDrain::connect()
{
    auto opened = db::Database::open(m_connection, db::Database::Pooling::Fresh,
                                     db::Database::Missing::Refuse, kBoundMs);
    if (!opened) {
        lost(opened.error());
        return false;
    }
    m_db = std::move(opened.value());
    if (m_preparation)
        for (const db::Statement& s : m_preparation(m_db->engine()))
            if (const auto r = m_db->exec(s.sql, s.values); !r) {
                lost(r.error());
                return false;
            }
    const auto identity = db::gameIdentity(*m_db);
    if (!identity) {
        lost(identity.error());
        return false;
    }
    if (!m_queue.isEmpty() && identity->game != m_queue.first().game) {
        m_queue.clear();
        emit otherGame(identity->game, identity->lastSeq);
        return false;
    }
    m_lastSeq = identity->lastSeq;
    qCDebug(lcDrain) << "connected: game" << identity->game << "last" << m_lastSeq << "waiting"
                     << m_queue.size();
    return true;
}

void JournalDrain::drain()
{
    m_scheduled = false;
    if (m_queue.isEmpty())
        return;
    if (!m_db && !connect())
        return;
    // Units stored before (a journal read again after a crash) are skipped.
    int skipped = 0;
    while (!m_queue.isEmpty() && m_queue.first().seq <= m_lastSeq) {
        m_through = m_queue.takeFirst().seq;
        ++skipped;
    }
    if (skipped > 0)
        emit stored(m_through, skipped);
    QElapsedTimer spent;
    spent.start();
    while (!m_queue.isEmpty() && spent.elapsed() < kBatchMs)
        if (!storeBatch(kBatch))
            return;
    if (!m_queue.isEmpty()) {
        nudge();
        return;
    }
    QJsonObject tables;
    if (m_refusedSince && m_db) {
        TodayCache fresh;
        for (const QString& table : TodayCache::todayTables())
            if (const auto rows = m_db->query(QStringLiteral("SELECT * FROM ") + table))
                fresh.keep(table, *rows);
        tables = fresh.snapshot();
    }
    m_refusedSince = false;
    emit drained(m_through, tables);
}

bool JournalDrain::storeBatch(qsizetype size)
{
    const QList<Journal::Unit> batch = m_queue.mid(0, size);
    QString refusal;
    bool otherGameFound = false;
    const auto done = m_db->transaction([&]() -> Result<Done> {
        for (const Journal::Unit& unit : batch) {
            const auto r = db::storeUnit(*m_db, {unit.seq, unit.game, unit.statements});
            if (!r)
                return Result<Done>::failure(r.error());
            if (*r == db::UnitOutcome::OtherGame) {
                otherGameFound = true;
                return Result<Done>::failure(QStringLiteral("另一場比賽"));
            }
        }
        return success();
    });
    if (otherGameFound) {
        // The tables were given a new game while the units waited: connect()
        // finds out and says so. Should the tables still hold the game of
        // the queue's head, a later unit of the batch is of another game:
        // the units before it are stored one by one, and a unit that can be
        // stored neither way is said, not waited on in silence.
        qCDebug(lcDrain) << "another game in the tables at" << batch.first().seq;
        m_db.reset();
        if (!connect())
            return false;
        if (batch.size() > 1)
            return storeBatch(1);
        lost(QStringLiteral("動作%1屬於比賽 %2,資料表的比賽進度沒有它")
                 .arg(QString::number(batch.first().seq), batch.first().game));
        return false;
    }
    if (!done && m_db->lastFailureUnreachable()) {
        lost(done.error());
        return false;
    }
    if (!done) {
        if (batch.size() > 1)
            return storeBatch(1); // find the unit refused, storing those before it
        qCWarning(lcDrain).noquote() << "set aside:" << done.error();
        m_refusedSince = true;
        m_through = batch.first().seq;
        m_lastSeq = qMax(m_lastSeq, m_through);
        m_queue.removeFirst();
        emit refused(m_through, done.error());
        emit stored(m_through, 0);
        return true;
    }
    m_queue.remove(0, batch.size());
    qCDebug(lcDrain) << "stored" << batch.first().seq << "to" << batch.last().seq;
    m_through = batch.last().seq;
    m_lastSeq = m_through;
    emit stored(m_through, int(batch.size()));
    return true;
}

} // namespace hp::console
