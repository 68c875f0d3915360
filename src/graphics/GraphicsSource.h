#pragma once

#include "Database.h"
#include "FeatureGraphics.h"
#include "Result.h"

// What the graphics read: the values the live console shows and the today
// tables. The console implements it; tests give a fake.
namespace hp::graphics {

class GraphicsSource {
public:
    virtual ~GraphicsSource() = default;

    virtual Scoreboard scoreboard() const = 0;
    virtual BatterToday batterToday() const = 0;
    virtual PitcherToday pitcherToday() const = 0;
    // The pitcher's earned run average over the season and today (EraP).
    virtual QString cumulativeEra() const = 0;
    // The batter panel's figures with the season row it loaded.
    virtual BatterCumulative batterCumulative() const = 0;
    // The current pitcher's figures of the season before today.
    virtual PitcherSeason pitcherSeason() const = 0;
    // How innings pitched go on air (the setting InningsNotation).
    virtual game::InningsNotation inningsNotation() const = 0;
    // The team at bat as the batter panel shows it.
    virtual QString battingTeam() const = 0;
    // Runs one click's queries in one database unit: the rows of each query
    // in order, or the error of the first that failed.
    virtual Result<QList<db::Rows>> read(const db::Statements& queries) = 0;
};

} // namespace hp::graphics
