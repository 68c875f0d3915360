#include "FieldQueries.h"

#include "ConnectionString.h"
#include "Database.h"

#include <QDir>
#include <QElapsedTimer>

namespace hp::cg {

QString FieldQueries::connectionFor(const Project& project) const
{
    const QString connection = m_override.isEmpty() ? project.database : m_override;
    const auto settings = db::parseConnectionString(connection);
    if (!settings || settings->engine != db::ConnectionSettings::Engine::SQLite ||
        settings->file.isEmpty() || QDir::isAbsolutePath(settings->file))
        return connection;
    db::ConnectionSettings absolute = *settings;
    absolute.file = QDir::cleanPath(QDir(project.folder).filePath(settings->file));
    return db::buildConnectionString(absolute);
}

Values FieldQueries::run(const Project& project, const Page& page, QStringList& notes)
{
    Values out;
    if (page.queries.isEmpty())
        return out;
    auto emptyAll = [&](qsizetype from, const QString& why) {
        for (qsizetype i = from; i < page.queries.size(); ++i)
            notes << QStringLiteral("page %1 field %2 left empty: %3")
                         .arg(page.name, page.queries[i].field, why);
    };
    const QString connection = connectionFor(project);
    if (connection.isEmpty()) {
        emptyAll(0, QStringLiteral("the project names no database"));
        return out;
    }
    if (!m_quiet.hasExpired()) {
        emptyAll(0, QStringLiteral("the database failed a moment ago; asked again in %1 ms")
                        .arg(m_quiet.remainingTime()));
        return out;
    }
    QElapsedTimer clock;
    clock.start();
    const auto opened = db::Database::open(connection);
    if (!opened) {
        m_quiet.setRemainingTime(kQuietMs);
        emptyAll(0, opened.error());
        return out;
    }
    db::Database& database = **opened;
    const bool postgres = database.engine() == db::ConnectionSettings::Engine::PostgreSQL;
    for (qsizetype i = 0; i < page.queries.size(); ++i) {
        const FieldQuery& q = page.queries[i];
        const qint64 left = kBudgetMs - clock.elapsed();
        if (left <= 0) {
            m_quiet.setRemainingTime(kQuietMs);
            emptyAll(i, QStringLiteral("the page's queries took their %1 ms").arg(kBudgetMs));
            return out;
        }
        // The server stops the statement when the page's time is up (a lock
        // held elsewhere included); an SQLite file waits at most its busy
        // timeout of two seconds, and nothing after it runs.
        if (postgres) {
            const auto set =
                database.query(QStringLiteral("SELECT set_config('statement_timeout', ?, false)"),
                               {QString::number(left) + QStringLiteral("ms")});
            if (!set) {
                emptyAll(i, set.error());
                return out;
            }
        }
        QVariantList values;
        for (const QString& v : q.values)
            values << v;
        const auto rows = database.query(q.sql, values);
        if (!rows) {
            notes << QStringLiteral("page %1 field %2 left empty: %3")
                         .arg(page.name, q.field, rows.error());
            continue;
        }
        if (rows->isEmpty() || rows->first().size() == 0) {
            notes << QStringLiteral("page %1 field %2: the query found no row")
                         .arg(page.name, q.field);
            continue;
        }
        out.insert(q.field, rows->first().at(0));
    }
    if (clock.elapsed() >= kBudgetMs)
        m_quiet.setRemainingTime(kQuietMs);
    return out;
}

} // namespace hp::cg
