#pragma once

#include "ConsoleState.h"
#include "ConsoleStatements.h"

#include <QGroupBox>

class QLabel;
class QListWidget;

namespace hp::app {
class Clock;
}

namespace hp::console {

class ClickLabel;
class ConsoleBox;
class ChooserCombo;
class ScreenSnapshot;

// The frame 投手: the pitcher of the fielding team, his line of the day, both
// earned run averages, his season line, the steppers and the pitcher change.
class PitcherPanel : public QGroupBox {
    Q_OBJECT
public:
    enum class Counter {
        Thirds,
        Strikes,
        Balls,
        Pitches,
        HitsAllowed,
        HomeRunsAllowed,
        Strikeouts,
        Walks,
        Runs,
        EarnedRuns
    };

    PitcherPanel(ConsoleState& state, ConsoleDatabase& db, const app::Clock& clock,
                 QWidget* parent = nullptr);

    void LoadPitcherPanel();
    void SavePitcherStats();
    PitcherLine line() const;

    // The counter's value plus delta, never below 0.
    void add(Counter counter, int delta);
    double value(Counter counter) const;
    void set(Counter counter, double value);
    QString pitcherName() const;
    // The innings of the season before today, in thirds.
    double seasonThirds() const { return m_seasonThirds; }
    // The hits allowed, strikeouts and walks of the season row loaded with him.
    double seasonHitsAllowed() const { return m_seasonHitsAllowed; }
    double seasonStrikeouts() const { return m_seasonStrikeouts; }
    double seasonWalks() const { return m_seasonWalks; }
    // The tool-tip of the outs recorded: the innings pitched.
    void showInningsTip();
    // What the panel holds besides its controls, for a snapshot.
    void keepIn(ScreenSnapshot& snapshot);

signals:
    // A counter was stepped by a click (nothing is stored until the next outcome).
    void stepped();
    void notice(const QString& text);
    void message(const QString& text, const QString& title);

private:
    void build();
    ConsoleBox* box(Counter counter) const;
    void recomputeAverages();
    void recomputePitchCount();
    void step(ConsoleBox* box, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void NameP_Lab_DblClick();
    void BackupP_Combo_GotFocus();
    void BackupP_Combo_KeyPress(int key);
    // The chooser's entry taken (choose) or not; the panel is stored and loaded again.
    void BackupP_Combo_Choose(bool choose);
    void EraP_DblClick();
    void Text1_Enter();

    ConsoleState& m_state;
    ConsoleDatabase& m_db;
    const app::Clock& m_clock;
    double m_seasonThirds = 0;
    qint16 m_seasonEarnedRuns = 0;
    double m_seasonHitsAllowed = 0;
    double m_seasonStrikeouts = 0;
    double m_seasonWalks = 0;
    QLabel* m_number;
    ClickLabel* m_name;
    QLabel* m_team;
    QList<ConsoleBox*> m_counters; // in Counter order
    QLabel* m_era;
    ClickLabel* m_cumulativeEra;
    QLabel* m_season;
    QListWidget* m_seasonList;
    ChooserCombo* m_relievers;
    ConsoleBox* m_editor;
};

} // namespace hp::console
