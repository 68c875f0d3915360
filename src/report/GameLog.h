#pragma once

#include "Database.h"
#include "PlayEvent.h"
#include "Result.h"

#include <QHash>
#include <array>

// What the box score takes from the play log: who faced whom, how each
// batter reached or went down, when a substitute came in, whether the game
// has ended, and the pitchers of record. Pure functions of the log's rows.
namespace hp::report {

// A player of one team: "先攻" or "後攻", number and name.
QString playerKey(bool secondTeam, const QString& number, const QString& name);

struct PitcherTally {
    int battersFaced = 0;
    int walks = 0; // 四壞 and 敬遠
    int hitByPitch = 0;
    int strikeouts = 0;
};

struct BatterTally {
    int walks = 0;
    int hitByPitch = 0;
    int strikeouts = 0;
};

struct Decisions {
    QString win, loss, save; // "number:name", empty when there is none
};

struct GameTally {
    QHash<QString, PitcherTally> pitchers; // by playerKey of the fielding team
    QHash<QString, BatterTally> batters;   // by playerKey of the batting team
    // A substitute's role and the inning he came in, e.g. "代打 5局".
    QHash<QString, QString> entered;
    bool ended = false;
    int round = 1;
    bool half = false; // the half-inning of the last row
};

// An outcome undone takes back what it counted.
GameTally tallyGame(const QList<game::PlayEvent>& log);

// The pitchers of record of a game that has a winner: the winner is the
// winning team's pitcher of record when it took the lead for good (a
// starter with fewer than five innings yields it to the team's reliever with
// the most innings), the loser the pitcher the lead was taken from; the save goes to the winning
// team's last pitcher, when he is not the winner and came in with a lead of 3 or less, or with the
// tying run on base, at bat or on deck, or pitched 3 innings (`thirds` by playerKey). `starters`:
// each team's first pitcher
// ("number:name"), the first-batting team's first. Nothing for a tie or an
// empty log.
Decisions decideGame(const QList<game::PlayEvent>& log, const std::array<QString, 2>& starters,
                     const QHash<QString, double>& thirds);

// "進行中 3局下", or "終場" for a game that has ended.
QString gameStatusText(const GameTally& tally);

// The play log as stored, in order (none in a database from before it).
Result<QList<game::PlayEvent>> readPlayLog(db::Database& d);
// The log as one UTF-8 CSV table, every column; written beside the file and
// renamed over it.
Result<Done> writePlayLog(db::Database& d, const QString& file);

} // namespace hp::report
