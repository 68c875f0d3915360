#pragma once

#include "GraphicsSource.h"

#include <QDate>
#include <QStringList>

// The two graphics lists of the console: their item texts and the graphic of
// each item, gathered from the console and the today tables.
namespace hp::graphics {

// List3, the in-game graphics: "1.先防守順序表" … "12.RHE+下三棒".
const QStringList& inGameItems();
// List4, the feature graphics: "對戰表" … "備用五".
const QStringList& featureItems();

// The graphic of in-game item `index` (0-based). nullopt for an index outside
// the list; a refused graphic when the database fails or lacks a row.
std::optional<Graphic> inGameGraphic(int index, GraphicsSource& source, const QString& folder);
// The graphic of feature row `index` + 1, dated `day` where it shows a date.
std::optional<Graphic> featureGraphic(int index, GraphicsSource& source, const QString& folder,
                                      const QDate& day);

// The queries behind the items, in batting order where the order shows on air.
namespace queries {
// Items 1 and 3: the fielders of the team batting first (1) or second (2),
// designated hitter left out, and that team's pitcher.
db::Statements fieldingLineup(int team);
// Items 2 and 4: the batting order of a team and its pitcher with the team name.
db::Statements battingOrder(int team);
db::Statement nextBatters();
db::Statement pitcherProfile(const QString& name, const QString& number);
db::Statement batterProfile(const QString& team, const QString& number);
} // namespace queries

} // namespace hp::graphics
