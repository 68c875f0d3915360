#include "Database.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <map>
#include <memory>

Q_LOGGING_CATEGORY(lcDb, "homeplate.db")

namespace hp::db {

QString valueText(const QVariant& v)
{
    if (v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', 15);
    default:
        return v.toString();
    }
}

namespace {

QString errorText(const QSqlError& e)
{
    QString text = e.databaseText().trimmed();
    const QString driver = e.driverText().trimmed();
    if (text.isEmpty())
        return driver;
    if (!driver.isEmpty() && !text.contains(driver))
        text = driver + QStringLiteral(": ") + text;
    return text;
}

// Whether a failure says that the database cannot be reached just now (a
// server that is down or restarting, a lost connection, a file that is locked,
// missing or cannot be read) rather than that it refused the statement.
bool unreachableError(const QSqlError& e, ConnectionSettings::Engine engine)
{
    if (e.type() == QSqlError::ConnectionError)
        return true;
    const QString code = e.nativeErrorCode();
    if (engine == ConnectionSettings::Engine::SQLite) {
        // BUSY, LOCKED, READONLY, IOERR, CANTOPEN, PERM, NOTADB (primary codes).
        static const QStringList codes{
            QStringLiteral("5"),  QStringLiteral("6"), QStringLiteral("8"), QStringLiteral("10"),
            QStringLiteral("14"), QStringLiteral("3"), QStringLiteral("26")};
        return codes.contains(code);
    }
    // A server answers with an SQLSTATE; a failure without one happened on
    // the way (the connection was lost). Class 08 is a connection exception,
    // 57P0x a server shutting down, 53 a server out of resources; a lock
    // timeout, a deadlock or a serialization failure pass with time.
    return code.isEmpty() || code.startsWith(QStringLiteral("08")) ||
           code.startsWith(QStringLiteral("57P")) || code.startsWith(QStringLiteral("53")) ||
           code == QStringLiteral("55P03") || code == QStringLiteral("40001") ||
           code == QStringLiteral("40P01");
}

// A server connection kept between units may have died with its server (a
// restart, an administrator): it is checked before a unit relies on it, so
// that the operator's next write is not the one that fails.
bool pooledConnectionAlive(const QString& name, ConnectionSettings::Engine engine)
{
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (!db.isOpen())
        return false;
    if (engine == ConnectionSettings::Engine::SQLite)
        return true;
    QSqlQuery probe(db);
    return probe.exec(QStringLiteral("SELECT 1"));
}

// Prepared statements of the connections, by connection and statement text:
// a statement the program runs again goes to the server once as a PREPARE,
// then only as EXECUTE with its values (PostgreSQL would otherwise prepare,
// execute and deallocate it every time). Dropped with their connection.
using KeptStatements = std::map<QString, std::unique_ptr<QSqlQuery>>;
std::map<QString, KeptStatements>& preparedStatements()
{
    // Never destroyed: at exit the drivers may be gone before static objects.
    static auto* kept = new std::map<QString, KeptStatements>;
    return *kept;
}

void removeConnection(const QString& name)
{
    preparedStatements().erase(name);
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Runs a statement: with values on a prepared statement kept for the
// connection, without values as it stands (PostgreSQL cannot prepare utility
// statements such as CREATE, and they are not repeated). Returns the query
// that ran, successful or not.
QSqlQuery& runKept(const QString& connection, QSqlQuery& oneOff, const QString& sql,
                   const QVariantList& values, bool forwardOnly, bool& ok)
{
    if (values.isEmpty()) {
        oneOff.setForwardOnly(forwardOnly);
        ok = oneOff.exec(sql);
        return oneOff;
    }
    KeptStatements& kept = preparedStatements()[connection];
    auto it = kept.find(sql);
    if (it == kept.end()) {
        auto q = std::make_unique<QSqlQuery>(QSqlDatabase::database(connection, false));
        q->setForwardOnly(forwardOnly);
        if (!q->prepare(sql)) {
            oneOff = std::move(*q);
            ok = false;
            return oneOff;
        }
        it = kept.emplace(sql, std::move(q)).first;
    }
    QSqlQuery& q = *it->second;
    for (int i = 0; i < values.size(); ++i) {
        // The game tables hold text, never NULL: an empty text goes as such.
        const QVariant& v = values[i];
        const bool nullText = v.typeId() == QMetaType::QString && v.toString().isNull();
        q.bindValue(i, nullText ? QVariant(QStringLiteral("")) : v);
    }
    ok = q.exec();
    return q;
}

QString poolName(const QString& connectionString)
{
    return QStringLiteral("hp-pool-") +
           QString::fromLatin1(
               QCryptographicHash::hash(connectionString.toUtf8(), QCryptographicHash::Sha1)
                   .toHex());
}

} // namespace

void setServerLogin(QSqlDatabase& db, const ConnectionSettings& settings)
{
    db.setHostName(settings.host);
    db.setPort(settings.port);
    db.setDatabaseName(settings.database);
    db.setUserName(settings.user);
    db.setPassword(settings.password);
}

Row::Row(std::shared_ptr<const QStringList> names, QStringList values)
    : m_names(std::move(names))
    , m_values(std::move(values))
{
}

QString Row::value(const QString& column) const
{
    return m_values.value(m_names->indexOf(column.toLower()));
}

bool Row::has(const QString& column) const
{
    return m_names->contains(column.toLower());
}

Database::Database(QString connectionName, bool pooled, ConnectionSettings::Engine engine)
    : m_connectionName(std::move(connectionName))
    , m_pooled(pooled)
    , m_engine(engine)
{
}

Result<std::unique_ptr<Database>> Database::open(const QString& connectionString, Pooling pooling,
                                                 Missing missing)
{
    using R = Result<std::unique_ptr<Database>>;
    const auto settings = parseConnectionString(connectionString);
    if (!settings)
        return R::failure(settings.error());
    const bool sqlite = settings->engine == ConnectionSettings::Engine::SQLite;
    if (sqlite && missing == Missing::Refuse && !QFileInfo::exists(settings->file))
        return R::failure(QStringLiteral("資料庫檔案不存在: ") + settings->file);

    const bool pooled = pooling == Pooling::Pooled;
    const QString name =
        pooled ? poolName(connectionString)
               : QStringLiteral("hp-unit-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (pooled && QSqlDatabase::contains(name)) {
        if (pooledConnectionAlive(name, settings->engine))
            return std::unique_ptr<Database>(new Database(name, true, settings->engine));
        removeConnection(name);
    }

    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(
            sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
        if (!db.isValid()) {
            error = QStringLiteral("資料庫驅動程式無法載入: ") + errorText(db.lastError());
        } else if (sqlite) {
            db.setDatabaseName(settings->file);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        } else {
            setServerLogin(db, *settings);
            db.setConnectOptions(QStringLiteral("connect_timeout=2"));
        }
        if (error.isEmpty() && !db.open())
            error = QStringLiteral("無法開啟資料庫: ") + errorText(db.lastError());
        if (error.isEmpty() && sqlite) {
            QSqlQuery pragma(db);
            pragma.exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
        } else if (error.isEmpty()) {
            // A lock held by another session fails the statement within the
            // same two seconds that bound an SQLite writer's wait.
            QSqlQuery timeout(db);
            timeout.exec(QStringLiteral("SET lock_timeout = '2s'"));
        }
    }
    if (!error.isEmpty()) {
        QSqlDatabase::removeDatabase(name);
        return R::failure(error);
    }
    return std::unique_ptr<Database>(new Database(name, pooled, settings->engine));
}

void Database::setLockWait(int milliseconds)
{
    QSqlQuery q(QSqlDatabase::database(m_connectionName, false));
    q.exec(m_engine == ConnectionSettings::Engine::SQLite
               ? QStringLiteral("PRAGMA busy_timeout = %1").arg(milliseconds)
               : QStringLiteral("SET lock_timeout = '%1ms'").arg(milliseconds));
}

Database::~Database()
{
    if (m_pooled && !m_broken)
        return;
    removeConnection(m_connectionName);
}

void Database::closePool()
{
    for (const QString& name : QSqlDatabase::connectionNames()) {
        if (!name.startsWith(QStringLiteral("hp-pool-")))
            continue;
        removeConnection(name);
    }
}

Result<Done> Database::fail(const QString& what, const QSqlError& error)
{
    m_unreachable = unreachableError(error, m_engine);
    const QString detail = errorText(error);
    // A pooled connection that failed may be dead: the next unit opens afresh.
    m_broken = true;
    qCWarning(lcDb).noquote() << what << detail;
    return Result<Done>::failure(QStringLiteral("資料庫錯誤: ") + detail);
}

Result<Rows> Database::query(const QString& sql, const QVariantList& values)
{
    QSqlQuery oneOff(QSqlDatabase::database(m_connectionName, false));
    bool ok = false;
    QSqlQuery& q = runKept(m_connectionName, oneOff, sql, values, true, ok);
    if (!ok)
        return Result<Rows>::failure(fail(sql, q.lastError()).error());
    const QSqlRecord record = q.record();
    auto names = std::make_shared<QStringList>();
    for (int i = 0; i < record.count(); ++i)
        names->append(record.fieldName(i).toLower());
    Rows rows;
    while (q.next()) {
        QStringList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << valueText(q.value(i));
        rows.append(Row(names, std::move(row)));
    }
    // A kept statement holds no cursor (nor, on SQLite, a lock) between uses.
    q.finish();
    return rows;
}

Result<int> Database::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery oneOff(QSqlDatabase::database(m_connectionName, false));
    bool ok = false;
    QSqlQuery& q = runKept(m_connectionName, oneOff, sql, values, false, ok);
    if (!ok)
        return Result<int>::failure(fail(sql, q.lastError()).error());
    const int affected = q.numRowsAffected();
    q.finish();
    return affected;
}

Result<Done> Database::execute(const Statement& statement)
{
    return asDone(exec(statement.sql, statement.values));
}

Result<Done> Database::execute(const Statements& statements)
{
    for (const Statement& s : statements)
        if (auto r = execute(s); !r)
            return r;
    return success();
}

Result<Done> Database::begin()
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.transaction())
        return fail(QStringLiteral("BEGIN"), db.lastError());
    return success();
}

Result<Done> Database::commit()
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        return fail(QStringLiteral("COMMIT"), error);
    }
    return success();
}

void Database::rollback()
{
    QSqlDatabase::database(m_connectionName, false).rollback();
}

Result<Done> Database::transaction(const std::function<Result<Done>()>& work)
{
    if (const auto begun = begin(); !begun)
        return begun;
    const Result<Done> r = work();
    if (!r) {
        rollback();
        return r;
    }
    return commit();
}

} // namespace hp::db
