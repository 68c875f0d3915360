#include "InGameGraphics.h"

#include "Figures.h"
#include "Statistics.h"

namespace hp::graphics {

using cglink::Field;

namespace {

Graphic inGame(const QString& folder, const QString& page, int count, const QList<Field>& fields)
{
    Graphic g;
    g.command = countedCommand(page, count, fields);
    g.preview = cglink::previewRequest(page, folder, cglink::kPreviewB);
    return g;
}

QList<Field> inningCells(const Scoreboard& b, int from, int to)
{
    QList<Field> out;
    for (int i = from; i <= to; ++i) {
        out.append({inningFieldName(1, i), b.score1[i - 1]});
        out.append({inningFieldName(2, i), b.score2[i - 1]});
    }
    return out;
}

QList<Field> roundRheHalf(const Scoreboard& b)
{
    return QList<Field>{{QStringLiteral("ROUND"), QString::number(b.round)}} + rheBlock(b) +
           QList<Field>{{QStringLiteral("HALF"), halfMark(b.bottomHalf)}};
}

QList<Field> nextBatterFields(const QList<NextBatter>& rows)
{
    QList<Field> out;
    for (int n = 1; n <= 3; ++n)
        out += batterLines(rows[n - 1], n);
    return out;
}

Graphic tooFewNextBatters()
{
    return refusedGraphic(QStringLiteral("下三棒資料不足"), QStringLiteral("請檢查資料庫"));
}

} // namespace

Graphic batterTodayGraphic(const QString& folder, const BatterToday& b)
{
    QList<Field> f{{QStringLiteral("NOS"), b.number},
                   {QStringLiteral("NAMES"), b.name},
                   {QStringLiteral("AVG"), b.average}};
    for (int i = 1; i <= 8; ++i) {
        f.append({u'T' + QString::number(i), b.boxes[i - 1]});
        f.append({u'S' + QString::number(i), plateMark(b.boxes[i - 1], i)});
    }
    return inGame(folder, QStringLiteral("打者今日成績"), 19, f);
}

Graphic pitcherTodayGraphic(const QString& folder, const PitcherToday& p,
                            game::InningsNotation innings)
{
    return inGame(
        folder, QStringLiteral("投手成績"), 8,
        {{QStringLiteral("DAY"), QStringLiteral("今日")},
         {QStringLiteral("NOP"), p.number},
         {QStringLiteral("NAMEP"), p.name},
         {QStringLiteral("ERAP"), p.era},
         {QStringLiteral("T1"), game::inningsText(game::leadingNumber(p.thirds), innings)},
         {QStringLiteral("T2"), p.hits},
         {QStringLiteral("T3"), p.strikeouts},
         {QStringLiteral("T4"), p.walks}});
}

Graphic countGraphic(const QString& folder, const Scoreboard& b)
{
    return inGame(folder, QStringLiteral("SBO"), 10, countFields(b));
}

Graphic rheGraphic(const QString& folder, const Scoreboard& b)
{
    return inGame(folder, QStringLiteral("RHE"), 10, roundRheHalf(b));
}

Graphic nextBattersGraphic(const QString& folder, const QList<NextBatter>& rows)
{
    if (rows.size() < 3)
        return tooFewNextBatters();
    return inGame(folder, QStringLiteral("下三棒"), 9, nextBatterFields(rows));
}

Graphic nineInningsGraphic(const QString& folder, const Scoreboard& b)
{
    return inGame(folder, QStringLiteral("九格表"), 26, rheBlock(b) + inningCells(b, 1, 9));
}

Graphic extraInningsGraphic(const QString& folder, const Scoreboard& b)
{
    return inGame(folder, QStringLiteral("九格表延長賽"), 14, rheBlock(b) + inningCells(b, 10, 12));
}

Graphic rheNextBattersGraphic(const QString& folder, const Scoreboard& b,
                              const QList<NextBatter>& rows)
{
    if (rows.size() < 3)
        return tooFewNextBatters();
    Graphic g =
        inGame(folder, QStringLiteral("RHE+下三棒"), 19, roundRheHalf(b) + nextBatterFields(rows));
    g.listToolTip = nextBattersToolTip(rows.first(3));
    return g;
}

QString quickCountCommand(const Scoreboard& b)
{
    // Its own header, not a played command: whatever the fields hold is sent
    // as it stands, an "EFFECT" typed into a box included.
    return QStringLiteral("[BYNAME][SBO][12][FO]") + cglink::kCrLf + fieldLines(countFields(b));
}

} // namespace hp::graphics
