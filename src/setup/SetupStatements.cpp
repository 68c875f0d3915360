#include "SetupStatements.h"

#include "Figures.h"
#include "GameProgress.h"
#include "GameStatements.h"
#include "Schema.h"

#include <algorithm>

namespace hp::setup {

namespace {

using db::Side;

Result<QStringList> entries(db::Database& db, const QString& sql, const QString& team)
{
    const auto rows = db.query(sql, {team});
    if (!rows)
        return Result<QStringList>::failure(rows.error());
    QStringList out;
    for (const db::Row& r : *rows)
        out << joinEntry(r.value(QStringLiteral("背號")), r.value(QStringLiteral("姓名")));
    return out;
}

QString nameOf(const QString& entry)
{
    return splitEntry(entry).value_or(RosterEntry{}).name;
}

QString numberOf(const QString& entry)
{
    return splitEntry(entry).value_or(RosterEntry{}).number;
}

// One player's rows in a roster (or a table copied from one): within his team,
// by name and by uniform number when the entry has one, so that a namesake in
// another team, or with another number, is never taken for him.
struct PlayerMatch {
    QString where;
    QVariantList values;
};

PlayerMatch playerMatch(const QString& team, const QString& entry)
{
    const RosterEntry e = splitEntry(entry).value_or(RosterEntry{});
    if (e.number.isEmpty())
        return {QStringLiteral(" Where 隊名=? And 姓名=?"), {team, e.name}};
    return {QStringLiteral(" Where 隊名=? And 背號=? And 姓名=?"), {team, e.number, e.name}};
}

// Runs each statement in turn; the first failure ends the run.
class Batch {
public:
    explicit Batch(db::Database& db)
        : m_db(db)
    {
    }
    Batch& operator()(const QString& sql, const QVariantList& values = {})
    {
        if (m_result.ok()) {
            const auto r = m_db.exec(sql, values);
            if (!r)
                m_result = Result<Done>::failure(r.error());
        }
        return *this;
    }
    Batch& then(const std::function<Result<Done>()>& step)
    {
        if (m_result.ok())
            m_result = step();
        return *this;
    }
    Result<Done> result() const { return m_result; }

private:
    db::Database& m_db;
    Result<Done> m_result = success();
};

Result<Done> insertStartingPitcher(db::Database& db, Side side, const TeamSelection& team)
{
    const QString& pitcher = team.pitcher;
    const PlayerMatch match = playerMatch(team.team, pitcher);
    const auto found = db.query(
        QStringLiteral("Select 背號,姓名,隊名 From 投手整隊表年度") + match.where, match.values);
    if (!found)
        return db::asDone(found);
    if (found->isEmpty())
        return Result<Done>::failure(
            QStringLiteral("先發投手「%1」不在年度投手名單中").arg(nameOf(pitcher)));
    const db::Row& row = found->first();
    return db::insertPitcher(db, side, row.value(QStringLiteral("背號")),
                             row.value(QStringLiteral("姓名")), row.value(QStringLiteral("隊名")));
}

void fillBattersToday(Batch& run, const QString& table, const TeamSelection& team)
{
    run(QStringLiteral("Delete From ") + table);
    static const QStringList today{QStringLiteral("今日一"), QStringLiteral("今日二"),
                                   QStringLiteral("今日三"), QStringLiteral("今日四"),
                                   QStringLiteral("今日五"), QStringLiteral("今日六"),
                                   QStringLiteral("今日七"), QStringLiteral("今日八"),
                                   QStringLiteral("今日九"), QStringLiteral("今日十")};
    QStringList sets;
    for (const QString& c : today)
        sets << c + QStringLiteral("='\u3000'");
    for (int n = 1; n <= 10; ++n)
        sets << QStringLiteral("次數%1='\u3000'").arg(n);
    for (int i = 0; i < 9; ++i) {
        const PlayerMatch match = playerMatch(team.team, team.order[i]);
        run(QStringLiteral("Insert into ") + table +
                QStringLiteral(
                    "(隊名,背號,姓名,打習) Select 隊名,背號,姓名,打習 From 打擊整隊表年度") +
                match.where,
            match.values);
        run(QStringLiteral("Update ") + table +
                QStringLiteral(" Set 棒次=?,守位=?,打擊率='0.000'") + match.where,
            QVariantList{i + 1, team.positions[i]} + match.values);
        run(QStringLiteral("Update ") + table + QStringLiteral(" Set ") + sets.join(u',') +
                match.where,
            match.values);
    }
}

void fillPitcherToday(Batch& run, const QString& prefix, const TeamSelection& team)
{
    const QString table = prefix + QStringLiteral("投手今日");
    const PlayerMatch match = playerMatch(team.team, team.pitcher);
    run(QStringLiteral("Delete From ") + table);
    run(QStringLiteral("Insert Into ") + table +
            QStringLiteral("(隊名,背號,姓名,打習) Select 隊名,背號,姓名,打習 From 投手整隊表年度") +
            match.where,
        match.values);
    run(QStringLiteral("Update ") + table + QStringLiteral(" Set 自責分率='0.00'") + match.where,
        match.values);
}

void fillBaseStateToday(Batch& run, const Selection& s)
{
    run(QStringLiteral("Delete From 打者壘上狀態今日"));
    const QStringList states{QStringLiteral("無人"), QStringLiteral("有人"),
                             QStringLiteral("得點圈"), QStringLiteral("滿壘")};
    const QList<std::pair<const TeamSelection*, QString>> teams{
        {&s.first, QStringLiteral("先攻今日")}, {&s.second, QStringLiteral("後攻今日")}};
    // State and record are the program's own words, written as literals: a
    // parameter in a select list has no type for PostgreSQL.
    for (const auto& [team, record] : teams)
        for (const QString& entry : team->order) {
            const PlayerMatch match = playerMatch(team->team, entry);
            for (const QString& state : states)
                run(QStringLiteral(
                        "Insert into 打者壘上狀態今日 Select 隊名,背號,姓名,'%1' as 狀態,"
                        "'%2' as 紀錄 From 打擊整隊表年度")
                            .arg(state, record) +
                        match.where,
                    match.values);
        }
}

void fillBatterVsHandToday(Batch& run, const Selection& s)
{
    run(QStringLiteral("Delete From 打者對左右投今日"));
    for (const TeamSelection* team : {&s.first, &s.second})
        for (const QString& entry : team->order) {
            const PlayerMatch match = playerMatch(team->team, entry);
            run(QStringLiteral("Insert into 打者對左右投今日 Select 隊名,背號,姓名 From "
                               "打擊整隊表年度") +
                    match.where,
                match.values);
        }
}

void fillPitcherVsBatterToday(Batch& run, const Selection& s)
{
    run(QStringLiteral("Delete From 投手對打者今日"));
    const QList<std::pair<const TeamSelection*, const TeamSelection*>> pairs{{&s.first, &s.second},
                                                                             {&s.second, &s.first}};
    for (const auto& [batting, fielding] : pairs)
        for (const QString& entry : batting->order)
            run(QStringLiteral(
                    "Insert into 投手對打者今日(投手隊名,應戰投手,對戰球員,背號,打者隊名) "
                    "Values (?,?,?,?,?)"),
                {fielding->team, nameOf(fielding->pitcher), nameOf(entry), numberOf(entry),
                 batting->team});
}

void fillPitcherVsHandToday(Batch& run, const Selection& s)
{
    run(QStringLiteral("Delete From 投手對左右打今日"));
    for (const TeamSelection* team : {&s.first, &s.second})
        run(QStringLiteral("Insert into 投手對左右打今日(隊名,背號,姓名) Values (?,?,?)"),
            {team->team, numberOf(team->pitcher), nameOf(team->pitcher)});
}

void fillRheScoreTable(Batch& run, const Selection& s)
{
    run(QStringLiteral("Delete From RHE得分表"));
    run(QStringLiteral("Insert Into RHE得分表(隊名1,隊名2,R1,R2,H1,H2,E1,E2) "
                       "Values(?,?,0,0,0,0,0,0)"),
        {s.first.team, s.second.team});
    run(QStringLiteral("Update RHE得分表 Set 棒次1=1,棒次2=2,棒次3=3,第一棒=?,第二棒=?,第三棒=?,"
                       "Status1='0-0',Status2='0-0',Status3='0-0'"),
        {nameOf(s.second.order[0]), nameOf(s.second.order[1]), nameOf(s.second.order[2])});
}

void fillSboTable(Batch& run, const Selection& s)
{
    run(QStringLiteral("Delete From SBO"));
    run(QStringLiteral("Insert Into SBO(隊名1,隊名2,局數,半局,好球,壞球,出局)  "
                       "Values(?,?,1,'上',0,0,0)"),
        {s.first.team, s.second.team});
}

} // namespace

Result<QStringList> loadTeams(db::Database& db)
{
    const auto rows = db.query(QStringLiteral("Select 隊名 From 打擊整隊表年度 Group By 隊名 "));
    if (!rows)
        return Result<QStringList>::failure(rows.error());
    QStringList out;
    for (const db::Row& r : *rows)
        out << r.at(0);
    return out;
}

Result<QStringList> teamPitchers(db::Database& db, const QString& team)
{
    return entries(db,
                   QStringLiteral("Select 背號,姓名 From 投手整隊表年度 where 隊名=? Order By ") +
                       db::uniformNumberOrder(),
                   team);
}

Result<QStringList> teamBatters(db::Database& db, const QString& team)
{
    return entries(db,
                   QStringLiteral("Select 背號,姓名 From 打擊整隊表年度 where 隊名=? order by ") +
                       db::uniformNumberOrder(),
                   team);
}

Result<QStringList> unknownPitchers(db::Database& db, const Selection& selection)
{
    QStringList unknown;
    for (const TeamSelection* t : {&selection.first, &selection.second}) {
        const PlayerMatch match = playerMatch(t->team, t->pitcher);
        const auto found =
            db.query(QStringLiteral("Select 姓名 From 投手整隊表年度") + match.where, match.values);
        if (!found)
            return Result<QStringList>::failure(found.error());
        if (found->isEmpty())
            unknown << nameOf(t->pitcher);
    }
    return unknown;
}

Result<Done> initialiseGame(db::Database& db, const Selection& s)
{
    Batch run(db);
    run(QStringLiteral("DELETE FROM SBO表"));
    run(QStringLiteral("insert into SBO表 (Item1 ,Item2) Values (?,?)"),
        {s.first.team, s.second.team});
    run(QStringLiteral("Delete From RHE"));
    run(QStringLiteral("Insert Into RHE (Half,TEAM) Values ('B',?)"), {s.first.team});
    run(QStringLiteral("Insert Into RHE (Half,TEAM) Values ('T',?)"), {s.second.team});
    run(QStringLiteral("DELETE FROM SF今日成績"));
    run(QStringLiteral("DELETE FROM SL今日成績"));
    const QList<std::pair<Side, const TeamSelection*>> teams{{Side::First, &s.first},
                                                             {Side::Second, &s.second}};
    for (const auto& [side, team] : teams)
        for (int i = 0; i < 9; ++i)
            run.then([&, side = side, team = team, i] {
                const RosterEntry e = splitEntry(team->order[i]).value_or(RosterEntry{});
                return db::insertBattingSlot(db, side, i + 1, team->team, e.number, e.name,
                                             team->positions[i]);
            });
    run(QStringLiteral("DELETE FROM PF今日成績"));
    run(QStringLiteral("DELETE FROM PL今日成績"));
    // The lines of players who left the last game go with it (an older
    // database gets the archive tables here).
    for (const QString& sql : db::archiveTableStatements(db.engine()))
        run(sql);
    for (const QString& table : db::archiveTableNames())
        run(QStringLiteral("DELETE FROM ") + table);
    // A new game: units the console numbered for the last one are never
    // stored into this one.
    for (const db::Statement& st : db::newGameStatements(db::newGameId()))
        run(st.sql, st.values);
    run.then([&] { return insertStartingPitcher(db, Side::First, s.first); });
    run.then([&] { return insertStartingPitcher(db, Side::Second, s.second); });
    return run.result();
}

Result<Done> prepareGraphicsTables(db::Database& db, const Selection& s)
{
    Batch run(db);
    fillBattersToday(run, QStringLiteral("先攻打者今日"), s.first);
    fillPitcherToday(run, QStringLiteral("先攻"), s.first);
    fillBattersToday(run, QStringLiteral("後攻打者今日"), s.second);
    fillPitcherToday(run, QStringLiteral("後攻"), s.second);
    fillBaseStateToday(run, s);
    fillBatterVsHandToday(run, s);
    fillPitcherVsBatterToday(run, s);
    fillPitcherVsHandToday(run, s);
    fillRheScoreTable(run, s);
    fillSboTable(run, s);
    return run.result();
}

} // namespace hp::setup

namespace hp::setup {

namespace {

struct TeamTables {
    QString batting;
    QString pitching;
};

TeamTables teamTables(StoredTables tables, Side side)
{
    if (tables == StoredTables::Go)
        return {db::battingTable(side), db::pitchingTable(side)};
    const QString prefix = side == Side::First ? QStringLiteral("先攻") : QStringLiteral("後攻");
    return {prefix + QStringLiteral("打者今日"), prefix + QStringLiteral("投手今日")};
}

// One team's order of nine, positions and pitcher as its tables hold them;
// false when they do not hold nine slots 1 to 9 and one pitcher.
Result<bool> readTeam(db::Database& db, const TeamTables& tables, TeamSelection& team)
{
    const auto batters =
        db.query(QStringLiteral("Select 棒次,背號,姓名,守位 From ") + tables.batting, {});
    if (!batters)
        return Result<bool>::failure(batters.error());
    QStringList order(9), positions(9);
    for (const db::Row& r : *batters) {
        const int slot = int(game::leadingNumber(r.value(QStringLiteral("棒次"))));
        if (slot < 1 || slot > 9 || !order[slot - 1].isEmpty())
            return false;
        order[slot - 1] =
            joinEntry(r.value(QStringLiteral("背號")), r.value(QStringLiteral("姓名")));
        positions[slot - 1] = r.value(QStringLiteral("守位"));
    }
    const auto pitchers = db.query(QStringLiteral("Select 背號,姓名 From ") + tables.pitching, {});
    if (!pitchers)
        return Result<bool>::failure(pitchers.error());
    if (batters->size() != 9 || pitchers->isEmpty())
        return false;
    team.order = order;
    team.positions = positions;
    team.pitcher = joinEntry(pitchers->first().value(QStringLiteral("背號")),
                             pitchers->first().value(QStringLiteral("姓名")));
    return true;
}

} // namespace

Result<std::optional<Selection>> storedSelection(db::Database& db, StoredTables tables)
{
    using Stored = Result<std::optional<Selection>>;
    Selection s;
    if (tables == StoredTables::Go) {
        const auto rows = db.query(QStringLiteral("Select Half,TEAM From RHE"), {});
        if (!rows)
            return Stored::failure(rows.error());
        for (const db::Row& r : *rows) {
            const QString half = r.value(QStringLiteral("Half"));
            if (half == QStringLiteral("B"))
                s.first.team = r.value(QStringLiteral("TEAM"));
            else if (half == QStringLiteral("T"))
                s.second.team = r.value(QStringLiteral("TEAM"));
        }
    } else {
        const auto rows = db.query(QStringLiteral("Select 隊名1,隊名2 From RHE得分表"), {});
        if (!rows)
            return Stored::failure(rows.error());
        if (rows->size() == 1) {
            s.first.team = rows->first().value(QStringLiteral("隊名1"));
            s.second.team = rows->first().value(QStringLiteral("隊名2"));
        }
    }
    if (s.first.team.isEmpty() || s.second.team.isEmpty())
        return std::optional<Selection>();
    for (const auto& [side, team] :
         {std::pair{Side::First, &s.first}, std::pair{Side::Second, &s.second}}) {
        const auto read = readTeam(db, teamTables(tables, side), *team);
        if (!read)
            return Stored::failure(read.error());
        if (!*read)
            return std::optional<Selection>();
    }
    return std::optional<Selection>(s);
}

Result<GameStartState> gameStartState(db::Database& db, const Selection& s)
{
    const auto rows = db.query(QStringLiteral("Select 隊名1,隊名2 From RHE得分表"), {});
    if (!rows)
        return Result<GameStartState>::failure(rows.error());
    const bool teams = std::any_of(rows->begin(), rows->end(), [&](const db::Row& r) {
        return r.value(QStringLiteral("隊名1")) == s.first.team &&
               r.value(QStringLiteral("隊名2")) == s.second.team;
    });
    if (!teams)
        return GameStartState::NotRun;
    const auto stored = storedSelection(db, StoredTables::GameStart);
    if (!stored)
        return Result<GameStartState>::failure(stored.error());
    auto same = [](const TeamSelection& a, const TeamSelection& b) {
        return a.team == b.team && a.order == b.order && a.positions == b.positions &&
               a.pitcher == b.pitcher;
    };
    return *stored && same((*stored)->first, s.first) && same((*stored)->second, s.second)
               ? GameStartState::Prepared
               : GameStartState::OtherLineUp;
}

} // namespace hp::setup
