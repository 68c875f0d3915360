#include "BoxScore.h"
#include "ConsoleFixture.h"
#include "PlayEvent.h"
#include "PlayHistory.h"
#include "WindowPlacement.h"

#include <QDockWidget>
#include <QListWidget>
#include <QProcess>
#include <QtTest>

using namespace hp;
using test::ConsoleFixture;

namespace {

struct LogGame : ConsoleFixture {
    using ConsoleFixture::ConsoleFixture;

    void pitches(const QString& label, int n)
    {
        for (int i = 0; i < n; ++i)
            QVERIFY(press(label));
    }
    void tick(int base)
    {
        act(QStringLiteral("Base_Check(%1)").arg(base), QStringLiteral("check"),
            {{QStringLiteral("value"), 1}});
    }
    void next() { QVERIFY(click(QStringLiteral("Command4"))); }
    void changeHalf() { QVERIFY(click(QStringLiteral("Next_Command"))); }
    void select(const QString& combo, int index)
    {
        QVERIFY(h.ok(act(combo, QStringLiteral("select"), {{QStringLiteral("index"), index}})));
    }

    // Three innings of the first-batting team and two of the second: a walk, a hit by pitch, a
    // strikeout, a three-run home run, a pitcher change, an undone single and its correction, a
    // pinch hitter.
    void script()
    {
        const QString strike = QStringLiteral("SBO_Lab(1)");
        const QString ball = QStringLiteral("SBO_Lab(2)");
        // 1st, top.
        pitches(ball, 3);
        QVERIFY(play(QStringLiteral("四壞")));
        tick(1);
        next();
        QVERIFY(play(QStringLiteral("觸身")));
        tick(2);
        next();
        pitches(strike, 2);
        QVERIFY(play(QStringLiteral("三振")));
        next();
        QVERIFY(play(QStringLiteral("全壘")));
        next();
        QVERIFY(play(QStringLiteral("刺殺")));
        next();
        QVERIFY(play(QStringLiteral("外飛")));
        changeHalf();
        // 1st, bottom: a reliever for the first-batting team first.
        QVERIFY(h.ok(act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"))));
        select(QStringLiteral("BackupP_Combo"), 0);
        pitches(ball, 1);
        QVERIFY(play(QStringLiteral("一壘")));
        QVERIFY(undo(1));
        QVERIFY(play(QStringLiteral("二壘")));
        tick(2);
        next();
        QVERIFY(press(QStringLiteral("NameS_Lab")));
        select(QStringLiteral("BackupS_Combo"), 0);
        pitches(strike, 2);
        QVERIFY(play(QStringLiteral("三振")));
        next();
        QVERIFY(play(QStringLiteral("內飛")));
        next();
        QVERIFY(play(QStringLiteral("外飛")));
        changeHalf();
        // 2nd and the top of the 3rd: three up, three down.
        for (int half = 0; half < 3; ++half) {
            QVERIFY(play(QStringLiteral("刺殺")));
            next();
            QVERIFY(play(QStringLiteral("內飛")));
            next();
            QVERIFY(play(QStringLiteral("界飛")));
            changeHalf();
        }
    }

    QList<game::PlayEvent> log()
    {
        QList<game::PlayEvent> out;
        auto d = tdb.open();
        const auto rows = d->query(QStringLiteral("SELECT * FROM 比賽紀錄 ORDER BY Seq"));
        if (!rows)
            return out;
        for (const db::Row& r : *rows)
            out << game::playEventFromRow([&](const QString& c) { return r.value(c); });
        return out;
    }
    static QStringList kinds(const QList<game::PlayEvent>& events)
    {
        QStringList out;
        for (const game::PlayEvent& e : events)
            out << (e.detail.isEmpty() ? e.kind : e.kind + u' ' + e.detail);
        return out;
    }
};

QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(u',');
}

} // namespace

class TstConsoleLog : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void aScriptedGameIsLoggedInOrder_data() { test::TestDatabase::addEngineRows(); }
    void aScriptedGameIsLoggedInOrder()
    {
        QFETCH(QString, engine);
        LogGame f(engine);
        QVERIFY(f.tdb.ok());
        f.script();
        QVERIFY2(f.h.messages().isEmpty(), qPrintable(f.h.messages().join(u'\n')));
        const QList<game::PlayEvent> log = f.log();
        const QStringList top = words("壞球,壞球,壞球,結果 四壞,跑者,下一棒,結果 觸身,跑者,下一棒,"
                                      "好球,好球,結果 三振,下一棒,結果 全壘,下一棒,結果 刺殺,"
                                      "下一棒,結果 外飛,換局");
        const QStringList bottom =
            words("換投,壞球,結果 一壘,取消 一壘,結果 二壘,跑者,下一棒,換人,"
                  "好球,好球,結果 三振,下一棒,結果 內飛,下一棒,結果 外飛,換局");
        const QStringList quick = words("結果 刺殺,下一棒,結果 內飛,下一棒,結果 界飛,換局");
        QCOMPARE(LogGame::kinds(log), top + bottom + quick + quick + quick);
        // Seq numbers the rows in order.
        for (qsizetype i = 1; i < log.size(); ++i)
            QVERIFY(log[i].seq > log[i - 1].seq);

        // The states after each action.
        const game::PlayEvent& walk = log[3];
        QCOMPARE(walk.state.round, 1);
        QVERIFY(!walk.state.half);
        QCOMPARE(walk.state.slot, 1);
        QCOMPARE(walk.state.battingTeam, f.selection.first.team);
        QCOMPARE(walk.state.batterName, LogGame::nameOf(f.selection.first.order[0]));
        QCOMPARE(walk.state.pitcherName, LogGame::nameOf(f.selection.second.pitcher));
        QCOMPARE(walk.before, QStringLiteral("3-0"));
        QCOMPARE(walk.box, 1);
        QCOMPARE(log[4].state.bases, (std::array<bool, 3>{true, false, false}));
        const game::PlayEvent& homeRun = log[13];
        QCOMPARE(homeRun.detail, QStringLiteral("全壘"));
        QCOMPARE(homeRun.state.slot, 4);
        QCOMPARE(homeRun.state.outs, 1);
        QCOMPARE(homeRun.state.bases, (std::array<bool, 3>{}));
        QCOMPARE(homeRun.state.runs(1), QStringLiteral("3"));
        QCOMPARE(homeRun.state.runs(2), QStringLiteral("0"));
        QCOMPARE(log[18].before, QStringLiteral("1局上"));
        QCOMPARE(log[18].after, QStringLiteral("1局下"));
        const game::PlayEvent& change = log[19];
        QCOMPARE(change.before.section(u':', 1), LogGame::nameOf(f.selection.first.pitcher));
        QCOMPARE(change.state.pitcherName, change.after.section(u':', 1));
        QCOMPARE(log[22].detail, QStringLiteral("一壘"));
        QCOMPARE(log[22].box, 1);
        QCOMPARE(log[23].box, 1);
        const game::PlayEvent& pinch = log[26];
        QCOMPARE(pinch.state.slot, 2);
        QCOMPARE(pinch.before.section(u':', 1), LogGame::nameOf(f.selection.second.order[1]));
        QCOMPARE(log.last().after, QStringLiteral("3局下"));

        // The history shows the newest thirty, newest first.
        const QStringList shown = f.items(QStringLiteral("History_List"));
        QCOMPARE(shown.size(), 30);
        QCOMPARE(shown.first(), game::historyText(log.last()));
        QCOMPARE(shown.last(), game::historyText(log[log.size() - 30]));
        QCOMPARE(game::historyText(homeRun), QStringLiteral("1局上 %1 全壘 (0-0) 1出局 壘上無人")
                                                 .arg(LogGame::nameOf(f.selection.first.order[3])));

        // The history is read back from the log at the next opening.
        f.closeConsole();
        f.open();
        QCOMPARE(f.items(QStringLiteral("History_List")), shown);
    }

    // The box score of the scripted game, counted by hand.
    void theBoxScoreOfTheScriptedGame_data() { test::TestDatabase::addEngineRows(); }
    void theBoxScoreOfTheScriptedGame()
    {
        QFETCH(QString, engine);
        LogGame f(engine);
        QVERIFY(f.tdb.ok());
        f.script();
        if (QTest::currentTestFailed())
            return;
        auto box = report::readBoxScore(*f.tdb.open(), QDate(2026, 12, 8));
        QVERIFY2(box, qPrintable(box.error()));
        QVERIFY(!box->final);
        QCOMPARE(box->status, QStringLiteral("進行中 3局下"));
        QVERIFY(report::boxScoreXhtml(*box).contains(QStringLiteral("進行中 3局下")));
        QVERIFY(!report::boxScoreXhtml(*box).contains(QStringLiteral("終場")));

        // Batting: AB, H, HR, RBI, BB, HBP, SO, AVG.
        auto line = [](const report::BattingLine& b) {
            return QStringList{b.atBats, b.hits,       b.homeRuns,   b.rbis,
                               b.walks,  b.hitByPitch, b.strikeouts, b.average}
                .join(u' ');
        };
        const report::TeamBox& first = box->first;
        QCOMPARE(first.batting.size(), 9);
        QCOMPARE(line(first.batting[0]), QStringLiteral("1 0 0 0 1 0 0 .000"));
        QCOMPARE(line(first.batting[1]), QStringLiteral("1 0 0 0 0 1 0 .000"));
        QCOMPARE(line(first.batting[2]), QStringLiteral("2 0 0 0 0 0 1 .000"));
        QCOMPARE(line(first.batting[3]), QStringLiteral("1 1 1 3 0 0 0 1.000"));
        QCOMPARE(line(first.batting[8]), QStringLiteral("1 0 0 0 0 0 0 .000"));
        QCOMPARE(line(first.totals), QStringLiteral("10 1 1 3 1 1 1 .100"));
        const report::TeamBox& second = box->second;
        QCOMPARE(second.batting.size(), 10);
        QCOMPARE(line(second.batting[0]), QStringLiteral("1 1 0 0 0 0 0 1.000"));
        // The pinch hitter after the batter he replaced, marked as such.
        QVERIFY(second.batting[1].leftGame);
        QCOMPARE(line(second.batting[1]), QStringLiteral("0 0 0 0 0 0 0 .000"));
        QCOMPARE(second.batting[2].role, QStringLiteral("代打 1局"));
        QCOMPARE(line(second.batting[2]), QStringLiteral("1 0 0 0 0 0 1 .000"));
        QCOMPARE(line(second.totals), QStringLiteral("7 1 0 0 0 0 1 .143"));
        const QString page = report::boxScoreXhtml(*box);
        QVERIFY(page.contains(QStringLiteral("<td>代打 1局</td>")));

        // Pitching, in order of appearance: IP, BF, BB, SO, pitches-strikes.
        auto pitcher = [](const report::PitchingLine& p) {
            return QStringList{report::boxScoreInnings(p.thirds), p.battersFaced, p.baseOnBalls,
                               p.strikeouts}
                .join(u' ');
        };
        QCOMPARE(second.pitching.size(), 1);
        QCOMPARE(pitcher(second.pitching[0]), QStringLiteral("3.0 12 1 1"));
        QCOMPARE(second.pitching[0].hits, QStringLiteral("1"));
        QCOMPARE(second.pitching[0].homeRuns, QStringLiteral("1"));
        QCOMPARE(second.pitching[0].runs, QStringLiteral("3"));
        QCOMPARE(first.pitching.size(), 2);
        QVERIFY(first.pitching[0].leftGame);
        QCOMPARE(pitcher(first.pitching[0]), QStringLiteral("0.0 0 0 0"));
        QCOMPARE(pitcher(first.pitching[1]), QStringLiteral("2.0 7 0 1"));
        const db::Row reliever = f.row(QStringLiteral("SELECT 好球,壞球 FROM PF今日成績"));
        const int strikes = reliever.value(QStringLiteral("好球")).toInt();
        const int balls = reliever.value(QStringLiteral("壞球")).toInt();
        QVERIFY(page.contains(QStringLiteral("<td>%1-%2</td>").arg(strikes + balls).arg(strikes)));

        // Ended: final, with the pitchers of record. The starter who faced
        // nobody yields the win to the reliever, who then has no save.
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mEndGame"))));
        box = report::readBoxScore(*f.tdb.open(), QDate(2026, 12, 8));
        QVERIFY(box->final);
        QCOMPARE(box->status, QStringLiteral("終場"));
        const QString relief = first.pitching[1].number + u':' + first.pitching[1].name;
        QCOMPARE(box->decisions.win, relief);
        QCOMPARE(box->decisions.loss, second.pitching[0].number + u':' + second.pitching[0].name);
        QCOMPARE(box->decisions.save, QString());
        QCOMPARE(box->first.pitching[1].decision, QStringLiteral("勝"));
        QVERIFY(report::boxScoreXhtml(*box).contains(QStringLiteral("終場")));

        // The operator names another winner when exporting.
        f.h.messages();
        f.h.answer(QStringLiteral("input"),
                   first.pitching[0].number + u':' + first.pitching[0].name);
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mReport"))));
        const QStringList said = f.h.messages();
        QCOMPARE(said.size(), 1);
        QFile written(f.h.settings.dir.filePath(QStringLiteral("boxscore-20261208-1900.html")));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(written.readAll())
                    .contains(QStringLiteral("勝投: ") + first.pitching[0].name));

        // The log as CSV, from the command line.
        const QString csv = f.h.settings.dir.filePath(QStringLiteral("log.csv"));
        QProcess p;
        p.start(qEnvironmentVariable("HOMEPLATE_BINARY"),
                {QStringLiteral("--export-log"), f.tdb.connectionString(), csv});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QFile table(csv);
        QVERIFY(table.open(QIODevice::ReadOnly));
        const QByteArray bytes = table.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines =
            QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), f.count(QStringLiteral("比賽紀錄")) + 1);
        QCOMPARE(lines.first(), game::playLogColumns().join(u','));
        QVERIFY(lines.last().contains(QStringLiteral(",比賽結束,")));
    }

    // A batter who comes up after a slot with no line of the day has the
    // line the tables hold for him: his first outcome is no hand edit.
    void aBatterAfterAnEmptySlotIsNoHandEdit_data() { test::TestDatabase::addEngineRows(); }
    void aBatterAfterAnEmptySlotIsNoHandEdit()
    {
        QFETCH(QString, engine);
        LogGame f(engine, false);
        QVERIFY(f.tdb.ok());
        f.exec(QStringLiteral("DELETE FROM SF今日成績 WHERE 棒次=?"), {QStringLiteral("1")});
        f.exec(QStringLiteral("UPDATE SF今日成績 SET 打數=?, 安打=? WHERE 棒次=?"),
               {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("2")});
        f.open();
        f.next();
        QVERIFY(f.play(QStringLiteral("一壘")));
        const QList<game::PlayEvent> log = f.log();
        QVERIFY2(!LogGame::kinds(log).join(u',').contains(QStringLiteral("修改")),
                 qPrintable(LogGame::kinds(log).join(u',')));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("2"), QStringLiteral("安打")),
            QStringLiteral("2"));
    }

    void anOutcomeIsUndoneFromTheHistory_data() { test::TestDatabase::addEngineRows(); }
    void anOutcomeIsUndoneFromTheHistory()
    {
        QFETCH(QString, engine);
        LogGame f(engine);
        QVERIFY(f.play(QStringLiteral("一壘")));
        f.tick(1);
        auto dblclick = [&](int row) {
            return f.act(QStringLiteral("History_List"), QStringLiteral("select"),
                         {{QStringLiteral("index"), row}}),
                   f.act(QStringLiteral("History_List"), QStringLiteral("dblclick"));
        };
        // Closed on a screen the console fills: 系統 → 比賽紀錄 opens it.
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mHistory"))));
        // Not an outcome: it says why, nothing changes.
        QVERIFY(f.h.ok(f.act(QStringLiteral("History_List"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 0}})));
        Q_UNUSED(dblclick);
        QVERIFY(f.h.ok(f.act(QStringLiteral("History_List"), QStringLiteral("dblclick"))));
        QCOMPARE(f.h.messages().size(), 1);
        QCOMPARE(f.text(QStringLiteral("TimesS_txt(1)")), QStringLiteral("一壘"));
        // The outcome of the batter at the plate: undone as from its box.
        QVERIFY(f.h.ok(f.act(QStringLiteral("History_List"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 1}})));
        QVERIFY(f.h.ok(f.act(QStringLiteral("History_List"), QStringLiteral("dblclick"))));
        QVERIFY(f.h.messages().isEmpty());
        QCOMPARE(f.text(QStringLiteral("TimesS_txt(1)")), QString());
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("安打")),
            QStringLiteral("0"));
        QCOMPARE(LogGame::kinds(f.log()), words("結果 一壘,跑者,取消 一壘"));
        // Once the next batter is up, the first one's outcomes stay.
        QVERIFY(f.play(QStringLiteral("二壘")));
        f.next();
        QVERIFY(f.h.ok(f.act(QStringLiteral("History_List"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 1}})));
        QVERIFY(f.h.ok(f.act(QStringLiteral("History_List"), QStringLiteral("dblclick"))));
        QCOMPARE(f.h.messages().size(), 1);
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("1")),
            QStringLiteral("二壘"));
    }

    // The history docks where the frames can spare the height, floats in free
    // room beside the console, and else stays closed until the menu opens it.
    void theHistoryFindsItsPlace()
    {
        using Place = console::HistorySpot::Place;
        const QRect small(0, 0, 1366, 728);
        const QRect filling(6, 32, 1354, 690);
        const console::HistorySpot closed = console::historySpot(filling, 8, small);
        QCOMPARE(closed.place, Place::Closed);
        QVERIFY(small.contains(closed.floating.marginsAdded(app::kFrameAllowance)));
        QCOMPARE(closed.floating.size(), console::kHistoryWanted);
        QCOMPARE(
            console::historySpot(QRect(166, 72, 1600, 900), 178, QRect(0, 40, 1920, 1040)).place,
            Place::Docked);
        // A console at the left of a wide screen: the history beside it, clear of its frame.
        const QRect wide(0, 0, 2560, 1400);
        const QRect left(6, 32, 1600, 900);
        const console::HistorySpot beside = console::historySpot(left, 100, wide);
        QCOMPARE(beside.place, Place::Floating);
        QVERIFY(wide.contains(beside.floating.marginsAdded(app::kFrameAllowance)));
        QVERIFY(!beside.floating.marginsAdded(app::kFrameAllowance)
                     .intersects(left.marginsAdded(app::kFrameAllowance)));
        // Too little room beside it: closed.
        QCOMPARE(console::historySpot(QRect(6, 32, 1500, 900), 100, QRect(0, 0, 1900, 940)).place,
                 Place::Closed);
    }

    // Opened from the menu over a console that fills the screen, the history
    // floats and takes none of the frames' room.
    void theHistoryLeavesTheFramesTheirRoom()
    {
        LogGame f(QStringLiteral("sqlite"));
        QWidget* console = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == test::C)
                console = w;
        QVERIFY(console);
        console->resize(1366, 728); // a 1366 × 768 screen less its task bar
        QApplication::processEvents();
        auto* panel = console->findChild<QDockWidget*>(QStringLiteral("PlayHistory"));
        QVERIFY(panel && !panel->isVisible());
        auto sizes = [&] {
            for (int i = 0; i < 8; ++i)
                QCoreApplication::sendPostedEvents();
            QStringList out{QString::number(console->minimumSizeHint().height())};
            for (const char* name : {"Frame1", "Frame2", "Frame5", "Frame6", "SSTab3"}) {
                const QWidget* frame = console->findChild<QWidget*>(QString::fromLatin1(name));
                out << QStringLiteral("%1 %2x%3")
                           .arg(QString::fromLatin1(name))
                           .arg(frame->width())
                           .arg(frame->height());
            }
            return out;
        };
        const QStringList without = sizes();
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mHistory"))));
        QVERIFY(panel->isFloating() && panel->isVisible());
        auto* history = panel->findChild<QListWidget*>(QStringLiteral("History_List"));
        QVERIFY(history && history->height() >= 5 * history->fontMetrics().height());
        QCOMPARE(sizes(), without);
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mHistory"))));
        QVERIFY(!panel->isVisible());
    }

    void typedFiguresAreCheckedAndLogged_data() { test::TestDatabase::addEngineRows(); }
    void typedFiguresAreCheckedAndLogged()
    {
        QFETCH(QString, engine);
        LogGame f(engine);
        // Hits above at-bats: refused when the next action would store it.
        QVERIFY(f.type(QStringLiteral("SaveS_txt"), QStringLiteral("2")));
        QVERIFY(f.press(QStringLiteral("SBO_Lab(1)")));
        const QStringList refused = f.h.messages();
        QCOMPARE(refused.size(), 1);
        QVERIFY2(refused[0].contains(QStringLiteral("安打")), qPrintable(refused[0]));
        QCOMPARE(f.text(QStringLiteral("SaveS_txt")), QStringLiteral("0"));
        // Not a whole number, below 0.
        for (const QString& bad :
             {QStringLiteral("1.5"), QStringLiteral("-1"), QStringLiteral("x")}) {
            QVERIFY(f.type(QStringLiteral("StrikeS_txt"), bad));
            QVERIFY(f.play(QStringLiteral("一壘")));
            QCOMPARE(f.h.messages().size(), 1);
            QVERIFY(f.undo(1));
        }
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("打數")),
            QStringLiteral("0"));
        // Earned runs above runs, on the pitcher's panel.
        QVERIFY(f.type(QStringLiteral("LostMe_txt"), QStringLiteral("1")));
        QVERIFY(f.press(QStringLiteral("SBO_Lab(2)")));
        QCOMPARE(f.h.messages().size(), 1);
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("自責分")),
                 QStringLiteral("0"));
        // A figure that stands is logged as a hand edit with the unit that stores it.
        QVERIFY(f.type(QStringLiteral("PointS_txt"), QStringLiteral("1")));
        QVERIFY(f.play(QStringLiteral("二壘")));
        QVERIFY(f.h.messages().isEmpty());
        const QList<game::PlayEvent> log = f.log();
        QCOMPARE(LogGame::kinds(log.mid(log.size() - 2)), words("修改 打點,結果 二壘"));
        QCOMPARE(log[log.size() - 2].before, QStringLiteral("0"));
        QCOMPARE(log[log.size() - 2].after, QStringLiteral("1"));
    }

    void theEndOfTheGameIsAskedAndLogged_data() { test::TestDatabase::addEngineRows(); }
    void theEndOfTheGameIsAskedAndLogged()
    {
        QFETCH(QString, engine);
        LogGame f(engine);
        QVERIFY(f.play(QStringLiteral("一壘")));
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("no"));
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mEndGame"))));
        QCOMPARE(LogGame::kinds(f.log()), words("結果 一壘"));
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mEndGame"))));
        QCOMPARE(LogGame::kinds(f.log()), words("結果 一壘,比賽結束"));
        QCOMPARE(f.items(QStringLiteral("History_List")).first(), QStringLiteral("1局上 比賽結束"));
        // The tables stay as they were.
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("1")),
            QStringLiteral("一壘"));
        // GO empties the log with the tables of the day.
        auto d = f.tdb.open();
        QVERIFY(d->transaction([&] { return setup::initialiseGame(*d, f.selection); }));
        QCOMPARE(f.count(QStringLiteral("比賽紀錄")), 0);
    }
};

QTEST_MAIN(TstConsoleLog)
#include "tst_console_log.moc"
