#include "ReadOnlySession.h"

#include "Database.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <algorithm>
#include <sqlite3.h>

namespace hp::cg {

namespace {

// How often, in virtual machine steps, SQLite asks whether time is up.
constexpr int kProgressSteps = 1000;
constexpr int kPastDeadlineMs = 20;

// The engine's words on one line.
QString engineWords(const QSqlError& error)
{
    const QString text = error.databaseText().simplified();
    return text.isEmpty() ? error.driverText().simplified() : text;
}

// A statement may read tables and call functions, nothing else: no write, no
// ATTACH, no PRAGMA, no transaction of its own.
int onlyReads(void*, int action, const char*, const char*, const char*, const char*)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

// The file as a URI that opens it read-only, whatever its name holds.
QString readOnlyUri(const QString& file)
{
    return QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString(QUrl::FullyEncoded) +
           QStringLiteral("?mode=ro");
}

int remainingMs(QDeadlineTimer deadline)
{
    return int(std::clamp<qint64>(deadline.remainingTime(), 1, 24 * 3600 * 1000));
}

} // namespace

ReadOnlySession::ReadOnlySession(QString name, QString connection,
                                 db::ConnectionSettings::Engine engine)
    : m_name(std::move(name))
    , m_connection(std::move(connection))
    , m_engine(engine)
{
}

ReadOnlySession::~ReadOnlySession()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

Result<std::unique_ptr<ReadOnlySession>> ReadOnlySession::open(const QString& connection,
                                                               QDeadlineTimer deadline)
{
    using R = Result<std::unique_ptr<ReadOnlySession>>;
    const auto settings = db::parseConnectionString(connection);
    if (!settings)
        return R::failure(settings.error());
    const bool sqlite = settings->engine == db::ConnectionSettings::Engine::SQLite;
    if (sqlite && !QFileInfo(settings->file).isFile())
        return R::failure(QStringLiteral("no database file %1").arg(settings->file));

    static QAtomicInt sessions;
    const QString name = QStringLiteral("hp-cg-read-%1").arg(sessions.fetchAndAddRelaxed(1));
    std::unique_ptr<ReadOnlySession> session(
        new ReadOnlySession(name, connection, settings->engine));
    QSqlDatabase db = QSqlDatabase::addDatabase(
        sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
    if (!db.isValid())
        return R::failure(QStringLiteral("no database driver: ") + engineWords(db.lastError()));
    if (sqlite) {
        db.setDatabaseName(readOnlyUri(settings->file));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY;"
                                            "QSQLITE_BUSY_TIMEOUT=%1")
                                 .arg(remainingMs(deadline)));
    } else {
        db::setServerLogin(db, *settings);
        db.setConnectOptions(
            QStringLiteral("connect_timeout=2;options='-c default_transaction_read_only=on'"));
    }
    if (!db.open())
        return R::failure(QStringLiteral("cannot open the database: ") +
                          engineWords(db.lastError()));
    if (sqlite)
        if (const auto guarded = session->guardSqlite(); !guarded)
            return R::failure(guarded.error());
    return session;
}

Result<Done> ReadOnlySession::guardSqlite()
{
    const QVariant handle = QSqlDatabase::database(m_name, false).driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0 ||
        !(m_sqlite = *static_cast<sqlite3* const*>(handle.constData())))
        return Result<Done>::failure(QStringLiteral("the SQLite driver gives no handle"));
    if (const auto set = plain(QStringLiteral("PRAGMA query_only = 1")); !set)
        return set;
    sqlite3_set_authorizer(m_sqlite, &onlyReads, nullptr);
    sqlite3_progress_handler(m_sqlite, kProgressSteps, &ReadOnlySession::stopAtDeadline, this);
    return success();
}

int ReadOnlySession::stopAtDeadline(void* session)
{
    return static_cast<ReadOnlySession*>(session)->m_deadline.hasExpired() ? 1 : 0;
}

bool ReadOnlySession::isOneStatement(const QString& sql)
{
    QString text = sql.trimmed();
    if (text.endsWith(u';'))
        text.chop(1);
    return !text.trimmed().isEmpty() && !text.contains(u';');
}

Result<Done> ReadOnlySession::plain(const QString& sql, const QVariantList& values)
{
    // A statement without values is sent as it stands: PostgreSQL cannot
    // prepare BEGIN or ROLLBACK.
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    bool ok = values.isEmpty() || q.prepare(sql);
    for (int i = 0; ok && i < values.size(); ++i)
        q.bindValue(i, values[i]);
    ok = ok && (values.isEmpty() ? q.exec(sql) : q.exec());
    if (!ok)
        return Result<Done>::failure(engineWords(q.lastError()));
    q.finish();
    return success();
}

Result<std::optional<QString>> ReadOnlySession::run(QSqlQuery& q, const QString& sql,
                                                    const QStringList& values)
{
    using R = Result<std::optional<QString>>;
    q.setForwardOnly(true);
    bool ok = q.prepare(sql);
    for (int i = 0; ok && i < values.size(); ++i)
        q.bindValue(i, values[i]);
    ok = ok && q.exec();
    if (!ok) {
        const QString words = engineWords(q.lastError());
        if (m_sqlite && words == QStringLiteral("not authorized"))
            return R::failure(QStringLiteral("the statement does more than read (%1)").arg(words));
        return R::failure(words);
    }
    std::optional<QString> value;
    if (q.next())
        value = q.isNull(0) ? QString() : q.value(0).toString();
    q.finish();
    return value;
}

Result<std::optional<QString>>
ReadOnlySession::firstValue(const QString& sql, const QStringList& values, QDeadlineTimer deadline)
{
    using R = Result<std::optional<QString>>;
    if (!isOneStatement(sql))
        return R::failure(QStringLiteral("a query is one statement; \";\" may only end it"));
    m_deadline = deadline;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (m_engine == db::ConnectionSettings::Engine::SQLite) {
        // A wait for a lock ends just past the deadline: the time is up.
        sqlite3_busy_timeout(m_sqlite, remainingMs(deadline) + kPastDeadlineMs);
        return run(q, sql, values);
    }
    if (const auto begun = plain(QStringLiteral("BEGIN READ ONLY")); !begun) {
        m_broken = true;
        return R::failure(begun.error());
    }
    // The server stops the statement when time is up, a lock waited for
    // included; the setting ends with the transaction.
    auto result = plain(QStringLiteral("SELECT set_config('statement_timeout', ?, true)"),
                        {QString::number(remainingMs(deadline)) + QStringLiteral("ms")});
    const R value = result ? run(q, sql, values) : R::failure(result.error());
    // Before the statement is freed: that cannot happen in a failed transaction.
    if (!plain(QStringLiteral("ROLLBACK")))
        m_broken = true;
    return value;
}

} // namespace hp::cg
