#pragma once

#include "ConnectionString.h"
#include "Result.h"

#include <QDeadlineTimer>
#include <QStringList>
#include <memory>
#include <optional>

class QSqlQuery;
struct sqlite3;

namespace hp::cg {

// A session on the game database that only reads, for the pages' queries.
// A query is one statement, and each runs until a deadline: SQLite stops it
// there, PostgreSQL's server cancels it.
// - SQLite: the file is opened read-only, the session refuses writes, and a
//   statement that does anything but read (ATTACH and PRAGMA included) is
//   refused before it runs.
// - PostgreSQL: the session's transactions are read-only, and each query runs
//   in a read-only transaction of its own that is rolled back after it, so
//   that no setting a query changes outlives it. A role that may only read is
//   what makes sure (docs/cg-projects.md).
// Used on the thread that opened it only.
class ReadOnlySession {
public:
    static Result<std::unique_ptr<ReadOnlySession>> open(const QString& connection,
                                                         QDeadlineTimer deadline);
    ~ReadOnlySession();
    ReadOnlySession(const ReadOnlySession&) = delete;
    ReadOnlySession& operator=(const ReadOnlySession&) = delete;

    const QString& connection() const { return m_connection; }
    // False once the connection is lost: the next query needs a new session.
    bool usable() const { return !m_broken; }

    // The first column of the first row, or nothing when no row came; the
    // values are bound to the statement's placeholders in turn.
    Result<std::optional<QString>> firstValue(const QString& sql, const QStringList& values,
                                              QDeadlineTimer deadline);

    // Whether the text is one statement: a ";" may only end it.
    static bool isOneStatement(const QString& sql);

private:
    ReadOnlySession(QString name, QString connection, db::ConnectionSettings::Engine engine);
    Result<Done> guardSqlite();
    Result<std::optional<QString>> run(QSqlQuery& q, const QString& sql, const QStringList& values);
    Result<Done> plain(const QString& sql, const QVariantList& values = {});
    static int stopAtDeadline(void* session);

    QString m_name; // of the Qt connection
    QString m_connection;
    db::ConnectionSettings::Engine m_engine;
    sqlite3* m_sqlite = nullptr;
    QDeadlineTimer m_deadline; // of the query running
    bool m_broken = false;
};

} // namespace hp::cg
