#pragma once

#include "GraphicText.h"
#include "Statistics.h"

// The in-game graphics and the quick count. Every function takes the values
// the console shows and the template folder the preview image is written to.
namespace hp::graphics {

// The batter panel: number, name, average and the eight plate-appearance boxes.
struct BatterToday {
    QString number, name, average;
    std::array<QString, 8> boxes;
};

// The pitcher panel: number, name, ERA as shown, outs recorded today (局數
// text), hits allowed, strikeouts, walks and hit batsmen.
struct PitcherToday {
    QString number, name, era, thirds, hits, strikeouts, walks;
};

Graphic batterTodayGraphic(const QString& folder, const BatterToday& b); // item 5
Graphic pitcherTodayGraphic(const QString& folder, const PitcherToday& p,
                            game::InningsNotation innings = game::InningsNotation::Decimal); // 6
Graphic countGraphic(const QString& folder, const Scoreboard& b); // item 7
Graphic rheGraphic(const QString& folder, const Scoreboard& b);   // item 8
// Item 9 and item 12: rows of 下三棒 in batting order; fewer than three refuse.
Graphic nextBattersGraphic(const QString& folder, const QList<NextBatter>& rows);
Graphic nineInningsGraphic(const QString& folder, const Scoreboard& b);  // item 10
Graphic extraInningsGraphic(const QString& folder, const Scoreboard& b); // item 11
Graphic rheNextBattersGraphic(const QString& folder, const Scoreboard& b,
                              const QList<NextBatter>& rows); // item 12

// The quick count: the count fields with "[FO]" in place of the effect and the
// header count 12, sent with code 20 at once.
QString quickCountCommand(const Scoreboard& b);

} // namespace hp::graphics
