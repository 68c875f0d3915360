#include "ConsoleFixture.h"

#include <QApplication>
#include <QPointer>

#include <QtTest>

using namespace hp;
using test::ConsoleFixture;

namespace {

const QString kBlank = QStringLiteral("\u3000");
const QString kBlue = QStringLiteral("#0000ff");

} // namespace

class TstConsoleWindow : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void openingWithoutSavedKeys_data() { test::TestDatabase::addEngineRows(); }
    void openingWithoutSavedKeys()
    {
        QFETCH(QString, engine);
        ConsoleFixture f(engine);
        QVERIFY(f.tdb.ok());
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("1B"));
        // Batter 1 of the team that bats first, against the other team's pitcher.
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(f.selection.first.order[0]));
        QCOMPARE(f.text(QStringLiteral("ATTACK_Lab")), f.selection.first.team);
        QCOMPARE(f.text(QStringLiteral("NameP_Lab")), f.nameOf(f.selection.second.pitcher));
        QCOMPARE(f.text(QStringLiteral("Pitcher_Lab")), f.selection.second.team);
        QVERIFY(f.text(QStringLiteral("Label5")).startsWith(QStringLiteral("累計:")));
        QCOMPARE(f.items(QStringLiteral("List1")).size(), 12);
        QCOMPARE(f.text(QStringLiteral("Era_Lab")), QStringLiteral("0.00"));
        // The current cell: "0" on blue; the others keep the blank.
        QCOMPARE(f.text(QStringLiteral("Score1_txt(1)")), QStringLiteral("0"));
        QCOMPARE(f.get(QStringLiteral("Score1_txt(1)"))[QStringLiteral("bg")].toString(), kBlue);
        QVERIFY(f.get(QStringLiteral("Score2_txt(1)"))[QStringLiteral("bg")].toString() != kBlue);
        QCOMPARE(f.text(QStringLiteral("Score2_txt(1)")), kBlank);
        QCOMPARE(f.text(QStringLiteral("Team_Lab(1)")), f.selection.first.team);
        // Plate-appearance boxes: the first free one and those before it.
        QVERIFY(f.enabled(QStringLiteral("TimesS_txt(1)")));
        QVERIFY(!f.enabled(QStringLiteral("TimesS_txt(2)")));
        QCOMPARE(f.text(QStringLiteral("AvgS_txt")), QStringLiteral("0.000"));
        QVERIFY(f.text(QStringLiteral("Label6")).startsWith(QStringLiteral("累計=打數:")));
        QVERIFY(!f.items(QStringLiteral("List2")).isEmpty());
        QVERIFY(!f.enabled(QStringLiteral("Next_Command")));
        QVERIFY(!f.enabled(QStringLiteral("Command1(0)")));
        QVERIFY(!f.enabled(QStringLiteral("Command2(0)")));
        QVERIFY(!f.visible(QStringLiteral("Command1(9)")));
        // The line score was stored back, and 下三棒 holds batters 1 to 3 of
        // the team that bats second, in order.
        QCOMPARE(f.row(QStringLiteral("SELECT Round1 FROM RHE WHERE Half='B'"))
                     .value(QStringLiteral("Round1")),
                 QStringLiteral("0"));
        auto d = f.tdb.open();
        const auto next =
            d->query(QStringLiteral("SELECT 棒次,姓名 FROM 下三棒 ORDER BY Seq")).value();
        QCOMPARE(next.size(), 3);
        QCOMPARE(next[0].value(QStringLiteral("棒次")), QStringLiteral("1"));
        QCOMPARE(next[2].value(QStringLiteral("棒次")), QStringLiteral("3"));
        QCOMPARE(next[1].value(QStringLiteral("姓名")), f.nameOf(f.selection.second.order[1]));
        QVERIFY(f.h.messages().isEmpty());
    }

    void openingResumesFromTheKeys_data() { test::TestDatabase::addEngineRows(); }
    void openingResumesFromTheKeys()
    {
        QFETCH(QString, engine);
        ConsoleFixture f(engine, false);
        f.h.settings.store.set(QStringLiteral("Round"), QStringLiteral("4"));
        f.h.settings.store.set(QStringLiteral("Half"), QStringLiteral("True"));
        f.h.settings.store.set(QStringLiteral("StrikeSL"), QStringLiteral("9"));
        f.h.settings.store.set(QStringLiteral("StrikeSF"), QStringLiteral("7"));
        // Mid-half reopening: runs already in the current cell stay; a third
        // row of RHE is ignored.
        f.exec(QStringLiteral("UPDATE RHE SET Round4='2', R='2' WHERE Half='T'"));
        f.exec(QStringLiteral("INSERT INTO RHE (Half, TEAM) VALUES ('Z', '第三隊')"));
        f.open();
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("4T"));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(f.selection.second.order[0]));
        QCOMPARE(f.text(QStringLiteral("NameP_Lab")), f.nameOf(f.selection.first.pitcher));
        QCOMPARE(f.get(QStringLiteral("Score2_txt(4)"))[QStringLiteral("bg")].toString(), kBlue);
        QCOMPARE(f.text(QStringLiteral("Score2_txt(4)")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("RHE2_txt(1)")), QStringLiteral("2"));
        QVERIFY(f.text(QStringLiteral("Team_Lab(2)")) != QStringLiteral("第三隊"));
        QCOMPARE(f.row(QStringLiteral("SELECT Round4 FROM RHE WHERE Half='T'"))
                     .value(QStringLiteral("Round4")),
                 QStringLiteral("2"));
        // 下三棒: after batter 7 of the team that bats first: 8, 9, 1.
        auto d = f.tdb.open();
        const auto next = d->query(QStringLiteral("SELECT 棒次 FROM 下三棒 ORDER BY Seq")).value();
        QCOMPARE(next.size(), 3);
        QCOMPARE(next[0].value(QStringLiteral("棒次")) + next[1].value(QStringLiteral("棒次")) +
                     next[2].value(QStringLiteral("棒次")),
                 QStringLiteral("891"));

        // Delsetting removes the keys and changes nothing on screen.
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        QVERIFY(f.click(QStringLiteral("Command3")));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("Round"), QStringLiteral("gone")),
                 QStringLiteral("gone"));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("StrikeSL"), QStringLiteral("gone")),
                 QStringLiteral("gone"));
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("4T"));
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        QVERIFY(f.click(QStringLiteral("Command3"))); // absent keys: silent
        QVERIFY(f.h.messages().isEmpty());
    }

    void aStopInMidHalfInningResumesOnTheSamePitch_data() { test::TestDatabase::addEngineRows(); }
    void aStopInMidHalfInningResumesOnTheSamePitch()
    {
        QFETCH(QString, engine);
        ConsoleFixture f(engine);
        QVERIFY(f.click(QStringLiteral("Command4"))); // batter 2 is up
        for (const char* label : {"SBO_Lab(1)", "SBO_Lab(2)", "SBO_Lab(2)", "SBO_Lab(3)"})
            QVERIFY(f.press(QString::fromLatin1(label)));
        QVERIFY(f.press(QStringLiteral("SBO_Lab(1)")));
        QVERIFY(f.press(QStringLiteral("SBO_Lab(1)"))); // a foul with two strikes: a pitch
        QVERIFY(f.h.ok(f.act(QStringLiteral("Base_Check(2)"), QStringLiteral("check"),
                             {{QStringLiteral("value"), 1}})));
        QVERIFY(f.type(QStringLiteral("Score1_txt(1)"), QStringLiteral("2")));
        // The pitches are stored with the count click that counted them.
        QCOMPARE(f.row(QStringLiteral("SELECT 好球,壞球,局數 FROM PL今日成績"))
                     .value(QStringLiteral("好球")),
                 QStringLiteral("3"));
        QCOMPARE(f.row(QStringLiteral("SELECT Round1,R FROM RHE WHERE Half='B'"))
                     .value(QStringLiteral("Round1")),
                 QStringLiteral("2"));

        // The console stops without a word; the next one opens on the same pitch.
        QList<QPointer<QWidget>> consoles;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == test::C)
                consoles << w;
        qDeleteAll(consoles); // its preview window goes with it
        db::Database::closePool();
        f.open();
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(f.selection.first.order[1]));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(2)")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("1"));
        QCOMPARE(f.get(QStringLiteral("Base_Check(2)"))[QStringLiteral("checked")].toInt(), 1);
        QCOMPARE(f.get(QStringLiteral("Base_Check(1)"))[QStringLiteral("checked")].toInt(), 0);
        QCOMPARE(f.text(QStringLiteral("Score1_txt(1)")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("BallG_txt")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("BallB_txt")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("1"));
        // The rules of the count hold as before the stop: two strikes allow 三振.
        QVERIFY(f.enabled(QStringLiteral("Command2(0)")));

        // Delsetting forgets the batter in progress too: the described opening.
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        QVERIFY(f.click(QStringLiteral("Command3")));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("StrikeNow"), QStringLiteral("gone")),
                 QStringLiteral("gone"));
    }

    void nextBatterWrapsAndOpensTheBoxesInUse_data() { test::TestDatabase::addEngineRows(); }
    void nextBatterWrapsAndOpensTheBoxesInUse()
    {
        QFETCH(QString, engine);
        ConsoleFixture f(engine, false);
        f.exec(
            QStringLiteral("UPDATE SF今日成績 SET \"1\"='一壘', \"2\"='三振', 打數='2', 安打='1' "
                           "WHERE 棒次='2'"));
        f.open();
        QVERIFY(f.click(QStringLiteral("Command4")));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("TimesS_txt(2)")), QStringLiteral("三振"));
        for (int i = 1; i <= 8; ++i)
            QCOMPARE(f.enabled(QStringLiteral("TimesS_txt(%1)").arg(i)), i <= 3);
        QCOMPARE(f.text(QStringLiteral("AvgS_txt")), QStringLiteral(".500"));
        const auto season =
            f.row(QStringLiteral("SELECT 打數,安打 FROM 打擊整隊表年度 WHERE 隊名=? "
                                 "AND 背號=?"),
                  {f.selection.first.team, f.numberOf(f.selection.first.order[1])});
        QCOMPARE(f.text(QStringLiteral("Label6")), QStringLiteral("累計=打數:%1/安打:%2")
                                                       .arg(season.value(QStringLiteral("打數")),
                                                            season.value(QStringLiteral("安打"))));
        const QStringList info = f.items(QStringLiteral("List2"));
        QCOMPARE(info.first(), QStringLiteral("隊名=") + f.selection.first.team);
        QVERIFY(info.contains(QStringLiteral("打數=") + season.value(QStringLiteral("打數"))));
        for (int i = 3; i <= 9; ++i)
            f.click(QStringLiteral("Command4"));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("9"));
        f.click(QStringLiteral("Command4"));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("1"));
    }

    void substitutionKeepsTheOutgoingLine_data() { test::TestDatabase::addEngineRows(); }
    void substitutionKeepsTheOutgoingLine()
    {
        QFETCH(QString, engine);
        ConsoleFixture f(engine, false);
        f.exec(QStringLiteral(
            "UPDATE SF今日成績 SET 打數='3', 安打='2', \"1\"='一壘' WHERE 棒次='1'"));
        f.open();
        const QString shown = f.text(QStringLiteral("NameS_Lab"));
        QVERIFY(!f.visible(QStringLiteral("BackupS_Combo")));
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        QVERIFY(f.visible(QStringLiteral("BackupS_Combo")));
        const QStringList offered = f.items(QStringLiteral("BackupS_Combo"));
        QVERIFY(!offered.isEmpty());
        for (const QString& entry : offered)
            QVERIFY(f.nameOf(entry) != shown);
        // A namesake of the chosen player on another team must not come in.
        const QString chosen = offered.first();
        f.exec(QStringLiteral("INSERT INTO 打擊整隊表年度 (隊名,背號,姓名,打數,安打) "
                              "VALUES (?,?,?,'500','200')"),
               {f.selection.second.team, f.numberOf(chosen), f.nameOf(chosen)});

        // A name the team does not have is refused, nothing written.
        QVERIFY(f.type(QStringLiteral("BackupS_Combo"), QStringLiteral("查無此人")));
        QVERIFY(f.key(QStringLiteral("BackupS_Combo"), QStringLiteral("Enter")));
        QCOMPARE(f.h.messages().size(), 1);
        QCOMPARE(f.count(QStringLiteral("退場打者今日")), 0);
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), shown);

        // A click on an entry takes it.
        QVERIFY(f.h.ok(f.act(QStringLiteral("BackupS_Combo"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 0}})));
        QVERIFY(f.h.messages().isEmpty());
        const db::Row slot = f.row(QStringLiteral("SELECT * FROM SF今日成績 WHERE 棒次='1'"));
        QCOMPARE(slot.value(QStringLiteral("姓名")), f.nameOf(chosen));
        QCOMPARE(slot.value(QStringLiteral("隊名")), f.selection.first.team);
        QCOMPARE(slot.value(QStringLiteral("打數")), QStringLiteral("0"));
        QCOMPARE(slot.value(QStringLiteral("打擊率")), QStringLiteral("0.000"));
        QCOMPARE(slot.value(QStringLiteral("守位")), QStringLiteral("CF"));
        for (int i = 1; i <= 8; ++i)
            QCOMPARE(slot.value(QString::number(i)), kBlank);
        QCOMPARE(f.count(QStringLiteral("SF今日成績")), 9);
        // The outgoing line of the day is archived whole.
        const db::Row gone = f.row(QStringLiteral("SELECT * FROM 退場打者今日"));
        QCOMPARE(gone.value(QStringLiteral("姓名")), shown);
        QCOMPARE(gone.value(QStringLiteral("打數")), QStringLiteral("3"));
        QCOMPARE(gone.value(QStringLiteral("1")), QStringLiteral("一壘"));
        QCOMPARE(gone.value(QStringLiteral("先後攻")), QStringLiteral("先攻"));
        QCOMPARE(gone.value(QStringLiteral("退場時間")), QStringLiteral("2026-12-08T19:00:00"));
        // The panel shows the new batter with a fresh line.
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(chosen));
        QCOMPARE(f.text(QStringLiteral("StrikeS_txt")), QStringLiteral("0"));
        QVERIFY(f.enabled(QStringLiteral("TimesS_txt(1)")));
        QVERIFY(!f.enabled(QStringLiteral("TimesS_txt(2)")));
        QVERIFY(!f.visible(QStringLiteral("BackupS_Combo")));
        QVERIFY(!f.text(QStringLiteral("Label6")).contains(QStringLiteral("打數:500")));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("1"));
        // The next game starts without them.
        auto d = f.tdb.open();
        QVERIFY(d->transaction([&] { return setup::initialiseGame(*d, f.selection); }));
        QCOMPARE(f.count(QStringLiteral("退場打者今日")), 0);
    }

    void pitcherChangeAndChooserTyping_data() { test::TestDatabase::addEngineRows(); }
    void pitcherChangeAndChooserTyping()
    {
        QFETCH(QString, engine);
        ConsoleFixture f(engine);
        const QString starter = f.text(QStringLiteral("NameP_Lab"));
        f.press(QStringLiteral("SBO_Lab(1)"));
        f.press(QStringLiteral("SBO_Lab(2)"));
        QCOMPARE(f.text(QStringLiteral("Ball_txt")), QStringLiteral("2"));
        QVERIFY(f.h.ok(f.act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"))));
        QVERIFY(f.visible(QStringLiteral("BackupP_Combo")));
        const QStringList relievers = f.items(QStringLiteral("BackupP_Combo"));
        QCOMPARE(relievers.size(), 8);
        QVERIFY(!relievers.join(u',').contains(starter));
        // A key that is not Enter stores the panel, then loads it again.
        QVERIFY(f.key(QStringLiteral("BackupP_Combo"), QStringLiteral("Down")));
        QCOMPARE(
            f.row(QStringLiteral("SELECT 好球,壞球 FROM PL今日成績")).value(QStringLiteral("好球")),
            QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("Ball_txt")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("NameP_Lab")), starter);

        // A click on an entry takes it.
        QVERIFY(f.h.ok(f.act(QStringLiteral("BackupP_Combo"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 0}})));
        QCOMPARE(f.count(QStringLiteral("PL今日成績")), 1);
        const db::Row now = f.row(QStringLiteral("SELECT * FROM PL今日成績"));
        QCOMPARE(now.value(QStringLiteral("姓名")), f.nameOf(relievers[0]));
        QCOMPARE(now.value(QStringLiteral("隊名")), f.selection.second.team);
        QCOMPARE(now.value(QStringLiteral("好球")), QStringLiteral("0"));
        const db::Row gone = f.row(QStringLiteral("SELECT * FROM 退場投手今日"));
        QCOMPARE(gone.value(QStringLiteral("姓名")), starter);
        QCOMPARE(gone.value(QStringLiteral("好球")), QStringLiteral("1"));
        QCOMPARE(gone.value(QStringLiteral("先後攻")), QStringLiteral("後攻"));
        QCOMPARE(f.text(QStringLiteral("NameP_Lab")), f.nameOf(relievers[0]));
        QCOMPARE(f.text(QStringLiteral("Ball_txt")), QStringLiteral("0"));
        QVERIFY(!f.visible(QStringLiteral("BackupP_Combo")));
    }

    void pitcherSteppersAndAverages()
    {
        ConsoleFixture f(QStringLiteral("sqlite"));
        QVERIFY(f.press(QStringLiteral("LostMe_txt")));
        QCOMPARE(f.text(QStringLiteral("LostMe_txt")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("Era_Lab")), QStringLiteral("∞"));
        QVERIFY(f.press(QStringLiteral("LostMe_txt"), true));
        QVERIFY(f.press(QStringLiteral("LostMe_txt"), true));
        QCOMPARE(f.text(QStringLiteral("LostMe_txt")), QStringLiteral("0"));
        QVERIFY(f.press(QStringLiteral("Ball_txt")));
        QCOMPARE(f.text(QStringLiteral("Ball_txt")), QStringLiteral("1"));
        QVERIFY(f.type(QStringLiteral("BallB_txt"), QStringLiteral("4")));
        QVERIFY(f.type(QStringLiteral("BallG_txt"), QStringLiteral("5")));
        QCOMPARE(f.text(QStringLiteral("Ball_txt")), QStringLiteral("9"));
        QVERIFY(f.type(QStringLiteral("RoundS_txt"), QStringLiteral("9")));
        QVERIFY(f.type(QStringLiteral("LostMe_txt"), QStringLiteral("2")));
        QCOMPARE(f.text(QStringLiteral("Era_Lab")), QStringLiteral("6.00"));
        // The EraP correction: Enter takes a number in "#0.00"; leaving keeps it.
        QVERIFY(f.h.ok(f.act(QStringLiteral("EraP"), QStringLiteral("dblclick"))));
        QVERIFY(f.visible(QStringLiteral("Text1")));
        QVERIFY(f.type(QStringLiteral("Text1"), QStringLiteral("3.456")));
        QVERIFY(f.key(QStringLiteral("Text1"), QStringLiteral("Enter")));
        QCOMPARE(f.text(QStringLiteral("EraP")), QStringLiteral("3.46"));
        QVERIFY(!f.visible(QStringLiteral("Text1")));
        // The cumulative batting average editor: "#.000".
        QVERIFY(f.h.ok(f.act(QStringLiteral("AvgS_Lab"), QStringLiteral("dblclick"))));
        QVERIFY(f.type(QStringLiteral("Text2"), QStringLiteral("0.3")));
        QVERIFY(f.key(QStringLiteral("Text2"), QStringLiteral("Enter")));
        QCOMPARE(f.text(QStringLiteral("AvgS_Lab")), QStringLiteral(".300"));
        QVERIFY(f.h.ok(f.act(QStringLiteral("AvgS_Lab"), QStringLiteral("dblclick"))));
        QVERIFY(f.type(QStringLiteral("Text2"), QStringLiteral("0.9")));
        QVERIFY(f.h.ok(f.act(QStringLiteral("Text2"), QStringLiteral("blur"))));
        QCOMPARE(f.text(QStringLiteral("AvgS_Lab")), QStringLiteral(".300"));
        // The day's average follows the boxes as typed.
        QVERIFY(f.type(QStringLiteral("StrikeS_txt"), QStringLiteral("3")));
        QVERIFY(f.type(QStringLiteral("SaveS_txt"), QStringLiteral("1")));
        QCOMPARE(f.text(QStringLiteral("AvgS_txt")), QStringLiteral(".333"));
    }

    void countClicksAtEveryLimit_data() { test::TestDatabase::addEngineRows(); }
    void countClicksAtEveryLimit()
    {
        QFETCH(QString, engine);
        ConsoleFixture f(engine);
        auto sbo = [&] { return f.row(QStringLiteral("SELECT * FROM SBO表")); };
        f.press(QStringLiteral("SBO_Lab(1)"));
        QCOMPARE(sbo().value(QStringLiteral("S")), QStringLiteral("1"));
        QVERIFY(!f.enabled(QStringLiteral("Command2(0)")));
        f.press(QStringLiteral("SBO_Lab(1)"));
        QVERIFY(f.enabled(QStringLiteral("Command2(0)")));
        QVERIFY(f.enabled(QStringLiteral("Command1(7)")));
        // A foul with two strikes: a pitch and a pitcher's strike, the count stays.
        f.press(QStringLiteral("SBO_Lab(1)"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("BallG_txt")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("Ball_txt")), QStringLiteral("3"));
        for (int i = 0; i < 4; ++i)
            f.press(QStringLiteral("SBO_Lab(2)"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(2)")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("BallB_txt")), QStringLiteral("3"));
        QVERIFY(f.enabled(QStringLiteral("Command1(0)")));
        QCOMPARE(f.text(QStringLiteral("Ball_txt")), QStringLiteral("6"));
        // Taking back below 0 changes nothing.
        for (int i = 0; i < 4; ++i)
            f.press(QStringLiteral("SBO_Lab(2)"), true);
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(2)")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("BallB_txt")), QStringLiteral("0"));
        QVERIFY(!f.enabled(QStringLiteral("Command1(0)")));

        f.press(QStringLiteral("SBO_Lab(3)"));
        QVERIFY(!f.enabled(QStringLiteral("Command2(6)")));
        QVERIFY(f.enabled(QStringLiteral("Command2(5)")));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("1"));
        QCOMPARE(f.get(QStringLiteral("RoundS_txt"))[QStringLiteral("tooltip")].toString(),
                 QStringLiteral("0.33"));
        f.press(QStringLiteral("SBO_Lab(3)"));
        QVERIFY(!f.enabled(QStringLiteral("Command2(5)")));
        QVERIFY(f.enabled(QStringLiteral("Command2(6)")));
        // The third out by the label: 換局 opens, the label and outs recorded stay.
        f.press(QStringLiteral("SBO_Lab(3)"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("2"));
        QVERIFY(f.enabled(QStringLiteral("Next_Command")));
        f.press(QStringLiteral("SBO_Lab(3)"), true);
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("1"));
        QVERIFY(!f.enabled(QStringLiteral("Next_Command")));
        QVERIFY(f.enabled(QStringLiteral("Command4")));
        QCOMPARE(sbo().value(QStringLiteral("O")), QStringLiteral("1"));
        QCOMPARE(sbo().value(QStringLiteral("S")), QStringLiteral("2"));
        QCOMPARE(sbo().value(QStringLiteral("Item1")), f.selection.first.team);
        QCOMPARE(sbo().value(QStringLiteral("R1")), QStringLiteral("0"));

        QVERIFY(f.h.ok(f.act(QStringLiteral("Base_Check(2)"), QStringLiteral("check"),
                             {{QStringLiteral("value"), 1}})));
        QCOMPARE(sbo().value(QStringLiteral("Base1")), kBlank);
        QCOMPARE(sbo().value(QStringLiteral("Base2")), QStringLiteral("◆"));
        QCOMPARE(sbo().value(QStringLiteral("Base3")), kBlank);
        QVERIFY(f.h.messages().isEmpty());
    }

    void lineScoreCellsAndSums()
    {
        ConsoleFixture f(QStringLiteral("sqlite"));
        f.press(QStringLiteral("Score1_txt(1)"));
        f.press(QStringLiteral("Score1_txt(1)"));
        QCOMPARE(f.text(QStringLiteral("Score1_txt(1)")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("RHE1_txt(1)")), QStringLiteral("2"));
        f.press(QStringLiteral("Score1_txt(2)")); // the blank ignores clicks
        QCOMPARE(f.text(QStringLiteral("Score1_txt(2)")), kBlank);
        f.press(QStringLiteral("Score1_txt(1)"), true);
        QCOMPARE(f.text(QStringLiteral("RHE1_txt(1)")), QStringLiteral("1"));
        QVERIFY(f.type(QStringLiteral("Score1_txt(3)"), QStringLiteral("4")));
        QCOMPARE(f.text(QStringLiteral("RHE1_txt(1)")), QStringLiteral("5"));
    }

    void aFailedStoreIsShownWithoutABox_data() { test::TestDatabase::addEngineRows(); }
    void aFailedStoreIsShownWithoutABox()
    {
        QFETCH(QString, engine);
        ConsoleFixture f(engine);
        db::Database::closePool();
        f.exec(QStringLiteral("DROP TABLE SBO表"));
        f.press(QStringLiteral("SBO_Lab(1)"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("1"));
        QVERIFY(f.h.messages().isEmpty());
        const QString panel = f.h.panels(test::C).value(2);
        QVERIFY2(panel.contains(QStringLiteral("SBO")), qPrintable(panel));
        // One action stores whole or not at all: the pitcher change that
        // cannot archive its outgoing pitcher writes nothing.
        f.exec(QStringLiteral("DROP TABLE 退場投手今日"));
        const QString starter = f.text(QStringLiteral("NameP_Lab"));
        f.act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"));
        f.act(QStringLiteral("BackupP_Combo"), QStringLiteral("select"),
              {{QStringLiteral("index"), 0}});
        QCOMPARE(f.row(QStringLiteral("SELECT 姓名 FROM PL今日成績")).value(QStringLiteral("姓名")),
                 starter);
        QVERIFY(f.h.messages().isEmpty());
        // The console is still usable.
        QVERIFY(f.click(QStringLiteral("Command4")));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("2"));
    }
};

QTEST_MAIN(TstConsoleWindow)
#include "tst_console_window.moc"
