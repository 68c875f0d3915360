#include "GameLog.h"

#include "BoxScore.h"
#include "Figures.h"
#include "RegularFile.h"

#include <QIODevice>

namespace hp::report {

namespace {

using game::PlayEvent;
namespace play = game::play;

QString player(const QString& number, const QString& name)
{
    return number.isEmpty() ? name : number + u':' + name;
}

// The team of the row's pitcher: the one not at bat.
QString pitcherKey(const game::PlayState& s)
{
    return playerKey(!s.half, s.pitcherNumber, s.pitcherName);
}

QString batterKey(const game::PlayState& s)
{
    return playerKey(s.half, s.batterNumber, s.batterName);
}

void count(GameTally& t, const PlayEvent& e, const QString& caption, int by)
{
    PitcherTally& p = t.pitchers[pitcherKey(e.state)];
    BatterTally& b = t.batters[batterKey(e.state)];
    p.battersFaced += by;
    if (caption == QStringLiteral("四壞") || caption == QStringLiteral("敬遠")) {
        p.walks += by;
        b.walks += by;
    } else if (caption == QStringLiteral("觸身")) {
        p.hitByPitch += by;
        b.hitByPitch += by;
    } else if (caption == QStringLiteral("三振") || caption == QStringLiteral("不死")) {
        p.strikeouts += by;
        b.strikeouts += by;
    }
}

double runs(const game::PlayState& s, int team)
{
    return game::leadingNumber(s.runs(team));
}

int leader(const game::PlayState& s)
{
    const double a = runs(s, 1);
    const double b = runs(s, 2);
    return a > b ? 1 : b > a ? 2 : 0;
}

} // namespace

QString playerKey(bool secondTeam, const QString& number, const QString& name)
{
    return (secondTeam ? QStringLiteral("後攻|") : QStringLiteral("先攻|")) + number.trimmed() +
           u'|' + name.trimmed();
}

GameTally tallyGame(const QList<PlayEvent>& log)
{
    GameTally t;
    // The outcome in each box, as recorded, and the row that recorded it.
    QHash<QString, const PlayEvent*> recorded;
    auto boxKey = [](const PlayEvent& e) {
        return batterKey(e.state) + u'|' + QString::number(e.state.slot) + u'|' +
               QString::number(e.box);
    };
    for (const PlayEvent& e : log) {
        t.round = e.state.round;
        t.half = e.state.half;
        if (e.kind == play::kOutcome) {
            count(t, e, e.detail, 1);
            recorded.insert(boxKey(e), &e);
        } else if (e.kind == play::kUndo) {
            if (const PlayEvent* was = recorded.take(boxKey(e)))
                count(t, *was, was->detail, -1);
        } else if (e.kind == play::kSubstitution) {
            const QString number = e.after.contains(u':') ? e.after.section(u':', 0, 0) : QString();
            const QString name = e.after.contains(u':') ? e.after.section(u':', 1) : e.after;
            t.entered.insert(playerKey(e.state.half, number, name),
                             QStringLiteral("代打 %1局").arg(e.state.round));
        } else if (e.kind == play::kGameEnd) {
            t.ended = true;
        }
    }
    return t;
}

Decisions decideGame(const QList<PlayEvent>& log, const std::array<QString, 2>& starters,
                     const QHash<QString, double>& thirds)
{
    Decisions d;
    if (log.isEmpty())
        return d;
    const int winner = leader(log.last().state);
    if (winner == 0)
        return d;
    // Each team's pitcher as the log goes, and when each of the winner's came in.
    QString current[2] = {starters[0], starters[1]};
    struct Entry {
        int lead = 0;
        int runners = 0;
    };
    QHash<QString, Entry> cameIn{{starters[winner - 1], {}}};
    QStringList relievers; // the winner's, in order
    int tookLead = -1;
    QString winnerOfRecord, loser;
    for (qsizetype i = 0; i < log.size(); ++i) {
        const game::PlayState& s = log[i].state;
        const int fielding = s.half ? 1 : 2;
        const QString pitcher = player(s.pitcherNumber, s.pitcherName);
        if (!s.pitcherName.isEmpty() && current[fielding - 1] != pitcher) {
            current[fielding - 1] = pitcher;
            if (fielding == winner && !cameIn.contains(pitcher)) {
                const int lead = int(runs(s, winner) - runs(s, 3 - winner));
                int on = 0;
                for (bool b : s.bases)
                    on += b ? 1 : 0;
                cameIn.insert(pitcher, {lead, on});
                relievers << pitcher;
            }
        }
        const int before = i > 0 ? leader(log[i - 1].state) : 0;
        if (leader(s) == winner && before != winner) {
            tookLead = int(i);
            winnerOfRecord = current[winner - 1];
            loser = current[3 - winner - 1];
        }
    }
    if (tookLead < 0)
        return d;
    d.win = winnerOfRecord;
    d.loss = loser;
    // A starter who did not pitch five innings gets no win: it goes to the
    // winning team's reliever with the most innings.
    auto pitched = [&](const QString& who) {
        const QString number = who.contains(u':') ? who.section(u':', 0, 0) : QString();
        const QString name = who.contains(u':') ? who.section(u':', 1) : who;
        return thirds.value(playerKey(winner == 2, number, name));
    };
    if (d.win == starters[winner - 1] && pitched(d.win) < 15) {
        QString best;
        for (const QString& r : relievers)
            if (r != d.win && (best.isEmpty() || pitched(r) > pitched(best)))
                best = r;
        if (!best.isEmpty())
            d.win = best;
    }
    const QString finisher = current[winner - 1];
    if (finisher.isEmpty() || finisher == d.win)
        return d;
    const Entry in = cameIn.value(finisher);
    const bool close = in.lead > 0 && in.lead <= 3;
    // The tying run on base, at bat or on deck.
    const bool tyingRunNear = in.lead > 0 && in.lead <= in.runners + 2;
    if (close || tyingRunNear || pitched(finisher) >= 9)
        d.save = finisher;
    return d;
}

QString gameStatusText(const GameTally& t)
{
    if (t.ended)
        return QStringLiteral("終場");
    return QStringLiteral("進行中 ") + game::halfInningText(t.round, t.half);
}

namespace {

Result<db::Rows> logRows(db::Database& d)
{
    return d.query(QStringLiteral("SELECT * FROM ") + game::playLogTable() +
                   QStringLiteral(" ORDER BY Seq"));
}

} // namespace

Result<QList<PlayEvent>> readPlayLog(db::Database& d)
{
    const auto rows = logRows(d);
    if (!rows)
        return Result<QList<PlayEvent>>::failure(rows.error());
    QList<PlayEvent> out;
    for (const db::Row& r : *rows)
        out << game::playEventFromRow([&](const QString& c) { return r.value(c); });
    return out;
}

Result<Done> writePlayLog(db::Database& d, const QString& file)
{
    const QStringList columns = game::playLogColumns();
    const auto rows = logRows(d);
    if (!rows)
        return Result<Done>::failure(rows.error());
    QList<QStringList> table{columns};
    for (const db::Row& r : *rows) {
        QStringList line;
        for (const QString& c : columns)
            line << r.value(c);
        table << line;
    }
    const QByteArray bytes = csvTable(table);
    if (!app::replaceFile(file, [&](QIODevice& f) { return f.write(bytes) == bytes.size(); }))
        return Result<Done>::failure(QStringLiteral("無法寫入 ") + file);
    return success();
}

} // namespace hp::report
