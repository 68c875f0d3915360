#pragma once

#include <functional>

#include "ConsoleState.h"
#include "ConsoleStatements.h"

#include <QGroupBox>
#include <array>

class QCheckBox;
class QPushButton;

namespace hp::console {

class ClickLabel;
class InningIndicator;
class PitcherPanel;

// The buttons whose availability the count decides.
struct CountButtons {
    QPushButton* walk = nullptr;       // 四壞
    QPushButton* uncaught = nullptr;   // 不死
    QPushButton* strikeout = nullptr;  // 三振
    QPushButton* doublePlay = nullptr; // 雙殺
    QPushButton* triplePlay = nullptr; // 三殺
    QPushButton* nextHalf = nullptr;   // 換局
    QPushButton* nextBatter = nullptr; // 下一棒
};

// The frame SBO: strikes, balls and outs by clicks, the runners by ticks.
class CountPanel : public QGroupBox {
    Q_OBJECT
public:
    enum Label { Strikes = 1, Balls = 2, Outs = 3 };

    CountPanel(PitcherPanel& pitcher, InGameGraphics& graphics, QWidget* parent = nullptr);
    void setButtons(const CountButtons& buttons) { m_buttons = buttons; }
    // Runs each click on a count label inside the caller's unit of work, so
    // that the pitcher's counters and the count are stored together.
    void setClickUnit(std::function<void(const std::function<void()>&)> unit)
    {
        m_clickUnit = std::move(unit);
    }

    int count(Label label) const;
    // Sets a caption; a change runs the count rules and stores the count.
    void setCount(Label label, int value);
    bool base(int i) const;
    void setBase(int i, bool on);

    // The large inning and half at the head of the frame.
    InningIndicator* inning() const { return m_inning; }

    // S, B, O and the bases; the teams and runs come from the line score.
    void fill(SboState& state) const;

signals:
    // The count or a base changed: SBO表 is to be stored.
    void changed();

private:
    void SBO_Lab_MouseDown(Label label, Qt::KeyboardModifiers modifiers);
    void applyButtonRules();
    void captionChanged();
    void thirdOut();

    PitcherPanel& m_pitcher;
    InGameGraphics& m_graphics;
    CountButtons m_buttons;
    std::function<void(const std::function<void()>&)> m_clickUnit;
    std::array<ClickLabel*, 3> m_labels{};
    std::array<QCheckBox*, 3> m_bases{};
    InningIndicator* m_inning = nullptr;
};

} // namespace hp::console
