#pragma once

#include "Database.h"

// Which game the tables hold and how far the console's numbered units have
// been stored for it. GO names a new game; every unit the console stores
// carries the game and a sequence number, and the same transaction moves the
// game's last sequence on, so that a unit is stored at most once, never after
// a newer one, and never into another game.
namespace hp::db {

struct GameIdentity {
    QString game;
    qint64 lastSeq = 0;
};

QString newGameId();
// The tables hold a new game from now on (GO).
Statements newGameStatements(const QString& game);
// The game in the tables; tables that name none (an older database, a game
// set up before games were named) are given a name now.
Result<GameIdentity> gameIdentity(Database& db);

enum class UnitOutcome {
    Stored,        // applied now
    AlreadyStored, // its sequence was stored before: skipped
    OtherGame,     // the tables hold another game: not applied
};
// Moves the game's last sequence to `seq` inside the caller's transaction.
Result<UnitOutcome> advanceGame(Database& db, const QString& game, qint64 seq);

struct NumberedUnit {
    qint64 seq = 0;
    QString game;
    Statements statements;
};
// advanceGame, then the unit's statements when it is to be applied; the
// caller commits or rolls back.
Result<UnitOutcome> storeUnit(Database& db, const NumberedUnit& unit);

} // namespace hp::db
