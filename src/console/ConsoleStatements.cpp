#include "ConsoleStatements.h"

#include "Schema.h"

#include <QSet>
#include <algorithm>

namespace hp::console {

namespace {

const QString kBlank = QStringLiteral("\u3000");

// Rows of players in uniform-number order, sorted here so that the rows kept
// while the database is away can answer the query too.
db::Rows byUniformNumber(db::Rows rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const db::Row& a, const db::Row& b) {
        const QString x = a.value(QStringLiteral("背號"));
        const QString y = b.value(QStringLiteral("背號"));
        if (db::uniformNumberLess(x, y))
            return true;
        if (db::uniformNumberLess(y, x))
            return false;
        return a.value(QStringLiteral("姓名")) < b.value(QStringLiteral("姓名"));
    });
    return rows;
}

QString entry(const db::Row& r)
{
    return r.value(QStringLiteral("背號")) + u':' + r.value(QStringLiteral("姓名"));
}

// One player by number and name, blanks around either left out.
QString playerKey(const QString& number, const QString& name)
{
    return number.trimmed() + u':' + name.trimmed();
}

QStringList entries(const Result<db::Rows>& rows)
{
    QStringList out;
    if (!rows)
        return out;
    for (const db::Row& r : byUniformNumber(*rows))
        out << entry(r);
    return out;
}

// A player of the team by name, and by uniform number when one is given.
std::optional<RosterPlayer> playerOfTeam(ConsoleDatabase& db, const QString& table,
                                         const QString& team, const QString& number,
                                         const QString& name)
{
    QString sql = QStringLiteral("SELECT 背號,姓名,隊名 FROM ") + table +
                  QStringLiteral(" WHERE 隊名=? AND 姓名=?");
    QVariantList values{team, name};
    if (!number.isEmpty()) {
        sql += QStringLiteral(" AND 背號=?");
        values << number;
    }
    const auto rows = db.query(sql, values);
    if (!rows || rows->isEmpty())
        return std::nullopt;
    const db::Row row = byUniformNumber(*rows).first();
    return RosterPlayer{row.value(QStringLiteral("背號")), row.value(QStringLiteral("姓名")),
                        row.value(QStringLiteral("隊名"))};
}

const QString kBattingColumns = QStringLiteral(
    "棒次,隊名,背號,姓名,守位,打數,安打,全壘打,打點,打擊率,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\","
    "\"7\",\"8\"");
const QString kPitchingColumns =
    QStringLiteral("背號,姓名,隊名,局數,好球,壞球,被安打,被全壘打,奪三振,四死球,失分,自責分");

} // namespace

HalfTables halfTables(bool half)
{
    const db::Side batting = half ? db::Side::Second : db::Side::First;
    const db::Side fielding = half ? db::Side::First : db::Side::Second;
    return {db::battingTable(batting), db::pitchingTable(fielding),
            half ? QStringLiteral("後攻") : QStringLiteral("先攻"), batting, fielding};
}

RosterPlayer chosenPlayer(const QString& text)
{
    const QStringList parts = text.trimmed().split(u':');
    if (parts.size() > 1)
        return {parts[0].trimmed(), parts[1].trimmed(), {}};
    return {{}, parts[0].trimmed(), {}};
}

std::optional<db::Row> batterOfSlot(ConsoleDatabase& db, bool half, int position)
{
    return db.firstRow(QStringLiteral("SELECT * FROM ") + halfTables(half).batting +
                           QStringLiteral(" WHERE 棒次=?"),
                       {QString::number(position)});
}

std::optional<db::Row> seasonBatter(ConsoleDatabase& db, const QString& number, const QString& team)
{
    return db.firstRow(QStringLiteral("SELECT * FROM 打擊整隊表年度 WHERE 背號=? AND 隊名=?"),
                       {number, team});
}

QStringList substitutes(ConsoleDatabase& db, bool half, const QString& team)
{
    const HalfTables t = halfTables(half);
    const auto roster =
        db.query(QStringLiteral("SELECT 背號,姓名 FROM 打擊整隊表年度 WHERE 隊名=?"), {team});
    const auto lineup = db.query(QStringLiteral("SELECT 背號,姓名 FROM ") + t.batting);
    const auto left =
        db.query(QStringLiteral("SELECT 背號,姓名 FROM 退場打者今日 WHERE 先後攻=?"), {t.side});
    if (!roster || !lineup || !left)
        return {};
    QSet<QString> played;
    for (const db::Rows* rows : {&*lineup, &*left})
        for (const db::Row& r : *rows)
            played << playerKey(r.value(QStringLiteral("背號")), r.value(QStringLiteral("姓名")));
    QStringList out;
    for (const db::Row& r : byUniformNumber(*roster))
        if (!played.contains(
                playerKey(r.value(QStringLiteral("背號")), r.value(QStringLiteral("姓名")))))
            out << entry(r);
    return out;
}

std::optional<RosterPlayer> batterOfTeam(ConsoleDatabase& db, const QString& team,
                                         const QString& number, const QString& name)
{
    return playerOfTeam(db, QStringLiteral("打擊整隊表年度"), team, number, name);
}

std::optional<db::Row> fieldingPitcher(ConsoleDatabase& db, bool half)
{
    return db.firstRow(QStringLiteral("SELECT * FROM ") + halfTables(half).pitching +
                       QStringLiteral(" LIMIT 1"));
}

std::optional<db::Row> seasonPitcher(ConsoleDatabase& db, const QString& number,
                                     const QString& team)
{
    return db.firstRow(QStringLiteral("SELECT * FROM 投手整隊表年度 WHERE 背號=? AND 隊名=?"),
                       {number, team});
}

QStringList relievers(ConsoleDatabase& db, bool half, const QString& team, const QString& current)
{
    QStringList out = entries(
        db.query(QStringLiteral("SELECT 背號,姓名 FROM 投手整隊表年度 WHERE 隊名=? AND 姓名<>?"),
                 {team, current}));
    // A pitcher taken out of the game does not come back to the mound. (Where
    // the departed cannot be read, the list stays whole: the operator is not
    // left without a reliever.)
    const auto left = db.query(QStringLiteral("SELECT 背號,姓名 FROM 退場投手今日 WHERE 先後攻=?"),
                               {halfTables(!half).side});
    if (!left)
        return out;
    QSet<QString> gone;
    for (const db::Row& r : *left)
        gone << entry(r);
    out.removeIf([&](const QString& e) { return gone.contains(e); });
    return out;
}

std::optional<RosterPlayer> pitcherOfTeam(ConsoleDatabase& db, const QString& team,
                                          const QString& number, const QString& name)
{
    return playerOfTeam(db, QStringLiteral("投手整隊表年度"), team, number, name);
}

std::optional<db::Row> firstRowOfSbo(ConsoleDatabase& db)
{
    return db.firstRow(QStringLiteral("SELECT S,B,O,Base1,Base2,Base3 FROM SBO表 LIMIT 1"));
}

Result<db::Rows> lineScoreRows(ConsoleDatabase& db)
{
    return db.query(QStringLiteral("SELECT * FROM RHE ORDER BY Half ASC"));
}

Statement saveBatterStats(bool half, int position, const BatterLine& line)
{
    return db::batterLineStatement(halfTables(half).battingSide, position, line);
}

Statement savePitcherStats(bool half, const PitcherLine& line)
{
    return db::pitcherLineStatement(halfTables(half).fieldingSide, line);
}

Statements substitute(bool half, const db::Row& outgoing, const RosterPlayer& player,
                      const QDateTime& at)
{
    const HalfTables t = halfTables(half);
    const QStringList columns = kBattingColumns.split(u',');
    QVariantList values{t.side};
    for (QString c : columns)
        values << outgoing.value(c.remove(u'"'));
    values << at.toString(Qt::ISODate);
    QStringList marks(values.size(), QStringLiteral("?"));
    return {{QStringLiteral("INSERT INTO 退場打者今日 (先後攻,") + kBattingColumns +
                 QStringLiteral(",退場時間) VALUES (") + marks.join(u',') + u')',
             values},
            db::substitutionStatement(t.battingSide, outgoing.value(QStringLiteral("棒次")).toInt(),
                                      player.number, player.name, player.team)};
}

Statements changePitcher(bool half, const RosterPlayer& player, const QDateTime& at)
{
    const HalfTables t = halfTables(half);
    // The fielding team is the one not at bat.
    Statements out{{QStringLiteral("INSERT INTO 退場投手今日 (先後攻,") + kPitchingColumns +
                        QStringLiteral(",退場時間) SELECT ?,") + kPitchingColumns +
                        QStringLiteral(",? FROM ") + t.pitching,
                    {halfTables(!half).side, at.toString(Qt::ISODate)}}};
    out += db::pitcherChangeStatements(t.fieldingSide, player.number, player.name, player.team);
    return out;
}

Statement saveSboState(const SboState& s)
{
    auto base = [&](int i) { return s.bases[i] ? QStringLiteral("◆") : kBlank; };
    return {QStringLiteral("UPDATE SBO表 SET Item1=?,Item2=?,S=?,B=?,O=?,Base1=?,Base2=?,"
                           "Base3=?,R1=?,R2=?"),
            {s.item1, s.item2, s.strikes, s.balls, s.outs, base(0), base(1), base(2), s.runs1,
             s.runs2}};
}

Statements saveLineScore(const LineScoreRow& first, const LineScoreRow& second)
{
    auto row = [](const LineScoreRow& r, const QString& half) {
        QString sql = QStringLiteral("UPDATE RHE SET ");
        QVariantList values;
        for (int i = 1; i <= 12; ++i) {
            sql += QStringLiteral("Round%1=?,").arg(i);
            values << r.cells[i - 1];
        }
        sql += QStringLiteral("CG_RHE=?,R=?,H=?,E=? WHERE Half=?");
        values << kBlank << r.runs << r.hits << r.errors << half;
        return Statement{sql, values};
    };
    return {row(first, QStringLiteral("B")), row(second, QStringLiteral("T"))};
}

namespace {

Statement clearNextThree()
{
    return {QStringLiteral("DELETE FROM 下三棒"), {}};
}

Statement nextThreeRow(int position, const db::Row& row)
{
    return {QStringLiteral("INSERT INTO 下三棒 (棒次,姓名,安打,打數,隊名) VALUES (?,?,?,?,?)"),
            {QString::number(position), row.value(QStringLiteral("姓名")),
             row.value(QStringLiteral("安打")), row.value(QStringLiteral("打數")),
             row.value(QStringLiteral("隊名"))}};
}

} // namespace

NextThree rebuildNextThree(ConsoleDatabase& db, bool half, int lastPosition)
{
    // The team not at bat: the first-batting team while the second bats.
    const QString table = half ? QStringLiteral("SF今日成績") : QStringLiteral("SL今日成績");
    NextThree out;
    out.statements << clearNextThree();
    int k = lastPosition;
    for (int n = 0; n < 3; ++n) {
        k = k + 1 == 10 ? 1 : k + 1;
        const auto row = db.firstRow(QStringLiteral("SELECT 棒次,姓名,安打,打數,隊名 FROM ") +
                                         table + QStringLiteral(" WHERE 棒次=?"),
                                     {QString::number(k)});
        if (!row) {
            out.missing << k;
            continue;
        }
        out.statements << nextThreeRow(k, *row);
    }
    return out;
}

Statement logPlay(const game::PlayEvent& event)
{
    const QStringList columns = game::playLogColumns().mid(1); // Seq numbers the rows
    const QVariantList values = game::playLogValues(event);
    return {QStringLiteral("INSERT INTO ") + game::playLogTable() + QStringLiteral(" (") +
                columns.join(u',') + QStringLiteral(") VALUES (") +
                QStringList(values.size(), QStringLiteral("?")).join(u',') + u')',
            values};
}

Result<QList<game::PlayEvent>> recentPlays(ConsoleDatabase& db, int count)
{
    const auto rows =
        db.query(QStringLiteral("SELECT * FROM ") + game::playLogTable() +
                 QStringLiteral(" ORDER BY Seq DESC LIMIT ") + QString::number(count));
    if (!rows)
        return Result<QList<game::PlayEvent>>::failure(rows.error());
    QList<game::PlayEvent> out;
    for (const db::Row& r : *rows)
        out << game::playEventFromRow([&](const QString& column) { return r.value(column); });
    return out;
}

const StatementNames& statementNames()
{
    // Built from the builders themselves, so that a name always stands for
    // the text the console runs. A builder of several statements names them
    // NAME#1, NAME#2, ...; "B" and "T" are the halves (the first-batting
    // team at bat, the second).
    static const StatementNames names = [] {
        StatementNames n;
        auto add = [&](const QString& name, const Statements& statements) {
            for (qsizetype i = 0; i < statements.size(); ++i)
                n.add(statements.size() == 1 ? name : name + u'#' + QString::number(i + 1),
                      statements[i].sql);
        };
        const QDateTime at;
        const RosterPlayer player;
        const db::Row noRow(std::make_shared<QStringList>(), {});
        for (const bool half : {false, true}) {
            const QString h = half ? QStringLiteral(":T") : QStringLiteral(":B");
            add(QStringLiteral("SaveBatterStats") + h, {saveBatterStats(half, 1, {})});
            add(QStringLiteral("SavePitcherStats") + h, {savePitcherStats(half, {})});
            add(QStringLiteral("Substitute") + h, substitute(half, noRow, player, at));
            add(QStringLiteral("ChangePitcher") + h, changePitcher(half, player, at));
        }
        add(QStringLiteral("SaveSboState"), {saveSboState({})});
        add(QStringLiteral("SaveLineScore"), {saveLineScore({}, {}).first()});
        add(QStringLiteral("RebuildNextThree#1"), {clearNextThree()});
        add(QStringLiteral("RebuildNextThree#2"), {nextThreeRow(1, noRow)});
        add(QStringLiteral("LogPlay"), {logPlay({})});
        return n;
    }();
    return names;
}

Statements preparation(db::ConnectionSettings::Engine engine)
{
    Statements out;
    for (const QString& sql : db::archiveTableStatements(engine))
        out << Statement{sql, {}};
    return out;
}

} // namespace hp::console
