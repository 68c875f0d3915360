#pragma once

#include "ConnectionString.h"
#include "Result.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <memory>

class QSqlDatabase;
class QSqlError;

namespace hp::db {

// One row of a query, every value as text (NULL reads as empty text), found
// by column name without regard to case or by position.
class Row {
public:
    Row(std::shared_ptr<const QStringList> names, QStringList values);
    QString value(const QString& column) const;
    QString at(qsizetype position) const { return m_values.value(position); }
    qsizetype size() const { return m_values.size(); }
    const QStringList& values() const { return m_values; }
    bool has(const QString& column) const;

private:
    std::shared_ptr<const QStringList> m_names; // lower case
    QStringList m_values;
};

using Rows = QList<Row>;

// A bound value as the game tables hold it: text (NULL as empty text).
QString valueText(const QVariant& value);

// One statement with its bound values.
struct Statement {
    QString sql;
    QVariantList values;
};
using Statements = QList<Statement>;

// A unit of work: opens with the window's current connection string, runs
// statements with bound values, and closes at its end. With pooling the
// connection underneath stays open for the next unit of the same string.
class Database {
public:
    enum class Pooling { Pooled, Fresh };
    enum class Missing { Refuse, Create }; // an SQLite file that does not exist

    static Result<std::unique_ptr<Database>> open(const QString& connectionString,
                                                  Pooling pooling = Pooling::Pooled,
                                                  Missing missing = Missing::Refuse);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    ConnectionSettings::Engine engine() const { return m_engine; }

    Result<Rows> query(const QString& sql, const QVariantList& values = {});
    Result<int> exec(const QString& sql, const QVariantList& values = {});
    // Runs the statements in turn; the first failure ends the run.
    Result<Done> execute(const Statement& statement);
    Result<Done> execute(const Statements& statements);

    // Runs the work in one transaction: all of it, or none of it.
    Result<Done> transaction(const std::function<Result<Done>()>& work);
    // The same by hand, for work that spans several calls.
    Result<Done> begin();
    Result<Done> commit();
    void rollback();

    // How long a statement waits for a lock another session holds before it
    // fails (2 s from the opening; a quick retry waits less).
    void setLockWait(int milliseconds);

    // Whether the last failure said that the database cannot be reached just
    // now (lost connection, server down, file locked or unreadable), as
    // against a statement it refused (a constraint, a type, a missing table).
    bool lastFailureUnreachable() const { return m_unreachable; }

    // Closes every pooled connection (tests, shutdown).
    static void closePool();

private:
    Database(QString connectionName, bool pooled, ConnectionSettings::Engine engine);
    Result<Done> fail(const QString& what, const QSqlError& error);

    QString m_connectionName;
    bool m_pooled;
    bool m_broken = false;
    bool m_unreachable = false;
    ConnectionSettings::Engine m_engine;
};

// Gives a PostgreSQL connection the server, database and login of the settings.
void setServerLogin(QSqlDatabase& db, const ConnectionSettings& settings);

// A statement's result turned into one failure text for the caller.
template <typename T> Result<Done> asDone(const Result<T>& r)
{
    if (!r)
        return Result<Done>::failure(r.error());
    return success();
}

} // namespace hp::db
