#include "RosterCommand.h"

#include "Database.h"
#include "Roster.h"

#include <cstdio>

namespace hp::shell {

namespace {

int fail(const char* command, const QString& text)
{
    std::fprintf(stderr, "homeplate %s: %s\n", command, qPrintable(text));
    return 1;
}

void print(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
}

QString describe(const db::RosterChange& c)
{
    const bool insert = c.kind == db::RosterChange::Kind::Insert;
    QString line = QStringLiteral("%1 %2: %3 number %4 %5")
                       .arg(insert ? QStringLiteral("insert") : QStringLiteral("update"), c.table,
                            c.team, c.number, c.name);
    if (!insert)
        line += QStringLiteral(" (") + c.differences.join(QStringLiteral(", ")) + u')';
    return line;
}

} // namespace

int importRoster(const QString& connectionString, const QStringList& files, bool dryRun)
{
    const char* command = "--import-roster";
    if (files.isEmpty())
        return fail(command, QStringLiteral("name at least one CSV file"));
    auto db = db::Database::open(connectionString, db::Database::Pooling::Fresh);
    if (!db)
        return fail(command, db.error());
    const auto plan = db::planRosterImport(*db.value(), files);
    if (!plan)
        return fail(command, plan.error() + QStringLiteral("\nnothing was written"));
    for (const QString& note : plan->notes)
        print(note);
    if (dryRun)
        for (const db::RosterChange& c : plan->changes)
            print(describe(c));
    const QString counts = QStringLiteral("%1 to insert, %2 to update, %3 unchanged")
                               .arg(plan->inserts())
                               .arg(plan->updates())
                               .arg(plan->unchanged);
    if (dryRun) {
        print(counts + QStringLiteral("; dry run, nothing was written"));
        return 0;
    }
    if (auto r = db::applyRosterPlan(*db.value(), *plan); !r)
        return fail(command, r.error() + QStringLiteral("\nnothing was written"));
    print(QStringLiteral("%1 inserted, %2 updated, %3 unchanged")
              .arg(plan->inserts())
              .arg(plan->updates())
              .arg(plan->unchanged));
    return 0;
}

int exportRoster(const QString& connectionString, const QString& folder)
{
    const char* command = "--export-roster";
    auto db = db::Database::open(connectionString, db::Database::Pooling::Fresh);
    if (!db)
        return fail(command, db.error());
    const auto written = db::exportRoster(*db.value(), folder);
    if (!written)
        return fail(command, written.error());
    for (const QString& path : *written)
        print(QStringLiteral("wrote ") + path);
    return 0;
}

} // namespace hp::shell
