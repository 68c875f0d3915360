#pragma once

#include "BatterPanel.h"
#include "ConsoleState.h"
#include "PlateAppearances.h"

#include <QObject>
#include <functional>

namespace hp::app {
class OperatorDialogs;
class SettingsStore;
} // namespace hp::app

namespace hp::console {

class ConsoleDatabase;

// The panels a turn at bat moves (those of an outcome) and its services.
struct TurnTargets {
    ConsoleState& state;
    ConsoleDatabase& db;
    app::SettingsStore& settings;
    app::OperatorDialogs& dialogs;
    OutcomeTargets panels;
};

// What the window does for a turn: its unit of work (SBO表 and RHE stored
// once at its end), the players' lines as on screen, 下三棒, RHE.
struct TurnSteps {
    std::function<void(const std::function<void()>&)> unit;
    std::function<void()> storeLines;
    std::function<void(int lastPosition)> rebuildNextThree;
    std::function<void()> saveLineScore;
};

// The turns at bat: the first batter at the opening, the next batter
// (下一棒) and the change of half-inning (換局). The next batter and the
// change are each one unit of work with the settings keys they write: the
// keys reach the settings file only with the database transaction, and a
// change that cannot be stored leaves the screen at the half-inning before.
class BattingTurns : public QObject {
    Q_OBJECT
public:
    BattingTurns(TurnTargets targets, TurnSteps steps, QObject* parent = nullptr);

    // The opening: the batter after the current batting position.
    void firstBatter();
    // Command4_Click: the outgoing batter's and pitcher's lines, then the
    // next slot's batter.
    void nextBatter();
    // Next_Command_Click.
    void changeHalf();

    // A batting position stored under the key, 0 when there is none in 1..9.
    static qint16 savedPosition(const app::SettingsStore& settings, const QString& key);

signals:
    // A change of half-inning that did not happen, and why.
    void refused(const QString& text);

private:
    // The next slot's batter; the outcome tabs open only when he is there.
    BatterPanel::Load loadBatter();

    TurnTargets m_t;
    TurnSteps m_steps;
};

} // namespace hp::console
