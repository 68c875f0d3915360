#include "GameStatements.h"

namespace hp::db {

namespace {
const QString kBlank = QStringLiteral("\u3000");

QString outcomeColumns()
{
    QString out;
    for (int n = 1; n <= 8; ++n)
        out += QStringLiteral(",\"%1\"=?").arg(n);
    return out;
}
} // namespace

QString battingTable(Side side)
{
    return side == Side::First ? QStringLiteral("SF今日成績") : QStringLiteral("SL今日成績");
}

QString pitchingTable(Side side)
{
    return side == Side::First ? QStringLiteral("PF今日成績") : QStringLiteral("PL今日成績");
}

Statement deleteAllStatement(const QString& table)
{
    return {QStringLiteral("DELETE FROM ") + table, {}};
}

Statement battingSlotStatement(Side side, int slot, const QString& team, const QString& number,
                               const QString& name, const QString& position)
{
    return {QStringLiteral("Insert into ") + battingTable(side) +
                QStringLiteral(" (棒次,隊名,背號,姓名,守位) Values (?,?,?,?,?)"),
            {QString::number(slot), team, number, name, position}};
}

Statement pitcherStatement(Side side, const QString& number, const QString& name,
                           const QString& team)
{
    return {QStringLiteral("insert into ") + pitchingTable(side) +
                QStringLiteral(" (背號,姓名,隊名) Values (?,?,?)"),
            {number, name, team}};
}

Statements pitcherChangeStatements(Side side, const QString& number, const QString& name,
                                   const QString& team)
{
    return {deleteAllStatement(pitchingTable(side)), pitcherStatement(side, number, name, team)};
}

Statement pitcherLineStatement(Side side, const PitcherLine& l)
{
    return {QStringLiteral("Update ") + pitchingTable(side) +
                QStringLiteral(" Set 背號=?,姓名=?,局數=?,好球=?,壞球=?,被安打=?,"
                               "被全壘打=?,奪三振=?,四死球=?,失分=?,自責分=?"),
            {l.number, l.name, l.thirds, l.strikes, l.balls, l.hits, l.homeRuns, l.strikeouts,
             l.walks, l.runs, l.earnedRuns}};
}

Statement substitutionStatement(Side side, int slot, const QString& number, const QString& name,
                                const QString& team)
{
    QVariantList values{number, name, team};
    for (int n = 1; n <= 8; ++n)
        values << kBlank;
    values << QString::number(slot);
    return {QStringLiteral("UpDate ") + battingTable(side) +
                QStringLiteral(" Set 背號=?,姓名=?,隊名=?,打數='0',安打='0',"
                               "全壘打='0',打點='0',打擊率='0.000'") +
                outcomeColumns() + QStringLiteral(" Where 棒次=?"),
            values};
}

Statement batterLineStatement(Side side, int slot, const BatterLine& l)
{
    QVariantList values{l.atBats, l.hits, l.homeRuns, l.rbi, l.average};
    for (int n = 0; n < 8; ++n)
        values << l.outcomes.value(n);
    values << QString::number(slot);
    return {QStringLiteral("Update ") + battingTable(side) +
                QStringLiteral(" Set 打數=?,安打=?,全壘打=?,打點=?,打擊率=?") + outcomeColumns() +
                QStringLiteral(" Where 棒次=?"),
            values};
}

Result<Done> deleteAll(Database& db, const QString& table)
{
    return db.execute(deleteAllStatement(table));
}

Result<Done> insertBattingSlot(Database& db, Side side, int slot, const QString& team,
                               const QString& number, const QString& name, const QString& position)
{
    return db.execute(battingSlotStatement(side, slot, team, number, name, position));
}

Result<Done> insertPitcher(Database& db, Side side, const QString& number, const QString& name,
                           const QString& team)
{
    return db.execute(pitcherStatement(side, number, name, team));
}

Result<Done> changePitcher(Database& db, Side side, const QString& number, const QString& name,
                           const QString& team)
{
    return db.execute(pitcherChangeStatements(side, number, name, team));
}

Result<Done> savePitcherLine(Database& db, Side side, const PitcherLine& l)
{
    return db.execute(pitcherLineStatement(side, l));
}

Result<Done> substituteBatter(Database& db, Side side, int slot, const QString& number,
                              const QString& name, const QString& team)
{
    return db.execute(substitutionStatement(side, slot, number, name, team));
}

Result<Done> saveBatterLine(Database& db, Side side, int slot, const BatterLine& l)
{
    return db.execute(batterLineStatement(side, slot, l));
}

} // namespace hp::db
