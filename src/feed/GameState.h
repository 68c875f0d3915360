#pragma once

#include <QList>
#include <QString>
#include <QTime>
#include <array>

// The game as the console shows it, as plain values: what the feed publishes
// and what its tests compare with the screen. Texts are the texts of the
// console's boxes and labels; an unplayed cell or box (the blank) is empty.
namespace hp::feed {

struct TeamLine {
    QString name;
    std::array<QString, 12> innings; // runs per inning, empty while unplayed
    QString runs, hits, errors;

    bool operator==(const TeamLine&) const = default;
};

struct BatterState {
    int slot = 0; // 棒次, 1 to 9 (0 before the first batter)
    QString number, name, position, team;
    // Today's line.
    QString atBats, hits, homeRuns, rbis, average;
    std::array<QString, 8> plateAppearances; // empty while not yet batted
    // The average over the season and today.
    QString seasonAverage;

    bool operator==(const BatterState&) const = default;
};

struct PitcherState {
    QString number, name, team;
    QString pitches;
    // Today's line.
    QString thirds, strikes, balls, hits, homeRuns, strikeouts, walks, runs, earnedRuns;
    QString era;           // today's
    QString cumulativeEra; // season and today

    bool operator==(const PitcherState&) const = default;
};

struct NextBatter {
    int slot = 0;
    QString number, name, position, atBats, hits;

    bool operator==(const NextBatter&) const = default;
};

struct OnAirLayer {
    int layer = 1;
    QString page, item, effect;
    QTime time;
    bool live = false;

    bool operator==(const OnAirLayer&) const = default;
};

struct GameState {
    quint64 sequence = 0;
    int inning = 1;
    bool bottom = false; // the team that bats second is at bat
    QString inningText;  // as the console's frame shows it, "3B"
    TeamLine first, second;
    int strikes = 0, balls = 0, outs = 0;
    std::array<bool, 3> runners{}; // first, second, third base
    BatterState batter;
    PitcherState pitcher;
    QList<NextBatter> nextBatters; // the three after the batter, of the team at bat
    bool onAirKnown = true;        // false after the CG came back, until a play or clear
    QList<OnAirLayer> onAir;       // by layer

    bool operator==(const GameState&) const = default;
};

} // namespace hp::feed
