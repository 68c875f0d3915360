#include "ListGraphics.h"

namespace hp::graphics {

using db::Rows;
using db::Statement;
using db::Statements;

namespace {

// Today tables of the team batting first (1) or second (2).
QString battingTable(int team)
{
    return team == 1 ? QStringLiteral("SF今日成績") : QStringLiteral("SL今日成績");
}
QString pitchingTable(int team)
{
    return team == 1 ? QStringLiteral("PF今日成績") : QStringLiteral("PL今日成績");
}

// 棒次 is text: "10" must not sort before "2".
const QString kBattingOrder = QStringLiteral(" ORDER BY LENGTH(棒次),棒次");

Graphic databaseRefusal(const QString& error)
{
    return refusedGraphic(QStringLiteral("資料庫讀取失敗: ") + error,
                          QStringLiteral("請檢查資料庫"));
}

QList<LineupRow> lineupRows(const Rows& rows)
{
    QList<LineupRow> out;
    for (const db::Row& r : rows)
        out.append({r.value(QStringLiteral("姓名")), r.value(QStringLiteral("守位"))});
    return out;
}

Graphic fielding(GraphicsSource& source, const QString& folder, int team, const QString& name)
{
    const auto rows = source.read(queries::fieldingLineup(team));
    if (!rows)
        return databaseRefusal(rows.error());
    FieldingLineup l;
    l.team = name;
    l.fielders = lineupRows(rows->at(0));
    if (!rows->at(1).isEmpty())
        l.pitcher = rows->at(1).first().value(QStringLiteral("姓名"));
    return fieldingGraphic(folder, l);
}

Graphic batting(GraphicsSource& source, const QString& folder, int team)
{
    const auto rows = source.read(queries::battingOrder(team));
    if (!rows)
        return databaseRefusal(rows.error());
    BattingOrder o;
    o.batters = lineupRows(rows->at(0));
    if (!rows->at(1).isEmpty()) {
        const db::Row& p = rows->at(1).first();
        o.pitcherAndTeam =
            LineupRow{p.value(QStringLiteral("姓名")), p.value(QStringLiteral("隊名"))};
    }
    return battingOrderGraphic(folder, o);
}

Graphic nextThree(GraphicsSource& source, const QString& folder, bool withScore)
{
    const auto rows = source.read({queries::nextBatters()});
    if (!rows)
        return databaseRefusal(rows.error());
    QList<NextBatter> next;
    for (const db::Row& r : rows->first())
        next.append({r.value(QStringLiteral("棒次")), r.value(QStringLiteral("姓名")),
                     r.value(QStringLiteral("打數")), r.value(QStringLiteral("安打")),
                     r.value(QStringLiteral("隊名"))});
    return withScore ? rheNextBattersGraphic(folder, source.scoreboard(), next)
                     : nextBattersGraphic(folder, next);
}

Graphic profile(GraphicsSource& source, const QString& folder, bool pitcher)
{
    Statement query;
    if (pitcher) {
        const PitcherToday p = source.pitcherToday();
        query = queries::pitcherProfile(p.name, p.number);
    } else {
        query = queries::batterProfile(source.battingTeam(), source.batterToday().number);
    }
    const auto rows = source.read({query});
    if (!rows)
        return databaseRefusal(rows.error());
    std::optional<Profile> row;
    if (!rows->first().isEmpty()) {
        const db::Row& r = rows->first().first();
        row = Profile{r.value(QStringLiteral("姓名")), r.value(QStringLiteral("背號")),
                      r.value(QStringLiteral("身高")), r.value(QStringLiteral("體重")),
                      r.value(QStringLiteral("出生年月日"))};
    }
    return profileGraphic(folder, pitcher, row);
}

} // namespace

const QStringList& inGameItems()
{
    static const QStringList items{
        QStringLiteral("1.先防守順序表"),  QStringLiteral("2.先打擊順序表"),
        QStringLiteral("3.後防守順序表"),  QStringLiteral("4.後打擊順序表"),
        QStringLiteral("5.打者今日成績"),  QStringLiteral("6.投手今日成績"),
        QStringLiteral("7.SBO表"),         QStringLiteral("8.RHE表"),
        QStringLiteral("9.下三棒"),        QStringLiteral("10.九局得分表"),
        QStringLiteral("11.延長賽得分表"), QStringLiteral("12.RHE+下三棒")};
    return items;
}

const QStringList& featureItems()
{
    static const QStringList items{QStringLiteral("對戰表"),       QStringLiteral("場地資料"),
                                   QStringLiteral("裁判名單"),     QStringLiteral("主播"),
                                   QStringLiteral("終場表"),       QStringLiteral("工作人員名單"),
                                   QStringLiteral("投手基本資料"), QStringLiteral("打者基本資料"),
                                   QStringLiteral("投手累計成績"), QStringLiteral("打者累計成績"),
                                   QStringLiteral("備用一"),       QStringLiteral("備用二"),
                                   QStringLiteral("備用三"),       QStringLiteral("備用四"),
                                   QStringLiteral("備用五")};
    return items;
}

std::optional<Graphic> inGameGraphic(int index, GraphicsSource& source, const QString& folder)
{
    switch (index) {
    case 0: // the team batting second fields first
        return fielding(source, folder, 2, source.scoreboard().team2);
    case 1:
        return batting(source, folder, 1);
    case 2:
        return fielding(source, folder, 1, source.scoreboard().team1);
    case 3:
        return batting(source, folder, 2);
    case 4:
        return batterTodayGraphic(folder, source.batterToday());
    case 5:
        return pitcherTodayGraphic(folder, source.pitcherToday(), source.inningsNotation());
    case 6:
        return countGraphic(folder, source.scoreboard());
    case 7:
        return rheGraphic(folder, source.scoreboard());
    case 8:
        return nextThree(source, folder, false);
    case 9:
        return nineInningsGraphic(folder, source.scoreboard());
    case 10:
        return extraInningsGraphic(folder, source.scoreboard());
    case 11:
        return nextThree(source, folder, true);
    default:
        return std::nullopt;
    }
}

std::optional<Graphic> featureGraphic(int index, GraphicsSource& source, const QString& folder,
                                      const QDate& day)
{
    switch (index) {
    case 4:
        return finalScoreGraphic(folder, source.scoreboard(), day);
    case 6:
        return profile(source, folder, true);
    case 7:
        return profile(source, folder, false);
    case 8: {
        PitcherToday p = source.pitcherToday();
        p.era = source.cumulativeEra();
        return pitcherCumulativeGraphic(folder, p, source.pitcherSeason(),
                                        source.inningsNotation());
    }
    case 9:
        return batterCumulativeGraphic(folder, source.batterCumulative());
    default:
        if (index < 0 || index >= featureItems().size())
            return std::nullopt;
        return plainFeatureGraphic(folder, index + 1);
    }
}

namespace queries {

Statements fieldingLineup(int team)
{
    return {{QStringLiteral("SELECT 姓名,守位 FROM ") + battingTable(team) +
                 QStringLiteral(" WHERE 守位<>?") + kBattingOrder + QStringLiteral(" LIMIT 9"),
             {QStringLiteral("DH")}},
            {QStringLiteral("SELECT 姓名 FROM ") + pitchingTable(team) + QStringLiteral(" LIMIT 1"),
             {}}};
}

Statements battingOrder(int team)
{
    return {{QStringLiteral("SELECT 姓名,守位 FROM ") + battingTable(team) + kBattingOrder +
                 QStringLiteral(" LIMIT 9"),
             {}},
            {QStringLiteral("SELECT 姓名,隊名 FROM ") + pitchingTable(team) +
                 QStringLiteral(" LIMIT 1"),
             {}}};
}

Statement nextBatters()
{
    return {QStringLiteral("SELECT * FROM 下三棒 ORDER BY Seq"), {}};
}

Statement pitcherProfile(const QString& name, const QString& number)
{
    return {QStringLiteral("SELECT * FROM 投手基本資料 WHERE 姓名=? AND 背號=?"), {name, number}};
}

Statement batterProfile(const QString& team, const QString& number)
{
    return {QStringLiteral("SELECT * FROM 打者基本資料 WHERE 隊名=? AND 背號=?"), {team, number}};
}

} // namespace queries

} // namespace hp::graphics
