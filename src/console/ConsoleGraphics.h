#pragma once

#include "ConsoleState.h"
#include "GraphicsSource.h"

#include <QHash>

class QWidget;

namespace hp::app {
class SettingsStore;
}

namespace hp::graphics {
class GraphicsColumn;
}

namespace hp::console {

class ConsoleDatabase;
class PitcherPanel;

// The console as the graphics see it: what its controls show at the moment
// of a click, and reads of the today tables as one unit of work.
class ConsoleGraphicsSource final : public graphics::GraphicsSource {
public:
    ConsoleGraphicsSource(QWidget& window, const ConsoleState& state, const PitcherPanel& pitcher,
                          ConsoleDatabase& db, const app::SettingsStore& settings);

    graphics::Scoreboard scoreboard() const override;
    graphics::BatterToday batterToday() const override;
    graphics::PitcherToday pitcherToday() const override;
    QString cumulativeEra() const override;
    graphics::BatterCumulative batterCumulative() const override;
    graphics::PitcherSeason pitcherSeason() const override;
    game::InningsNotation inningsNotation() const override;
    QString battingTeam() const override;
    Result<QList<db::Rows>> read(const db::Statements& queries) override;

private:
    // The caption or text of the control of that name.
    QString text(const QString& name) const;
    int checkValue(const QString& name) const;
    QWidget* control(const QString& name) const;

    QWidget& m_window;
    const ConsoleState& m_state;
    const PitcherPanel& m_pitcher;
    ConsoleDatabase& m_db;
    const app::SettingsStore& m_settings;
    mutable QHash<QString, QWidget*> m_controls;
};

// The console's calls (next batter, third out) handed to the graphics column.
class ColumnGraphics final : public InGameGraphics {
public:
    explicit ColumnGraphics(graphics::GraphicsColumn& column)
        : m_column(column)
    {
    }
    void run(int item) override;

private:
    graphics::GraphicsColumn& m_column;
};

} // namespace hp::console
