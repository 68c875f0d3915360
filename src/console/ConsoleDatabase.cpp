#include "ConsoleDatabase.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcConsoleDb, "homeplate.console.db")

namespace hp::console {

namespace {
constexpr int kRetryMs = 2000;
constexpr int kLockWaitMs = 2000;
constexpr int kQuickLockWaitMs = 200;
} // namespace

ConsoleDatabase::ConsoleDatabase(std::function<QString()> connectionString, QObject* parent)
    : QObject(parent)
    , m_connectionString(std::move(connectionString))
{
    m_retry.setInterval(kRetryMs);
    QObject::connect(&m_retry, &QTimer::timeout, this, &ConsoleDatabase::retry);
}

ConsoleDatabase::~ConsoleDatabase() = default;

ConsoleDatabase::Action::Action(ConsoleDatabase& db)
    : m_db(db)
{
    m_db.begin();
}

ConsoleDatabase::Action::~Action()
{
    const bool outermost = m_db.m_depth == 1;
    m_db.end();
    if (outermost)
        emit m_db.actionEnded();
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
    if (const auto loaded = m_journal->load(); !loaded)
        emit failed(loaded.error());
    // The rows as the waiting actions leave them, for an opening while the
    // database is still away.
    m_cache.restore(m_journal->tables());
    if (m_journal->hasPending()) {
        m_retry.start();
        emit waiting(waitingUnits(), QStringLiteral("上次關閉前未寫入的動作"));
    }
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
    }
}

void ConsoleDatabase::end()
{
    if (--m_depth > 0)
        return;
    if (m_db && m_inTransaction) {
        if (m_actionFailed) {
            m_db->rollback();
        } else if (const auto committed = m_db->commit(); !committed) {
            failure(committed.error(), m_db->lastFailureUnreachable());
        }
    }
    m_inTransaction = false;
    m_db.reset();
    if (m_offline) {
        keepUnit();
        return;
    }
    if (m_actionFailed) {
        if (m_journal && !m_unit.isEmpty()) {
            m_journal->reject(m_unit, QDateTime::currentDateTime(), m_refusal);
            saveJournal();
        }
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
    m_cache.apply(m_unit);
}

void ConsoleDatabase::keepUnit()
{
    if (!m_unit.isEmpty()) {
        m_journal->append(m_unit, QDateTime::currentDateTime());
        saveJournal();
    }
    if (!m_journal->hasPending())
        return;
    if (!m_retry.isActive())
        m_retry.start();
    // A retry that found the database still away changes nothing to say.
    if (!m_unit.isEmpty() || m_unanswered)
        emit waiting(waitingUnits(), m_words);
}

void ConsoleDatabase::saveJournal()
{
    m_journal->setTables(m_journal->hasPending() ? m_cache.snapshot() : QJsonObject());
    if (const auto saved = m_journal->save(); !saved) {
        qCWarning(lcConsoleDb).noquote() << saved.error();
        emit failed(saved.error());
    }
}

bool ConsoleDatabase::connect()
{
    const QString connection = m_connectionString();
    auto opened = db::Database::open(connection);
    if (!opened) {
        // Whatever keeps a connection from opening may pass (a server that
        // is down, a file moved away): the action waits for it.
        failure(opened.error(), true);
        return false;
    }
    m_db = std::move(opened.value());
    if (m_preparation && m_prepared != connection) {
        for (const Statement& s : m_preparation(m_db->engine())) {
            if (const auto r = m_db->exec(s.sql, s.values); !r) {
                failure(r.error(), m_db->lastFailureUnreachable());
                return false;
            }
        }
        m_prepared = connection;
    }
    return true;
}

db::Database* ConsoleDatabase::session()
{
    if (m_actionFailed || m_offline)
        return nullptr;
    if (!m_db) {
        if (!connect())
            return nullptr;
        // The waiting actions go first, so that the tables get every action
        // in the order the operator made them.
        if (m_journal && m_journal->hasPending()) {
            // A lock that held one action for the whole bound is likely to
            // be there still: the attempts that follow give up sooner, so
            // the window is held for the bound once only.
            m_db->setLockWait(kQuickLockWaitMs);
            const bool stored = forward(*m_db);
            m_db->setLockWait(kLockWaitMs);
            if (!stored) {
                goOffline(m_words);
                return nullptr;
            }
        }
        if (const auto begun = m_db->begin(); !begun) {
            failure(begun.error(), m_db->lastFailureUnreachable());
            return nullptr;
        }
        m_inTransaction = true;
    }
    return m_db.get();
}

bool ConsoleDatabase::forward(db::Database& db)
{
    const int waited = waitingUnits();
    int rejected = 0;
    QString refusal;
    while (m_journal->hasPending()) {
        const Journal::Unit& unit = m_journal->pending().first();
        const auto stored = db.transaction([&]() -> Result<Done> {
            for (const Statement& s : unit.statements) {
                if (m_observer)
                    m_observer(s);
                if (const auto r = db.exec(s.sql, s.values); !r)
                    return Result<Done>::failure(r.error());
            }
            return success();
        });
        if (!stored && db.lastFailureUnreachable()) {
            m_words = stored.error();
            if (waitingUnits() != waited)
                saveJournal();
            return false;
        }
        if (stored) {
            m_journal->dropFirst();
        } else {
            ++rejected;
            refusal = stored.error();
            qCWarning(lcConsoleDb).noquote() << "set aside:" << refusal;
            m_journal->rejectFirst(refusal);
        }
        // Each stored action leaves the journal at once: a crash now does not
        // store it twice.
        saveJournal();
    }
    m_retry.stop();
    m_downReported = false;
    if (rejected > 0) {
        // The kept rows had the refused actions in them: read afresh.
        for (const QString& table : TodayCache::todayTables()) {
            if (const auto rows = db.query(QStringLiteral("SELECT * FROM ") + table))
                m_cache.keep(table, *rows);
            else
                m_cache.forget(table);
        }
    }
    emit forwarded(waited - rejected);
    if (rejected > 0)
        emit failed(QStringLiteral("資料庫拒絕了%1筆等待寫入的動作,已放在動作日誌 %2 "
                                   "的拒絕區: %3")
                        .arg(QString::number(rejected), m_journal->fileName(), refusal));
    return true;
}

void ConsoleDatabase::retry()
{
    if (m_depth > 0 || !m_journal || !m_journal->hasPending())
        return;
    // An action of its own, with nothing in it: its connection stores the
    // waiting actions first.
    const Action action(*this);
    session();
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
