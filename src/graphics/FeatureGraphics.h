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
// Row 9: today's pitcher panel plus the season's thirds.
Graphic pitcherCumulativeGraphic(const QString& folder, const PitcherToday& p, double seasonThirds);
// Row 10: the batter panel's cumulative figures.
struct BatterCumulative {
    QString number, name, average, atBats, runsBattedIn, hits, homeRuns;
};
Graphic batterCumulativeGraphic(const QString& folder, const BatterCumulative& b);

} // namespace hp::graphics
