#pragma once

#include "Database.h"

// The statements on the today tables that several windows share: start of
// game, pitcher change, pitcher's line, substitution and batter's line. Each
// is built as a Statement (values bound, never spliced in), so that a window
// can run it at once or as part of a larger unit of work.
namespace hp::db {

// The team that bats first (F tables) or second (L tables).
enum class Side { First, Second };

QString battingTable(Side side);  // SF今日成績 / SL今日成績
QString pitchingTable(Side side); // PF今日成績 / PL今日成績

struct BatterLine {
    QString atBats, hits, homeRuns, rbi, average;
    QStringList outcomes; // plate appearances 1 to 8
};

struct PitcherLine {
    QString number, name, thirds, strikes, balls, hits, homeRuns, strikeouts, walks, runs,
        earnedRuns;
};

// "DELETE FROM" a table named by the program (never by the operator).
Statement deleteAllStatement(const QString& table);
// A batting row of a new game: slot, team, number, name and position.
Statement battingSlotStatement(Side side, int slot, const QString& team, const QString& number,
                               const QString& name, const QString& position);
// The pitching row of a new game or of a pitcher change (after the delete).
Statement pitcherStatement(Side side, const QString& number, const QString& name,
                           const QString& team);
// Pitcher change: the table's one row replaced by the new pitcher, fresh figures.
Statements pitcherChangeStatements(Side side, const QString& number, const QString& name,
                                   const QString& team);
// The pitcher's line: every column of the table's one row.
Statement pitcherLineStatement(Side side, const PitcherLine& line);
// Substitution: a slot's player replaced, his figures fresh.
Statement substitutionStatement(Side side, int slot, const QString& number, const QString& name,
                                const QString& team);
// The batter's line: a slot's figures and plate appearances.
Statement batterLineStatement(Side side, int slot, const BatterLine& line);

// The same, run at once.
Result<Done> deleteAll(Database& db, const QString& table);
Result<Done> insertBattingSlot(Database& db, Side side, int slot, const QString& team,
                               const QString& number, const QString& name, const QString& position);
Result<Done> insertPitcher(Database& db, Side side, const QString& number, const QString& name,
                           const QString& team);
Result<Done> changePitcher(Database& db, Side side, const QString& number, const QString& name,
                           const QString& team);
Result<Done> savePitcherLine(Database& db, Side side, const PitcherLine& line);
Result<Done> substituteBatter(Database& db, Side side, int slot, const QString& number,
                              const QString& name, const QString& team);
Result<Done> saveBatterLine(Database& db, Side side, int slot, const BatterLine& line);

} // namespace hp::db
