#pragma once

#include "Database.h"
#include "Selection.h"

#include <optional>

// What the set-up window reads from and writes to the game database.
namespace hp::setup {

// Team names of the season batting roster, in the order the database returns them.
Result<QStringList> loadTeams(db::Database& db);
// A team's pitchers and batters as roster entries, by uniform number.
Result<QStringList> teamPitchers(db::Database& db, const QString& team);
Result<QStringList> teamBatters(db::Database& db, const QString& team);

// The starting pitchers that the season pitching roster does not hold for
// their team (by name and uniform number).
Result<QStringList> unknownPitchers(db::Database& db, const Selection& selection);

// GO: empties and refills SBO表, RHE, the batting and pitching tables of the
// day. Run inside one transaction by the caller.
Result<Done> initialiseGame(db::Database& db, const Selection& selection);

// 比賽開始: empties and refills the ten tables the graphics side reads at
// the start of a game. Every player is copied from his own team's roster
// row, never from a namesake's.
Result<Done> prepareGraphicsTables(db::Database& db, const Selection& selection);

// The tables a stored game is read back from: those of 比賽開始 (先攻打者今日,
// 先攻投手今日, RHE得分表, …) or those of GO (SF今日成績, PF今日成績, RHE, …).
enum class StoredTables { GameStart, Go };

// The game of the day as the tables hold it: both teams, each team's nine
// batters by slot with their positions, and its pitcher (the one in the
// tables now). nullopt when the tables hold no complete game.
Result<std::optional<Selection>> storedSelection(db::Database& db, StoredTables tables);

// Whether 比賽開始 has prepared the graphics tables for this game: not for
// these two teams in this order of batting, for them with another line-up
// (orders, positions or starting pitchers changed since), or for this one.
enum class GameStartState { NotRun, OtherLineUp, Prepared };
Result<GameStartState> gameStartState(db::Database& db, const Selection& selection);

} // namespace hp::setup
