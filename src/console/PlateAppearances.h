#pragma once

#include "ConsoleState.h"
#include "Outcomes.h"

#include <QHash>
#include <QObject>

class QPushButton;

namespace hp::console {

class BatterPanel;
class CountPanel;
class LineScorePanel;
class OutcomeTabs;
class PitcherPanel;

// The panels an outcome moves.
struct OutcomeTargets {
    BatterPanel& batter;
    PitcherPanel& pitcher;
    CountPanel& count;
    LineScorePanel& lineScore;
    OutcomeTabs& tabs;
    QPushButton& nextHalf;
    InGameGraphics& graphics;
};

// Recording a plate-appearance outcome and undoing it from the box it went
// into. The rules themselves are the outcome table of the game library: here
// the panels' counters are read, moved by the rules and written back.
class PlateAppearances : public QObject {
    Q_OBJECT
public:
    PlateAppearances(ConsoleState& state, OutcomeTargets targets, QObject* parent = nullptr);

    // A click on an outcome button.
    void record(const QString& caption);
    // A double-click on plate-appearance box i (1..8).
    void undo(int box);

signals:
    void message(const QString& text, const QString& title);
    void notice(const QString& text);
    // The lines are to be stored: the batter's, the pitcher's and SBO表.
    void stored();

private:
    game::PlateAppearanceCounters read() const;
    void write(const game::PlateAppearanceCounters& before,
               const game::PlateAppearanceCounters& after);
    QString boxKey(int box) const;

    ConsoleState& m_state;
    OutcomeTargets m_t;
    // The runs of each home run recorded in this session, by batter and box,
    // with the half-inning they were scored in.
    struct HomeRun {
        double runs = 0;
        int round = 0;
        bool half = false;
    };
    QHash<QString, HomeRun> m_homeRuns;
    // The outs that each out recorded in this session really added (a double
    // or triple play stops at the third out), by batter and box: to the
    // pitcher's outs recorded and to the outs label.
    struct OutsAdded {
        double recorded = 0;
        double label = 0;
    };
    QHash<QString, OutsAdded> m_outsAdded;
};

} // namespace hp::console
