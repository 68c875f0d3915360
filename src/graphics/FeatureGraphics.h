#pragma once

#include "GraphicText.h"
#include "InGameGraphics.h"

#include <QDate>

// The line-up pages of the in-game list (items 1 to 4) and the feature list.
namespace hp::graphics {

// One row of a today table: name and position code as stored.
struct LineupRow {
    QString name, position;
};

// Items 1 and 3: the fielders (no DH) in batting order, at most nine are
// used, and the first pitcher row's name, absent when the table is empty.
struct FieldingLineup {
    QString team;
    QList<LineupRow> fielders;
    std::optional<QString> pitcher;
};
Graphic fieldingGraphic(const QString& folder, const FieldingLineup& l);

// Items 2 and 4: batters in batting order (at most nine used), and the first
// row of the pitcher table: name and team.
struct BattingOrder {
    QList<LineupRow> batters;
    std::optional<LineupRow> pitcherAndTeam; // name, team in position
};
Graphic battingOrderGraphic(const QString& folder, const BattingOrder& o);

// Rows 1-4, 6, 11-15 of the feature list: no fields, only the preview request,
// played with code 4. Row is 1..15; other rows and rows with fields refuse.
Graphic plainFeatureGraphic(const QString& folder, int row);
// Row 5: the final score, dated by the date passed in.
Graphic finalScoreGraphic(const QString& folder, const Scoreboard& b, const QDate& day);
// Rows 7 and 8: the first profile row; none refuses.
struct Profile {
    QString name, number, height, weight, birth;
};
Graphic profileGraphic(const QString& folder, bool pitcher, const std::optional<Profile>& row);
// The current pitcher's figures of the season before today, from the season
// row his panel loaded (all 0 without one).
struct PitcherSeason {
    double thirds = 0, hitsAllowed = 0, strikeouts = 0, walks = 0;
};
// Row 9: every figure is the season's plus today's (the panel's counters);
// the ERA is the panel's cumulative one.
Graphic pitcherCumulativeGraphic(const QString& folder, const PitcherToday& p,
                                 const PitcherSeason& season,
                                 game::InningsNotation innings = game::InningsNotation::Decimal);
// The batter's figures of the season before today, from the season row his
// panel loaded.
struct BatterSeason {
    double atBats = 0, hits = 0, homeRuns = 0, runsBattedIn = 0;
};
// Row 10: the batter panel's number, name and cumulative average, and its
// counters of today, which go on air added to the season's.
struct BatterCumulative {
    QString number, name, average, atBats, runsBattedIn, hits, homeRuns;
    BatterSeason season;
};
Graphic batterCumulativeGraphic(const QString& folder, const BatterCumulative& b);

} // namespace hp::graphics
