#include "FieldQueries.h"

#include "ConnectionString.h"

#include <QDir>

namespace hp::cg {

QString queryConnection(const QString& serverConnection, const Project& project)
{
    const QString connection = serverConnection.isEmpty() ? project.database : serverConnection;
    const auto settings = db::parseConnectionString(connection);
    if (!settings || settings->engine != db::ConnectionSettings::Engine::SQLite ||
        settings->file.isEmpty() || QDir::isAbsolutePath(settings->file))
        return connection;
    db::ConnectionSettings absolute = *settings;
    absolute.file = QDir::cleanPath(QDir(project.folder).filePath(settings->file));
    return db::buildConnectionString(absolute);
}

ReadOnlySession* FieldQueries::session(const QString& connection, QDeadlineTimer deadline,
                                       QString& error)
{
    if (m_session && m_session->usable() && m_session->connection() == connection)
        return m_session.get();
    m_session.reset();
    auto opened = ReadOnlySession::open(connection, deadline);
    if (!opened) {
        error = opened.error();
        return nullptr;
    }
    m_session = std::move(opened.value());
    return m_session.get();
}

Values FieldQueries::run(const QString& connection, const QString& page,
                         const QList<FieldQuery>& queries, QDeadlineTimer deadline,
                         QStringList& notes)
{
    Values out;
    auto emptyAll = [&](qsizetype from, const QString& why) {
        for (qsizetype i = from; i < queries.size(); ++i)
            notes << QStringLiteral("page %1 field %2 left empty: %3")
                         .arg(page, queries[i].field, why);
    };
    const QString outOfTime = QStringLiteral("the page's queries took their %1 ms").arg(kBudgetMs);
    if (connection.isEmpty()) {
        emptyAll(0, QStringLiteral("the project names no database"));
        return out;
    }
    if (!m_quiet.hasExpired()) {
        emptyAll(0, QStringLiteral("the database failed a moment ago; asked again in %1 ms")
                        .arg(m_quiet.remainingTime()));
        return out;
    }
    if (deadline.hasExpired()) { // behind other pages' queries
        emptyAll(0, outOfTime);
        return out;
    }
    QString error;
    ReadOnlySession* db = session(connection, deadline, error);
    if (!db) {
        m_quiet.setRemainingTime(kQuietMs);
        emptyAll(0, error);
        return out;
    }
    for (qsizetype i = 0; i < queries.size(); ++i) {
        const FieldQuery& q = queries[i];
        if (deadline.hasExpired()) {
            m_quiet.setRemainingTime(kQuietMs);
            emptyAll(i, outOfTime);
            return out;
        }
        const auto value = db->firstValue(q.sql, q.values, deadline);
        if (!value && deadline.hasExpired()) {
            m_quiet.setRemainingTime(kQuietMs);
            emptyAll(i, outOfTime + QStringLiteral(" (") + value.error() + u')');
            return out;
        }
        if (!value)
            notes << QStringLiteral("page %1 field %2 left empty: %3")
                         .arg(page, q.field, value.error());
        else if (!value->has_value())
            notes << QStringLiteral("page %1 field %2: the query found no row").arg(page, q.field);
        else
            out.insert(q.field, **value);
    }
    return out;
}

} // namespace hp::cg
