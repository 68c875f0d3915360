#pragma once

#include "Project.h"
#include "Renderer.h"

#include <QDeadlineTimer>

namespace hp::cg {

// Runs the database queries of a page's fields, in the order the project
// writes them, on the connection string the project names (or the one the
// server was started with, which wins). A query that fails leaves its field
// empty and says why in the engine's words. The queries of one page take at
// most kBudgetMs together, so that no client waits longer for its reply;
// after a database that could not be opened or ran out of time, the
// database is left alone for kQuietMs and the fields stay empty.
class FieldQueries {
public:
    static constexpr int kBudgetMs = 2000;
    static constexpr int kQuietMs = 5000;

    // A connection string that replaces every project's own, or empty.
    void setOverride(const QString& connection) { m_override = connection; }
    // The connection string the project's queries use: a relative SQLite
    // file is found in the project's folder.
    QString connectionFor(const Project& project) const;

    // The queried values of the page; why a field stayed empty goes to notes.
    Values run(const Project& project, const Page& page, QStringList& notes);

private:
    QString m_override;
    QDeadlineTimer m_quiet; // until then, the database is not asked
};

} // namespace hp::cg
