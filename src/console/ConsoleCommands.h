#pragma once

#include "Services.h"

#include <QString>

// Commands of the console that need its services only, not its panels.
namespace hp::console {

// 匯出成績: the box score as a page and tables beside the settings file; the
// operator is told where, or why not. With actions still waiting to be
// stored, the operator is asked first.
void exportBoxScore(const app::Services& services, const QString& connectionString,
                    int waitingUnits);

class PlayLog;

// 比賽結束: asks first, then records the end of the game in the play log; the
// tables stay as they are. False when it was not recorded.
bool endGame(const app::Services& services, PlayLog& log);

// The game-state keys that Delsetting clears.
QStringList gameStateKeys();

// Delsetting: asks first, naming the keys, then clears them so that the next
// opening starts at the top of the first inning. False when the operator said no.
bool deleteGameState(const app::Services& services);

// The question before the console is closed while a game is loaded.
bool confirmClosingGame(const app::Services& services);

} // namespace hp::console
