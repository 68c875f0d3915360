#pragma once

#include "Services.h"

#include <QString>

namespace hp::console {

// Before GO gives the tables a new game: the actions still waiting in the
// journal beside the settings file are, as the operator answers, stored into
// their own game first or to be kept aside. A journal of another game is set
// aside as the console's opening would, and one that was stored already is
// removed, without asking.
struct SettledWaiting {
    // False when GO is to stop: the actions could not be stored (the
    // operator has been told why) and they wait as before.
    bool go = true;
    // The operator chose to keep them aside: once the new game stands,
    // setWaitingActionsAside renames the journal. Until then they wait, so
    // that a GO that stops later loses nothing.
    bool setAside = false;
};
SettledWaiting settleWaitingActions(const app::Services& services, const QString& connectionString);

// Renames the journal beside the settings file aside (never deleted) and
// tells the operator its new name.
void setWaitingActionsAside(const app::Services& services);

} // namespace hp::console
