#include "ConsoleFixture.h"
#include "PlayEvent.h"

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
