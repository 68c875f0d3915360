#pragma once

#include "Database.h"

#include <QList>
#include <QStringList>

// The season rosters and profiles as spreadsheet CSV files: one file per
// table, named after it, with a header row of the table's own column names.
namespace hp::db {

// The four tables a league's files fill, in the order they are written.
QStringList rosterTables();

// One player's row to insert or update.
struct RosterChange {
    enum class Kind { Insert, Update };
    Kind kind = Kind::Insert;
    QString table, team, number, name;
    QStringList differences; // "column old → new" for an update
    Statement statement;
};

// What an import would do, found without writing anything.
struct RosterPlan {
    QStringList notes; // per file: encoding and rows; innings converted
    QList<RosterChange> changes;
    int unchanged = 0;
    int inserts() const;
    int updates() const;
};

// The largest roster file read; a larger one is refused unread.
inline constexpr qint64 kMaxRosterFileBytes = 16 * 1024 * 1024;

// Reads and checks the files against the database. Fails, with one line per
// refusal ("FILE line L, column C (NAME): why"), when any row is not good.
Result<RosterPlan> planRosterImport(Database& db, const QStringList& files);
// Writes the plan in one transaction: every change or none.
Result<Done> applyRosterPlan(Database& db, const RosterPlan& plan);

// Writes the four tables to FOLDER/<table>.csv (UTF-8 with a byte order
// mark), every column, ordered by team and uniform number; the files written.
Result<QStringList> exportRoster(Database& db, const QString& folder);

// Innings pitched as the console reads them in thirds: "45", "45.3" or
// "45.33" (one third), "45.6" or "45.67" (two). Box-score notation, 45.1 and
// 45.2, is turned into 45.3 and 45.6 (converted is set). Empty when the text
// is not whole thirds of an inning.
struct InningsText {
    QString text;
    bool converted = false;
};
InningsText rosterInnings(const QString& text);

} // namespace hp::db
