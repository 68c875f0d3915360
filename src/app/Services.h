#pragma once

namespace hp::cglink {
class CgLink;
}

namespace hp::app {

class Clock;
class OperatorDialogs;
class SettingsStore;

// What a working window is given by its creator: the seams it talks through.
struct Services {
    SettingsStore& settings;
    OperatorDialogs& dialogs;
    const Clock& clock;
    cglink::CgLink& cg;
};

} // namespace hp::app
