#pragma once

#include "Project.h"
#include "ReadOnlySession.h"
#include "Renderer.h"

#include <QDeadlineTimer>

namespace hp::cg {

// The connection string a project's queries use: the server's own when it
// has one, else the project's; a relative SQLite file is found in the
// project's folder.
QString queryConnection(const QString& serverConnection, const Project& project);

// Runs the database queries of a page's fields, in the order the project
// writes them, on a session that only reads (ReadOnlySession), kept from one
// page to the next. A query that fails leaves its field empty and says why in
// the engine's words. The queries of one page end by their deadline; after a
// database that could not be opened or ran out of time, the database is left
// alone for kQuietMs and the fields stay empty.
class FieldQueries {
public:
    // What the queries of one page take at most, from the request.
    static constexpr int kBudgetMs = 2000;
    static constexpr int kQuietMs = 5000;

    // The queried values of the page; why a field stayed empty goes to notes.
    Values run(const QString& connection, const QString& page, const QList<FieldQuery>& queries,
               QDeadlineTimer deadline, QStringList& notes);

private:
    ReadOnlySession* session(const QString& connection, QDeadlineTimer deadline, QString& error);

    std::unique_ptr<ReadOnlySession> m_session;
    QDeadlineTimer m_quiet; // until then, the database is not asked
};

} // namespace hp::cg
