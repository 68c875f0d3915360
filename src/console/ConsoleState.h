#pragma once

#include "Outcomes.h"

#include <QString>
#include <optional>

namespace hp::console {

// The values the console holds besides its controls.
struct ConsoleState {
    qint16 round = 1;
    // False while the team that bats first is at bat.
    bool half = false;
    // 棒次 of the current batter of the team at bat, 1 to 9 (0 before the first).
    qint16 battingPosition = 0;
    // Season totals of the current batter, as the database returned them.
    QString seasonAtBats;
    QString seasonHits;
    QString seasonRbis;
    qint16 seasonHomeRuns = 0;
    // The correction flag: set by an undo (with what the undone entry had put
    // on the outs label), cleared by the next recorded outcome.
    std::optional<game::Correction> correction;
};

// The graphics the console's own actions call up: "5.打者今日成績" after a
// batter is loaded, "12.RHE+下三棒" at the third out. The graphics lists
// fill this in; without them nothing happens.
class InGameGraphics {
public:
    virtual ~InGameGraphics() = default;
    // Selects the item of the in-game list and runs its action.
    virtual void run(int item) { Q_UNUSED(item); }
};

// Hands the console's calls on to the graphics lists once they are there.
class InGameGraphicsRelay final : public InGameGraphics {
public:
    void setTarget(InGameGraphics* target) { m_target = target; }
    void run(int item) override
    {
        if (m_target)
            m_target->run(item);
    }

private:
    InGameGraphics* m_target = nullptr;
};

inline constexpr int kBatterTodayGraphic = 5;
inline constexpr int kLineScoreNextThreeGraphic = 12;

} // namespace hp::console
