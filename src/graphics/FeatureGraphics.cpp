#include "FeatureGraphics.h"

#include "Figures.h"
#include "Statistics.h"

namespace hp::graphics {

using cglink::Field;

namespace {

Graphic page(const QString& folder, const QString& name, int count, const QList<Field>& fields,
             const QString& image)
{
    Graphic g;
    g.command = countedCommand(name, count, fields);
    g.preview = cglink::previewRequest(name, folder, image);
    return g;
}

QList<Field> firstNine(const QList<LineupRow>& rows, bool numbered)
{
    QList<Field> out;
    for (int i = 0; i < rows.size() && i < 9; ++i) {
        if (!numbered) {
            out.append({positionFieldName(rows[i].position), rows[i].name});
            continue;
        }
        const QString n = QString::number(i + 1);
        out.append({n + u'1', rows[i].name});
        out.append({n + u'2', rows[i].position});
    }
    return out;
}

// A counter of today (its leading number) added to the season's figure.
QString withSeason(const QString& today, double season)
{
    return game::numberText(game::leadingNumber(today) + season);
}

Graphic noPitcher()
{
    return refusedGraphic(QStringLiteral("無此投手資料"), QStringLiteral("請檢查資料庫"));
}

} // namespace

Graphic fieldingGraphic(const QString& folder, const FieldingLineup& l)
{
    if (!l.pitcher)
        return noPitcher();
    // The team field has no line end of its own: the first fielder follows it
    // on the same line, so a line-up with a designated hitter is ten lines.
    Graphic g = page(folder, QStringLiteral("守備"), 10, {}, cglink::kPreviewB);
    g.command +=
        fieldText({QStringLiteral("TEAM"), l.team}) +
        fieldLines(firstNine(l.fielders, false) + QList<Field>{{QStringLiteral("P"), *l.pitcher}});
    return g;
}

Graphic battingOrderGraphic(const QString& folder, const BattingOrder& o)
{
    if (!o.pitcherAndTeam)
        return noPitcher();
    return page(folder, QStringLiteral("打序表"), 20,
                firstNine(o.batters, true) +
                    QList<Field>{{QStringLiteral("P"), o.pitcherAndTeam->name},
                                 {QStringLiteral("TEAM"), o.pitcherAndTeam->position}},
                cglink::kPreviewB);
}

Graphic plainFeatureGraphic(const QString& folder, int row)
{
    static const QStringList pages{QStringLiteral("對戰表"),
                                   QStringLiteral("場地資料"),
                                   QStringLiteral("裁判名單"),
                                   QStringLiteral("主播"),
                                   QString(),
                                   QStringLiteral("工作人員"),
                                   QString(),
                                   QString(),
                                   QString(),
                                   QString(),
                                   QStringLiteral("備用一"),
                                   QStringLiteral("備用二"),
                                   QStringLiteral("備用三"),
                                   QStringLiteral("備用四"),
                                   QStringLiteral("備用五")};
    if (row < 1 || row > 15 || pages[row - 1].isEmpty())
        return refusedGraphic(QStringLiteral("此項目有欄位"), QString());
    Graphic g;
    g.command = cglink::plainCommand(pages[row - 1]);
    g.preview = cglink::previewRequest(pages[row - 1], folder, cglink::kPreviewA);
    g.playCode = cglink::kPlayWithoutFields;
    g.loadsFields = false;
    return g;
}

Graphic finalScoreGraphic(const QString& folder, const Scoreboard& b, const QDate& day)
{
    return page(folder, QStringLiteral("終場表"), 9,
                QList<Field>{{QStringLiteral("DATE1"), day.toString(u"yyyy/MM/dd")}} + rheBlock(b),
                cglink::kPreviewA);
}

Graphic profileGraphic(const QString& folder, bool pitcher, const std::optional<Profile>& row)
{
    if (!row)
        return pitcher
                   ? noPitcher()
                   : refusedGraphic(QStringLiteral("無此打者資料"), QStringLiteral("請檢查資料庫"));
    return page(folder, QStringLiteral("基本資料"), 5,
                {{QStringLiteral("NAME"), row->name},
                 {QStringLiteral("NO"), row->number},
                 {QStringLiteral("T1"), row->height},
                 {QStringLiteral("T2"), row->weight},
                 {QStringLiteral("T3"), row->birth}},
                cglink::kPreviewA);
}

Graphic pitcherCumulativeGraphic(const QString& folder, const PitcherToday& p,
                                 const PitcherSeason& season, game::InningsNotation innings)
{
    return page(folder, QStringLiteral("投手成績累計"), 8,
                {{QStringLiteral("DAY"), QStringLiteral("累計")},
                 {QStringLiteral("NOP"), p.number},
                 {QStringLiteral("NAMEP"), p.name},
                 {QStringLiteral("ERAP"), p.era},
                 {QStringLiteral("T1"),
                  game::inningsText(game::leadingNumber(p.thirds) + season.thirds, innings)},
                 {QStringLiteral("T2"), withSeason(p.hits, season.hitsAllowed)},
                 {QStringLiteral("T3"), withSeason(p.strikeouts, season.strikeouts)},
                 {QStringLiteral("T4"), withSeason(p.walks, season.walks)}},
                cglink::kPreviewA);
}

Graphic batterCumulativeGraphic(const QString& folder, const BatterCumulative& b)
{
    return page(folder, QStringLiteral("打者成績累計"), 8,
                {{QStringLiteral("DAY"), QStringLiteral("累計")},
                 {QStringLiteral("NOS"), b.number},
                 {QStringLiteral("NAMES"), b.name},
                 {QStringLiteral("AVG"), b.average},
                 {QStringLiteral("T1"), withSeason(b.atBats, b.season.atBats)},
                 {QStringLiteral("T2"), withSeason(b.runsBattedIn, b.season.runsBattedIn)},
                 {QStringLiteral("T3"), withSeason(b.hits, b.season.hits)},
                 {QStringLiteral("T4"), withSeason(b.homeRuns, b.season.homeRuns)}},
                cglink::kPreviewA);
}

} // namespace hp::graphics
