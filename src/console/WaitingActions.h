#pragma once

#include "Services.h"

#include <QString>

namespace hp::console {

// Before GO gives the tables a new game: the actions still waiting in the
// journal beside the settings file are, as the operator answers, stored into
// their own game first or kept aside (the journal renamed, never deleted).
// A journal of another game is set aside as the console's opening would,
// and one that was stored already is removed, without asking. False when GO
// is to stop: the actions could not be stored (the operator has been told
// why) and they wait as before.
bool settleWaitingActions(const app::Services& services, const QString& connectionString);

} // namespace hp::console
