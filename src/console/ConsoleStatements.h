#pragma once

#include "ConsoleDatabase.h"
#include "GameStatements.h"
#include "PlayEvent.h"

#include <QDateTime>
#include <array>

// What the console reads from and writes to the game database. Statement
// builders are pure: values in, statements out.
namespace hp::console {

// The tables of one half-inning, chosen by the Half flag: false while the team
// that bats first is at bat.
struct HalfTables {
    QString batting;  // today's batting table of the team at bat
    QString pitching; // today's pitching table of the fielding team
    QString side;     // "先攻" or "後攻": the team at bat
    db::Side battingSide;
    db::Side fieldingSide;
};
HalfTables halfTables(bool half);

using db::BatterLine;
using db::PitcherLine;

// One player of a season roster.
struct RosterPlayer {
    QString number, name, team;
};

// A chooser's text: "number:name" as offered (the name up to a second colon),
// or a name typed without a colon (no number then).
RosterPlayer chosenPlayer(const QString& text);

// Loads.
std::optional<db::Row> batterOfSlot(ConsoleDatabase& db, bool half, int position);
std::optional<db::Row> seasonBatter(ConsoleDatabase& db, const QString& number,
                                    const QString& team);
// The batting team's players who have not played today, in uniform-number
// order: neither in its line-up nor among those who left the game.
QStringList substitutes(ConsoleDatabase& db, bool half, const QString& team);
std::optional<RosterPlayer> batterOfTeam(ConsoleDatabase& db, const QString& team,
                                         const QString& number, const QString& name);
std::optional<db::Row> fieldingPitcher(ConsoleDatabase& db, bool half);
std::optional<db::Row> seasonPitcher(ConsoleDatabase& db, const QString& number,
                                     const QString& team);
// The fielding team's pitchers who may come in: not the one on the mound,
// not one taken out earlier in the game.
QStringList relievers(ConsoleDatabase& db, bool half, const QString& team, const QString& current);
std::optional<RosterPlayer> pitcherOfTeam(ConsoleDatabase& db, const QString& team,
                                          const QString& number, const QString& name);
Result<db::Rows> lineScoreRows(ConsoleDatabase& db);
// The count box as last stored: S, B, O, Base1..Base3.
std::optional<db::Row> firstRowOfSbo(ConsoleDatabase& db);

// Stores.
Statement saveBatterStats(bool half, int position, const BatterLine& line);
Statement savePitcherStats(bool half, const PitcherLine& line);
// The slot's outgoing row (as stored) goes to the archive, then the slot
// starts afresh for the player who came in.
Statements substitute(bool half, const db::Row& outgoing, const RosterPlayer& player,
                      const QDateTime& at);
// The outgoing pitcher's line goes to the archive; the new pitcher's row
// replaces it.
Statements changePitcher(bool half, const RosterPlayer& player, const QDateTime& at);

struct SboState {
    QString item1, item2, strikes, balls, outs;
    std::array<bool, 3> bases{};
    QString runs1, runs2;
};
Statement saveSboState(const SboState& state);

// One row of the line score: the twelve cells and R, H, E.
struct LineScoreRow {
    std::array<QString, 12> cells;
    QString runs, hits, errors;
};
Statements saveLineScore(const LineScoreRow& first, const LineScoreRow& second);

// 下三棒: the three batters after `lastPosition` of the team not at bat.
// Positions without a today row are skipped and named in `missing`.
struct NextThree {
    Statements statements;
    QList<int> missing;
};
NextThree rebuildNextThree(ConsoleDatabase& db, bool half, int lastPosition);

// The play log: one row appended, and the last `count` rows, newest first.
Statement logPlay(const game::PlayEvent& event);
Result<QList<game::PlayEvent>> recentPlays(ConsoleDatabase& db, int count);

// Every statement the console stores, by name: what a journal may hold.
const StatementNames& statementNames();

// Tables an older database may lack (the archives of the day, the game's progress).
Statements preparation(db::ConnectionSettings::Engine engine);

} // namespace hp::console
