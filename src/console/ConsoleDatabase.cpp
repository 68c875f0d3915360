#include "ConsoleDatabase.h"

#include "GameProgress.h"
#include "JournalDrain.h"

#include <QLoggingCategory>
#include <utility>

Q_LOGGING_CATEGORY(lcConsoleDb, "homeplate.console.db")

namespace hp::console {

namespace {
constexpr int kRetryMs = 2000;
// The longest the window waits on the database; a lock another session
// holds is waited for a little less, so that it fails as a lock.
constexpr int kBoundMs = 250;
constexpr int kLockWaitMs = 200;
} // namespace

ConsoleDatabase::ConsoleDatabase(std::function<QString()> connectionString, QObject* parent)
    : QObject(parent)
    , m_connectionString(std::move(connectionString))
{
    m_retry.setInterval(kRetryMs);
    QObject::connect(&m_retry, &QTimer::timeout, this, &ConsoleDatabase::retry);
}

ConsoleDatabase::~ConsoleDatabase()
{
    if (m_thread.isRunning()) {
        m_thread.quit();
        m_thread.wait();
    }
}

ConsoleDatabase::Action::Action(ConsoleDatabase& db)
    : m_db(db)
{
    m_db.begin();
}

ConsoleDatabase::Action::~Action()
{
    const bool outermost = m_db.m_depth == 1;
    m_db.end();
    if (!outermost)
        return;
    // Whoever follows the change (the prepared graphics read the tables in
    // units of their own) must not hide how this action ended from its caller.
    const bool failed = m_db.m_actionFailed;
    const QString refusal = m_db.m_refusal;
    emit m_db.actionEnded();
    m_db.m_actionFailed = failed;
    m_db.m_refusal = refusal;
}

void ConsoleDatabase::setPreparation(
    std::function<Statements(db::ConnectionSettings::Engine)> preparation)
{
    m_preparation = std::move(preparation);
    m_prepared.clear();
}

void ConsoleDatabase::setJournal(std::unique_ptr<Journal> journal)
{
    m_journal = std::move(journal);
    m_cache = {};
    if (!m_journal)
        return;
    m_journal->load();
    for (const QString& problem : m_journal->problems())
        emit failed(problem);
    if (!m_journal->hasPending())
        return;
    m_game = m_journal->game();
    m_nextSeq = m_journal->lastSeq() + 1;
    // The rows as the waiting actions leave them, for an opening while the
    // database is still away.
    m_cache.restore(m_journal->tables());
    for (const Journal::Unit& unit : m_journal->pending())
        if (unit.seq > m_journal->tablesThrough())
            m_cache.apply(unit.statements);
    // Whose actions they are is asked now, briefly, so that an opening on
    // another game's tables does not show this journal's rows.
    const QString connection = m_connectionString();
    if (auto opened = db::Database::open(connection, db::Database::Pooling::Pooled,
                                         db::Database::Missing::Refuse, kBoundMs)) {
        if (!learnGame(*opened.value(), connection)) {
            m_identityFor.clear();
        } else if (m_journal->hasPending() && m_journal->lastSeq() <= m_storedSeq) {
            // Stored already (a journal that could not be removed, a crash
            // after the last unit): its rows are older than the tables'.
            unitsStored(m_storedSeq, 0);
            m_cache = {};
        }
    }
    if (!m_journal->hasPending())
        return;
    emit waiting(waitingUnits(), QStringLiteral("上次關閉前未寫入的動作"));
    startDrain();
}

Result<Done> ConsoleDatabase::learnGame(db::Database& db, const QString& connection)
{
    if (m_preparation && m_prepared != connection) {
        for (const Statement& s : m_preparation(db.engine()))
            if (const auto r = db.exec(s.sql, s.values); !r)
                return db::asDone(r);
        m_prepared = connection;
    }
    if (m_identityFor == connection)
        return success();
    const auto identity = db::gameIdentity(db);
    if (!identity)
        return db::asDone(identity);
    m_storedSeq = identity->lastSeq;
    if (m_journal && m_journal->hasPending() && m_journal->game() != identity->game) {
        setJournalAside();
        m_cache = {};
    }
    if (identity->game != m_game) {
        m_game = identity->game;
        m_nextSeq = identity->lastSeq + 1;
    } else {
        m_nextSeq = qMax(m_nextSeq, identity->lastSeq + 1);
    }
    m_identityFor = connection;
    return success();
}

void ConsoleDatabase::setJournalAside()
{
    const QString file = m_journal->fileName();
    const QString database = m_journal->database();
    const auto aside = m_journal->setAside();
    const QString words = aside ? QStringLiteral("動作日誌 %1 是另一場比賽或另一個資料庫(%2)的動作,"
                                                 "沒有寫入這一場,已改名為 %3")
                                      .arg(file, database, *aside)
                                : aside.error();
    qCWarning(lcConsoleDb).noquote() << words;
    m_forwarded = 0;
    m_refused = 0;
    emit setAside(words);
}

void ConsoleDatabase::startDrain()
{
    if (!m_drain) {
        m_drain = new JournalDrain(m_preparation);
        m_drain->moveToThread(&m_thread);
        QObject::connect(&m_thread, &QThread::finished, m_drain, &QObject::deleteLater);
        QObject::connect(m_drain, &JournalDrain::stored, this, &ConsoleDatabase::unitsStored);
        QObject::connect(m_drain, &JournalDrain::refused, this, &ConsoleDatabase::unitRefused);
        QObject::connect(m_drain, &JournalDrain::otherGame, this, &ConsoleDatabase::otherGame);
        QObject::connect(m_drain, &JournalDrain::unreachable, this, &ConsoleDatabase::stillAway);
        QObject::connect(m_drain, &JournalDrain::drained, this, &ConsoleDatabase::drained);
        m_thread.setObjectName(QStringLiteral("journal drain"));
        m_thread.start();
    }
    post(m_journal->pending());
}

void ConsoleDatabase::post(const QList<Journal::Unit>& units)
{
    if (!m_drain) {
        startDrain();
        return;
    }
    JournalDrain* drain = m_drain;
    QMetaObject::invokeMethod(
        m_drain,
        [drain, units, connection = m_connectionString()] { drain->add(units, connection); },
        Qt::QueuedConnection);
}

void ConsoleDatabase::unitsStored(qint64 through, int units)
{
    if (!m_journal)
        return;
    m_forwarded += units;
    if (const auto removed = m_journal->stored(through); !removed) {
        qCWarning(lcConsoleDb).noquote() << removed.error();
        emit failed(removed.error());
    }
}

void ConsoleDatabase::unitRefused(qint64 seq, const QString& error)
{
    if (!m_journal)
        return;
    for (const Journal::Unit& unit : m_journal->pending()) {
        if (unit.seq != seq)
            continue;
        ++m_refused;
        m_refusal = error;
        reportJournal(m_journal->reject(unit, error));
        return;
    }
}

void ConsoleDatabase::otherGame(const QString& game, qint64 lastSeq)
{
    if (!m_journal || !m_journal->hasPending())
        return;
    setJournalAside();
    m_game = game;
    m_nextSeq = lastSeq + 1;
    m_identityFor.clear();
    m_downReported = false;
    // The kept rows were the other game's.
    m_cache = {};
    keepGameTables();
}

void ConsoleDatabase::stillAway(const QString& words)
{
    // A retry that found the database still away changes nothing to say.
    if (words == m_outage || !m_journal || !m_journal->hasPending())
        return;
    m_outage = words;
    if (m_journal->unwritten() == 0)
        emit waiting(waitingUnits(), words);
}

void ConsoleDatabase::drained(qint64 through, const QJsonObject& tables)
{
    if (!m_journal || m_journal->hasPending())
        return; // more were made meanwhile: the drain has them
    Q_UNUSED(through);
    if (!tables.isEmpty())
        m_cache.restore(tables); // the kept rows had the refused actions in them
    m_downReported = false;
    m_outage.clear();
    if (m_journal->unwritten() == 0)
        m_retry.stop();
    emit forwarded(m_forwarded);
    if (m_refused > 0)
        emit failed(QStringLiteral("資料庫拒絕了%1筆等待寫入的動作,已放在 %2: %3")
                        .arg(QString::number(m_refused), m_journal->rejectedFileName(), m_refusal));
    m_forwarded = 0;
    m_refused = 0;
}

void ConsoleDatabase::begin()
{
    if (m_depth++ == 0) {
        m_actionFailed = false;
        m_wrote = false;
        m_offline = false;
        m_unit.clear();
        m_words.clear();
        m_unanswered = false;
        m_refusal.clear();
        if (m_began)
            m_began();
    }
}

void ConsoleDatabase::setCommitStep(std::function<Result<Done>()> step, std::function<void()> undo)
{
    m_commitStep = std::move(step);
    m_undoCommitStep = std::move(undo);
}

void ConsoleDatabase::end()
{
    if (m_depth == 1 && m_closing && !m_actionFailed && !m_unit.isEmpty()) {
        // Still inside the action: these join its unit.
        if (const Statements closing = m_closing(m_unit); !closing.isEmpty())
            store(closing);
    }
    if (--m_depth > 0)
        return;
    const auto step = std::exchange(m_commitStep, {});
    const auto undoStep = std::exchange(m_undoCommitStep, {});
    bool stepDone = false;
    bool stepFailed = false;
    bool stored = false;
    if (m_db && m_inTransaction && !m_actionFailed && !m_unit.isEmpty()) {
        // The game's last sequence moves on in the action's own transaction.
        const auto advanced = db::advanceGame(*m_db, m_game, m_nextSeq);
        if (!advanced) {
            failure(advanced.error(), m_db->lastFailureUnreachable());
        } else if (*advanced != db::UnitOutcome::Stored) {
            m_identityFor.clear();
            fail(QStringLiteral("資料庫裡已是另一場比賽(重新按過GO),這個動作沒有寫入"));
        }
    }
    if (step && !m_actionFailed) {
        if (const auto r = step()) {
            stepDone = true;
        } else {
            stepFailed = true;
            m_actionFailed = true;
            m_refusal = r.error();
        }
    }
    if (m_db && m_inTransaction) {
        if (m_actionFailed) {
            m_db->rollback();
        } else if (const auto committed = m_db->commit(); !committed) {
            failure(committed.error(), m_db->lastFailureUnreachable());
        } else {
            stored = !m_unit.isEmpty();
        }
    }
    m_inTransaction = false;
    m_db.reset();
    if (stored)
        ++m_nextSeq;
    if (stepDone && m_actionFailed && undoStep)
        undoStep();
    if (m_offline && stepFailed) {
        // Not kept: the rows go back to what they were before the action.
        m_cache = m_cacheBeforeUnit;
        m_offline = false;
    }
    m_cacheBeforeUnit = {};
    if (m_offline) {
        keepUnit();
        return;
    }
    if (stepFailed)
        return;
    if (m_actionFailed) {
        if (m_journal && !m_unit.isEmpty())
            reportJournal(
                m_journal->reject({0, m_game, QDateTime::currentDateTime(), m_unit}, m_refusal));
        return;
    }
    m_cache.apply(m_unit);
    if (m_wrote && m_downReported) {
        m_downReported = false;
        emit recovered();
    }
}

void ConsoleDatabase::fail(const QString& error)
{
    qCWarning(lcConsoleDb).noquote() << error;
    m_actionFailed = true;
    m_downReported = true;
    m_refusal = error;
    emit failed(error);
}

void ConsoleDatabase::failure(const QString& error, bool unreachable)
{
    // Only with the game's rows at hand: an action made without them would
    // store what it did not know.
    if (unreachable && m_journal && !m_cache.empty())
        goOffline(error);
    else
        fail(error);
}

void ConsoleDatabase::goOffline(const QString& words)
{
    qCWarning(lcConsoleDb).noquote() << "kept in the journal:" << words;
    m_offline = true;
    m_words = words;
    if (m_db && m_inTransaction)
        m_db->rollback();
    m_inTransaction = false;
    m_db.reset();
    // What the action wrote so far went with the transaction: its rows are
    // kept here, and the statements wait in the journal.
    m_cacheBeforeUnit = m_cache;
    m_cache.apply(m_unit);
}

void ConsoleDatabase::keepUnit()
{
    if (!m_unit.isEmpty()) {
        const Journal::Unit unit{m_nextSeq++, m_game, QDateTime::currentDateTime(), m_unit};
        m_journal->setGame(m_game, db::dataSourceCaption(m_connectionString()));
        // The rows after this unit head a new file (they are built only then).
        if (!m_journal->headed())
            m_journal->setTables(m_cache.snapshot(), unit.seq);
        const auto written = m_journal->append(unit);
        post({unit});
        if (!m_retry.isActive())
            m_retry.start();
        if (!written) {
            reportJournal(written);
            return;
        }
    }
    if (!m_journal->hasPending())
        return;
    if (!m_unit.isEmpty() || m_unanswered) {
        if (m_journal->unwritten() > 0)
            emit memoryOnly(waitingUnits(), m_journalWords);
        else
            emit waiting(waitingUnits(), m_words);
    }
}

void ConsoleDatabase::reportJournal(const Result<Done>& written)
{
    if (written)
        return;
    qCWarning(lcConsoleDb).noquote() << written.error();
    m_journalWords = written.error();
    if (m_journal && m_journal->unwritten() > 0)
        emit memoryOnly(waitingUnits(), written.error());
    else
        emit failed(written.error());
}

bool ConsoleDatabase::connect()
{
    const QString connection = m_connectionString();
    auto opened = db::Database::open(connection, db::Database::Pooling::Pooled,
                                     db::Database::Missing::Refuse, kBoundMs);
    if (!opened) {
        // Whatever keeps a connection from opening may pass (a server that
        // is down, a file moved away): the action waits for it.
        failure(opened.error(), true);
        return false;
    }
    m_db = std::move(opened.value());
    m_db->setLockWait(kLockWaitMs);
    if (const auto learnt = learnGame(*m_db, connection); !learnt) {
        failure(learnt.error(), m_db->lastFailureUnreachable());
        return false;
    }
    return true;
}

db::Database* ConsoleDatabase::session()
{
    if (m_actionFailed || m_offline)
        return nullptr;
    // Whatever waits goes first: the action joins the journal behind it.
    if (m_journal && m_journal->hasPending()) {
        goOffline(m_outage.isEmpty() ? QStringLiteral("等待寫入的動作在前") : m_outage);
        return nullptr;
    }
    if (!m_db) {
        if (!connect())
            return nullptr;
        if (const auto begun = m_db->begin(); !begun) {
            failure(begun.error(), m_db->lastFailureUnreachable());
            return nullptr;
        }
        m_inTransaction = true;
    }
    return m_db.get();
}

void ConsoleDatabase::retry()
{
    if (!m_journal)
        return;
    if (m_journal->unwritten() > 0) {
        const auto written = m_journal->flush();
        if (!written)
            reportJournal(written);
        else if (m_journal->hasPending())
            emit waiting(waitingUnits(), m_outage.isEmpty() ? m_words : m_outage);
    }
    if (!m_journal->hasPending()) {
        m_retry.stop();
        return;
    }
    if (m_drain)
        QMetaObject::invokeMethod(m_drain, &JournalDrain::nudge, Qt::QueuedConnection);
}

void ConsoleDatabase::keepGameTables()
{
    if (!m_journal)
        return;
    const Action action(*this);
    for (const QString& table : TodayCache::keptTables()) {
        const auto rows = query(QStringLiteral("SELECT * FROM ") + table);
        if (m_offline)
            return; // the rows kept with the journal stand
        if (!rows)
            return;
        m_cache.keep(table, *rows);
    }
}

Result<db::Rows> ConsoleDatabase::answerFromCache(const QString& sql, const QVariantList& values)
{
    if (auto rows = m_cache.answer({sql, values}))
        return *rows;
    const QString words = QStringLiteral("資料庫無法使用,保留的資料也無法回答: ") + sql;
    qCWarning(lcConsoleDb).noquote() << words;
    m_words = words;
    m_unanswered = true;
    return Result<db::Rows>::failure(words);
}

Result<db::Rows> ConsoleDatabase::query(const QString& sql, const QVariantList& values)
{
    const Action action(*this);
    db::Database* db = session();
    if (!db) {
        if (m_offline)
            return answerFromCache(sql, values);
        return Result<db::Rows>::failure(QStringLiteral("資料庫無法使用"));
    }
    if (m_observer)
        m_observer({sql, values});
    auto rows = db->query(sql, values);
    if (!rows) {
        failure(rows.error(), db->lastFailureUnreachable());
        if (m_offline)
            return answerFromCache(sql, values);
    }
    return rows;
}

std::optional<db::Row> ConsoleDatabase::firstRow(const QString& sql, const QVariantList& values)
{
    const auto rows = query(sql, values);
    if (!rows || rows->isEmpty())
        return std::nullopt;
    return rows->first();
}

void ConsoleDatabase::store(const Statements& statements)
{
    const Action action(*this);
    m_wrote = true;
    for (const Statement& s : statements) {
        db::Database* db = session();
        m_unit << s;
        if (!db) {
            if (m_offline)
                m_cache.apply(s);
            continue;
        }
        if (m_observer)
            m_observer(s);
        if (const auto r = db->exec(s.sql, s.values); !r)
            failure(r.error(), db->lastFailureUnreachable());
    }
}

} // namespace hp::console
