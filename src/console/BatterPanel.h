#pragma once

#include "ConsoleState.h"
#include "ConsoleStatements.h"

#include <QGroupBox>
#include <array>
#include <functional>

namespace hp::app {
class Clock;
}

class QLabel;
class QListWidget;
class QPushButton;

namespace hp::console {

class ClickLabel;
class ConsoleBox;
class ChooserCombo;
class ScreenSnapshot;

// The frame 打者: the current batter of the team at bat, his line of the day,
// both averages, the substitute chooser and the next-batter button.
class BatterPanel : public QGroupBox {
    Q_OBJECT
public:
    BatterPanel(ConsoleState& state, ConsoleDatabase& db, const app::Clock& clock,
                QWidget* parent = nullptr);

    enum class Load {
        Loaded, // the slot's batter is on the panel
        Empty,  // the slot has no row: the panel is empty, the position is the slot
        Failed, // the database refused: nothing changed
    };
    // Command4: the next slot of the batting order (9 wraps to 1) and its batter.
    Load loadNextBatter();
    // No batter: every figure empty, the editors closed, nothing to store.
    void clear();
    bool hasBatter() const { return m_hasBatter; }
    // The panel as SaveBatterStats stores it.
    BatterLine line() const;
    // Stores the batter's line in his slot; nothing without a batter.
    void saveBatterStats();
    // Stores the lines as the screen holds them (the batter's and the
    // pitcher's), before a substitution replaces the batter.
    void setLineStore(std::function<void()> store) { m_storeLines = std::move(store); }
    // What the panel holds besides its controls, for a snapshot.
    void keepIn(ScreenSnapshot& snapshot);

    enum class Counter { AtBats, Hits, HomeRuns, Rbis };
    double value(Counter counter) const;
    void set(Counter counter, double value);
    QStringList results() const;
    // Writes a plate-appearance result into box i (1..8).
    void setResult(int i, const QString& text);
    // Box `target` (1..8) and those before it take double-clicks; later ones not.
    void openResultBoxesUpTo(int target);
    QString batterName() const;
    QString batterNumber() const;

    QPushButton* nextButton() const { return m_next; }
    ConsoleBox* resultBox(int i) const { return m_results[i - 1]; }
    QString teamName() const;

signals:
    // A substitution was made (the in-game graphic of the batter follows).
    void substituted();
    // Something the operator should know: a refusal or a missing row.
    void notice(const QString& text);
    // A message box for the operator (text, title).
    void message(const QString& text, const QString& title);

private:
    void build();
    // The rows of a slot's batter: today's and his season line.
    struct Rows {
        std::optional<db::Row> today, season;
    };
    Rows fetch(int slot);
    void show(const Rows& rows);
    void showEmpty(int slot);
    void setEditorsEnabled(bool on);
    void setSeasonTotals(const std::optional<db::Row>& season);
    void fillInformation(const std::optional<db::Row>& season);
    void enableResultBoxes();
    void setSeasonLine();
    void countsChanged();
    void NameS_Lab_Click();
    void BackupS_Combo_Enter();
    void AvgS_Lab_DblClick();
    void Text2_Enter();
    QString cumulativeAverage() const;

    ConsoleState& m_state;
    ConsoleDatabase& m_db;
    const app::Clock& m_clock;
    QLabel* m_number;
    ClickLabel* m_name;
    QLabel* m_slot;
    QLabel* m_team;
    ConsoleBox* m_position;
    ConsoleBox* m_atBats;
    ConsoleBox* m_hits;
    ConsoleBox* m_homeRuns;
    ConsoleBox* m_rbis;
    ConsoleBox* m_average;
    std::array<ConsoleBox*, 8> m_results{};
    ClickLabel* m_cumulative;
    QLabel* m_seasonLine;
    ChooserCombo* m_substitutes;
    ConsoleBox* m_editor;
    QListWidget* m_information;
    QPushButton* m_next;
    bool m_hasBatter = false;
    std::function<void()> m_storeLines;
};

} // namespace hp::console
