#pragma once

#include "Database.h"

namespace hp::db {

// The tables of the game database. Created only by `homeplate --init-db`; the
// console itself never creates, alters or drops a table.
QStringList schemaStatements(ConnectionSettings::Engine engine);
QStringList tableNames();
// The columns of one table, in their order (empty for a name not in the schema).
QStringList columnNames(const QString& table);

// The ORDER BY terms for a uniform number held as text, so that 2 comes
// before 16 on both engines without a cast that a non-numeric entry would
// make fail: shorter numbers first (leading zeros left out), then as text.
QString uniformNumberOrder(const QString& column = QStringLiteral("背號"));
// The same order for numbers at hand: whether `a` comes before `b`.
bool uniformNumberLess(const QString& a, const QString& b);

// A column of a table as created: its name, the value a row gets when an
// insert leaves it out, and whether it numbers the rows in insertion order.
struct TableColumn {
    QString name;
    QString fallback;
    bool sequence = false;
};
// The columns of a table in their order, none for a table that is not one of them.
QList<TableColumn> tableColumns(const QString& table);

// The tables of the day that GO empties besides the today tables: the
// archives (players who left the game) and the play log. Older databases lack
// them: the console creates them when absent, never dropping anything.
QStringList archiveTableNames();
// The play-by-play log of the game (game/PlayEvent.h holds its columns' meaning).
QString playLogTableName();
// The table of the game's identity and its last stored unit (GameProgress.h).
QString progressTableName();
// Creates, when absent, the archive tables and the progress table.
QStringList archiveTableStatements(ConnectionSettings::Engine engine);

// Creates every table in an empty database; refuses, changing nothing, a
// database that already holds any of them.
Result<Done> createSchema(Database& db);
// Opens the database of the string (making a missing SQLite file) and
// creates every table in it, as `homeplate --init-db` does. A new SQLite file
// that could not be given its tables is removed again.
Result<std::unique_ptr<Database>> createGameDatabase(const QString& connectionString);

} // namespace hp::db
