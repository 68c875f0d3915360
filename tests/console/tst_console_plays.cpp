#include "ConsoleFixture.h"
#include "Outcomes.h"

#include <QtTest>

using namespace hp;
using test::ConsoleFixture;

namespace {

const QString kBlank = QStringLiteral("\u3000");
const QString kBlue = QStringLiteral("#0000ff");

using Plays = ConsoleFixture;

} // namespace

class TstConsolePlays : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void aSingleIsRecordedAndStoredInOneGo_data() { test::TestDatabase::addEngineRows(); }
    void aSingleIsRecordedAndStoredInOneGo()
    {
        QFETCH(QString, engine);
        Plays f(engine, false);
        f.exec(QStringLiteral(
            "UPDATE SF今日成績 SET \"1\"='四壞', \"2\"='三振', 打數='1' WHERE 棒次='1'"));
        f.open();
        f.press(QStringLiteral("SBO_Lab(1)"));
        f.press(QStringLiteral("SBO_Lab(2)"));
        QVERIFY(f.play(QStringLiteral("一壘")));
        QCOMPARE(f.text(QStringLiteral("TimesS_txt(3)")), QStringLiteral("一壘"));
        for (int i = 1; i <= 8; ++i)
            QCOMPARE(f.enabled(QStringLiteral("TimesS_txt(%1)").arg(i)), i <= 3);
        QCOMPARE(f.text(QStringLiteral("StrikeS_txt")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("SaveS_txt")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("BallG_txt")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("SaveP_txt")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("RHE1_txt(2)")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(2)")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("AvgS_txt")), QStringLiteral(".500"));
        QVERIFY(!f.enabled(QStringLiteral("SSTab3")));
        // Stored: the batter's line, the pitcher's line and the count.
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("3")),
            QStringLiteral("一壘"));
        QCOMPARE(f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"),
                             QStringLiteral("打擊率")),
                 QStringLiteral(".500"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("被安打")),
                 QStringLiteral("1"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("好球")),
                 QStringLiteral("2"));
        QCOMPARE(f.row(QStringLiteral("SELECT S,B FROM SBO表")).value(QStringLiteral("B")),
                 QStringLiteral("0"));
        // The next batter opens the tabs again.
        f.click(QStringLiteral("Command4"));
        QVERIFY(f.enabled(QStringLiteral("SSTab3")));
    }

    void homeRunWithRunnersAndItsUndo_data() { test::TestDatabase::addEngineRows(); }
    void homeRunWithRunnersAndItsUndo()
    {
        QFETCH(QString, engine);
        Plays f(engine);
        f.act(QStringLiteral("Base_Check(1)"), QStringLiteral("check"),
              {{QStringLiteral("value"), 1}});
        f.act(QStringLiteral("Base_Check(3)"), QStringLiteral("check"),
              {{QStringLiteral("value"), 1}});
        QVERIFY(f.play(QStringLiteral("全壘")));
        QCOMPARE(f.text(QStringLiteral("PointS_txt")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("LostP_txt")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("Score1_txt(1)")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("RHE1_txt(1)")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("BallG_txt")), QStringLiteral("0"));
        QCOMPARE(f.get(QStringLiteral("Base_Check(1)"))[QStringLiteral("checked")].toInt(), 0);
        const db::Row sbo = f.row(QStringLiteral("SELECT * FROM SBO表"));
        QCOMPARE(sbo.value(QStringLiteral("Base1")), kBlank);
        QCOMPARE(sbo.value(QStringLiteral("Base3")), kBlank);
        QCOMPARE(sbo.value(QStringLiteral("R1")), QStringLiteral("3"));
        // Undone in the same half-inning: the runs come off as well.
        QVERIFY(f.undo(1));
        QCOMPARE(f.text(QStringLiteral("TimesS_txt(1)")), QString());
        QCOMPARE(f.text(QStringLiteral("PointS_txt")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("LostP_txt")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("Score1_txt(1)")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("RHE1_txt(2)")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("HomeS_txt")), QStringLiteral("0"));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("打點")),
            QStringLiteral("0"));
        QVERIFY(f.enabled(QStringLiteral("SSTab3")));
        QVERIFY(f.h.messages().isEmpty());
    }

    void thirdOutAndTheCorrectionPath_data() { test::TestDatabase::addEngineRows(); }
    void thirdOutAndTheCorrectionPath()
    {
        QFETCH(QString, engine);
        Plays f(engine);
        f.press(QStringLiteral("SBO_Lab(3)"));
        f.press(QStringLiteral("SBO_Lab(3)"));
        f.press(QStringLiteral("SBO_Lab(1)"));
        f.press(QStringLiteral("SBO_Lab(1)"));
        QVERIFY(f.play(QStringLiteral("三振")));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("2"));
        QVERIFY(f.enabled(QStringLiteral("Next_Command")));
        QVERIFY(!f.enabled(QStringLiteral("Command4")));
        QCOMPARE(f.text(QStringLiteral("StrikeS_txt")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("OutP_txt")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("BallG_txt")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("3"));
        // Undo, then the right outcome: the count and the outs stay as they are.
        QVERIFY(f.undo(1));
        QCOMPARE(f.text(QStringLiteral("OutP_txt")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("BallG_txt")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("StrikeS_txt")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("2"));
        f.press(QStringLiteral("SBO_Lab(2)"));
        QVERIFY(f.play(QStringLiteral("刺殺")));
        QCOMPARE(f.text(QStringLiteral("TimesS_txt(1)")), QStringLiteral("刺殺"));
        QCOMPARE(f.text(QStringLiteral("StrikeS_txt")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(2)")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("2"));
        QVERIFY(f.enabled(QStringLiteral("SSTab3")));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("局數")),
                 QStringLiteral("3"));
        // Undoing a double play with too few outs recorded: the message, the rest done.
        QVERIFY(f.type(QStringLiteral("TimesS_txt(1)"), QStringLiteral("雙殺")));
        QVERIFY(f.type(QStringLiteral("RoundS_txt"), QStringLiteral("1")));
        QVERIFY(f.undo(1));
        QCOMPARE(f.h.messages(), QStringList{QStringLiteral("目前無法扣除投手局數/請注意")});
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("1"));
        QCOMPARE(f.text(QStringLiteral("TimesS_txt(1)")), QString());
        QCOMPARE(f.text(QStringLiteral("StrikeS_txt")), QStringLiteral("0"));
    }

    void doublePlayStopsTheOutsAtThree()
    {
        Plays f(QStringLiteral("sqlite"));
        f.press(QStringLiteral("SBO_Lab(3)"));
        f.press(QStringLiteral("SBO_Lab(3)"));
        QVERIFY(!f.enabled(QStringLiteral("Command2(5)")));
        QVERIFY(f.play(QStringLiteral("三殺")));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("3"));
        QVERIFY(f.enabled(QStringLiteral("Next_Command")));
        QVERIFY(!f.enabled(QStringLiteral("Command4")));
        QCOMPARE(f.row(QStringLiteral("SELECT O FROM SBO表")).value(QStringLiteral("O")),
                 QStringLiteral("3"));
    }

    void everyCaptionGoesIntoTheBoxAndComesOut()
    {
        Plays f(QStringLiteral("sqlite"));
        for (const game::OutcomeRule& rule : game::outcomeRules()) {
            const QString caption = rule.caption.toString();
            if (caption == QStringLiteral("犯規"))
                continue; // not offered on screen
            // The count that lets every button be pressed.
            f.type(QStringLiteral("TimesS_txt(1)"), QString());
            f.click(QStringLiteral("Command4"));
            while (f.text(QStringLiteral("SBO_Lab(1)")) != QStringLiteral("2"))
                f.press(QStringLiteral("SBO_Lab(1)"));
            while (f.text(QStringLiteral("SBO_Lab(2)")) != QStringLiteral("3"))
                f.press(QStringLiteral("SBO_Lab(2)"));
            while (f.text(QStringLiteral("SBO_Lab(3)")) != QStringLiteral("0"))
                f.press(QStringLiteral("SBO_Lab(3)"), true);
            const QString slot = f.text(QStringLiteral("SS_Lab"));
            const QString atBats = f.text(QStringLiteral("StrikeS_txt"));
            QVERIFY2(f.play(caption), qPrintable(caption));
            QCOMPARE(f.text(QStringLiteral("TimesS_txt(1)")), caption);
            QCOMPARE(f.batterRow(QStringLiteral("SF今日成績"), slot, QStringLiteral("1")), caption);
            QVERIFY(f.undo(1));
            QCOMPARE(f.text(QStringLiteral("TimesS_txt(1)")), QString());
            QCOMPARE(f.text(QStringLiteral("StrikeS_txt")), atBats);
            QCOMPARE(f.batterRow(QStringLiteral("SF今日成績"), slot, QStringLiteral("1")),
                     QString());
            f.h.messages();
        }
    }

    void ninthPlateAppearanceIsRefused()
    {
        Plays f(QStringLiteral("sqlite"), false);
        QString fill;
        for (int i = 1; i <= 8; ++i)
            fill += QStringLiteral(", \"%1\"='刺殺'").arg(i);
        f.exec(QStringLiteral("UPDATE SF今日成績 SET 打數='8'") + fill +
               QStringLiteral(" WHERE 棒次='1'"));
        f.open();
        QVERIFY(f.play(QStringLiteral("一壘")));
        QCOMPARE(f.h.messages(),
                 QStringList{QStringLiteral("已超過打擊紀錄,電腦無法紀錄/錯誤提示")});
        QCOMPARE(f.text(QStringLiteral("StrikeS_txt")), QStringLiteral("8"));
        QVERIFY(f.enabled(QStringLiteral("SSTab3")));
    }

    void halfInningsFollowEachOther_data() { test::TestDatabase::addEngineRows(); }
    void halfInningsFollowEachOther()
    {
        QFETCH(QString, engine);
        Plays f(engine);
        // A half-inning of three batters: a single, a strikeout, two outs.
        QVERIFY(f.play(QStringLiteral("一壘")));
        f.act(QStringLiteral("Base_Check(1)"), QStringLiteral("check"),
              {{QStringLiteral("value"), 1}});
        f.click(QStringLiteral("Command4"));
        f.press(QStringLiteral("SBO_Lab(1)"));
        f.press(QStringLiteral("SBO_Lab(1)"));
        QVERIFY(f.play(QStringLiteral("三振")));
        f.click(QStringLiteral("Command4"));
        QVERIFY(f.play(QStringLiteral("刺殺")));
        f.click(QStringLiteral("Command4"));
        QVERIFY(f.play(QStringLiteral("外飛")));
        QVERIFY(f.enabled(QStringLiteral("Next_Command")));
        QVERIFY(f.click(QStringLiteral("Next_Command")));

        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("1T"));
        QCOMPARE(f.get(QStringLiteral("Score2_txt(1)"))[QStringLiteral("bg")].toString(), kBlue);
        QVERIFY(f.get(QStringLiteral("Score1_txt(1)"))[QStringLiteral("bg")].toString() != kBlue);
        QCOMPARE(f.text(QStringLiteral("Score2_txt(1)")), QStringLiteral("0"));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("StrikeSF")), QStringLiteral("4"));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("Round")), QStringLiteral("1"));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("Half")), QStringLiteral("True"));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(f.selection.second.order[0]));
        QCOMPARE(f.text(QStringLiteral("NameP_Lab")), f.nameOf(f.selection.first.pitcher));
        QVERIFY(!f.enabled(QStringLiteral("Next_Command")));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("0"));
        QCOMPARE(f.get(QStringLiteral("Base_Check(1)"))[QStringLiteral("checked")].toInt(), 0);
        // What the half-inning left in the tables.
        const db::Row sbo = f.row(QStringLiteral("SELECT * FROM SBO表"));
        QCOMPARE(sbo.value(QStringLiteral("O")) + sbo.value(QStringLiteral("S")) +
                     sbo.value(QStringLiteral("Base1")),
                 QStringLiteral("00") + kBlank);
        QCOMPARE(f.rhe(QStringLiteral("B"), QStringLiteral("H")), QStringLiteral("1"));
        QCOMPARE(f.rhe(QStringLiteral("B"), QStringLiteral("Round1")), QStringLiteral("0"));
        QCOMPARE(f.rhe(QStringLiteral("T"), QStringLiteral("Round1")), QStringLiteral("0"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("局數")),
                 QStringLiteral("3"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("奪三振")),
                 QStringLiteral("1"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("被安打")),
                 QStringLiteral("1"));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("4"), QStringLiteral("1")),
            QStringLiteral("外飛"));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("2"), QStringLiteral("打數")),
            QStringLiteral("1"));
        // 下三棒: the team that bats first, after its fourth batter.
        QCOMPARE(f.row(QStringLiteral("SELECT 棒次 FROM 下三棒 ORDER BY Seq"))
                     .value(QStringLiteral("棒次")),
                 QStringLiteral("5"));

        // 1T to 2B: the first team's fifth batter comes up against the same pitcher.
        f.press(QStringLiteral("SBO_Lab(3)"));
        f.press(QStringLiteral("SBO_Lab(3)"));
        f.press(QStringLiteral("SBO_Lab(3)"));
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("2B"));
        QCOMPARE(f.get(QStringLiteral("Score1_txt(2)"))[QStringLiteral("bg")].toString(), kBlue);
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("5"));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("3"));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("StrikeSL")), QStringLiteral("1"));
        QVERIFY(f.h.messages().isEmpty());
    }

    void theTwelfthInningIsTheLast()
    {
        Plays f(QStringLiteral("sqlite"), false);
        f.h.settings.store.set(QStringLiteral("Round"), QStringLiteral("12"));
        f.h.settings.store.set(QStringLiteral("Half"), QStringLiteral("True"));
        f.open();
        for (int i = 0; i < 3; ++i)
            f.press(QStringLiteral("SBO_Lab(3)"));
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        QCOMPARE(f.h.messages(),
                 QStringList{QStringLiteral("比賽已到12局無法輸入,請檢查或是結束比賽/錯誤提示")});
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("12T"));
        QCOMPARE(f.get(QStringLiteral("Score2_txt(12)"))[QStringLiteral("bg")].toString(), kBlue);
        QCOMPARE(f.h.settings.store.get(QStringLiteral("Half")), QStringLiteral("True"));
    }

    void totalsThatAreNotNumbersStoreTheirLeadingNumber()
    {
        Plays f(QStringLiteral("sqlite"));
        f.type(QStringLiteral("RHE2_txt(3)"), QStringLiteral("2個"));
        for (int i = 0; i < 3; ++i)
            f.press(QStringLiteral("SBO_Lab(3)"));
        f.click(QStringLiteral("Next_Command"));
        QCOMPARE(f.rhe(QStringLiteral("T"), QStringLiteral("E")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("RHE2_txt(3)")), QStringLiteral("2個"));
        QVERIFY(f.h.panels(test::C).value(2).contains(QStringLiteral("2個")));
    }

    void aFailedLoadNeverMovesTheStoredLineElsewhere_data() { test::TestDatabase::addEngineRows(); }
    void aFailedLoadNeverMovesTheStoredLineElsewhere()
    {
        QFETCH(QString, engine);
        Plays f(engine, false);
        f.h.settings.store.set(QStringLiteral("StrikeSF"),
                               QStringLiteral("10")); // out of the order
        f.exec(QStringLiteral("DELETE FROM SF今日成績 WHERE 棒次='2'"));
        f.open();
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("1"));
        QVERIFY(f.play(QStringLiteral("一壘")));
        // Slot 2 has no row: the panel is empty and records nothing, so
        // nothing can reach another batter's row.
        QVERIFY(f.click(QStringLiteral("Command4")));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), QString());
        QVERIFY(f.h.panels(test::C).value(2).contains(QStringLiteral("第2棒")));
        QVERIFY(!f.play(QStringLiteral("刺殺")));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("1")),
            QStringLiteral("一壘"));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("2")),
            kBlank);
        QVERIFY(f.click(QStringLiteral("Command4")));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(f.selection.first.order[2]));
        // A read that fails leaves the pitcher panel as counted.
        db::Database::closePool();
        f.press(QStringLiteral("SBO_Lab(2)"));
        f.exec(QStringLiteral("ALTER TABLE PL今日成績 RENAME TO PL今日成績_away"));
        const QString pitcher = f.text(QStringLiteral("NameP_Lab"));
        f.act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"));
        f.key(QStringLiteral("BackupP_Combo"), QStringLiteral("Down"));
        QCOMPARE(f.text(QStringLiteral("NameP_Lab")), pitcher);
        QCOMPARE(f.text(QStringLiteral("BallB_txt")), QStringLiteral("1"));
        // A change of half-inning whose lines cannot be stored does not happen.
        for (int i = 0; i < 3; ++i)
            f.press(QStringLiteral("SBO_Lab(3)"));
        f.click(QStringLiteral("Next_Command"));
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("1B"));
        QCOMPARE(f.text(QStringLiteral("NameP_Lab")), pitcher);
        QVERIFY2(f.h.panels(test::C).value(2).startsWith(QStringLiteral("換局未完成,仍在1B")),
                 qPrintable(f.h.panels(test::C).value(2)));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("Half"), QStringLiteral("unset")),
                 QStringLiteral("unset"));
        QVERIFY(f.h.messages().isEmpty());
        // Once the table is back, the same press goes through.
        f.exec(QStringLiteral("ALTER TABLE PL今日成績_away RENAME TO PL今日成績"));
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("1T"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("壞球")),
                 QStringLiteral("1"));
    }

    // A triple play at two outs makes one out; undone and recorded again,
    // or put right as a put-out, it is credited that one out again.
    void aClampedTriplePlayIsUndoneAndPutRightByWhatItAdded_data()
    {
        test::TestDatabase::addEngineRows();
    }
    void aClampedTriplePlayIsUndoneAndPutRightByWhatItAdded()
    {
        QFETCH(QString, engine);
        Plays f(engine);
        f.press(QStringLiteral("SBO_Lab(3)"));
        f.press(QStringLiteral("SBO_Lab(3)"));
        QVERIFY(f.play(QStringLiteral("三殺")));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("3"));
        QVERIFY(f.undo(1));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("2"));
        QVERIFY(f.h.messages().isEmpty());
        QVERIFY(f.play(QStringLiteral("三殺")));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("3"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("3"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("局數")),
                 QStringLiteral("3"));
        QVERIFY(f.undo(1));
        QVERIFY(f.play(QStringLiteral("刺殺")));
        QCOMPARE(f.text(QStringLiteral("RoundS_txt")), QStringLiteral("3"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("局數")),
                 QStringLiteral("3"));
        QVERIFY(f.h.messages().isEmpty());
    }

    // Every change of a line-score cell reaches RHE with its action, also
    // one that leaves R as it was.
    void aCellChangeIsStoredAtOnce_data() { test::TestDatabase::addEngineRows(); }
    void aCellChangeIsStoredAtOnce()
    {
        QFETCH(QString, engine);
        Plays f(engine);
        QCOMPARE(f.rhe(QStringLiteral("T"), QStringLiteral("Round3")), kBlank);
        QVERIFY(f.type(QStringLiteral("Score2_txt(3)"), QStringLiteral("0")));
        QCOMPARE(f.rhe(QStringLiteral("T"), QStringLiteral("Round3")), QStringLiteral("0"));
        QVERIFY(f.type(QStringLiteral("Score2_txt(3)"), kBlank));
        QCOMPARE(f.rhe(QStringLiteral("T"), QStringLiteral("Round3")), kBlank);
        QVERIFY(f.press(QStringLiteral("Score1_txt(1)")));
        QCOMPARE(f.rhe(QStringLiteral("B"), QStringLiteral("R")), QStringLiteral("1"));
        QVERIFY(f.type(QStringLiteral("Score1_txt(1)"), QStringLiteral("01")));
        QCOMPARE(f.text(QStringLiteral("RHE1_txt(1)")), QStringLiteral("1"));
        QCOMPARE(f.rhe(QStringLiteral("B"), QStringLiteral("Round1")), QStringLiteral("01"));
        // A press on a blank cell changes nothing and stores nothing new.
        QVERIFY(f.press(QStringLiteral("Score1_txt(5)")));
        QCOMPARE(f.rhe(QStringLiteral("B"), QStringLiteral("Round5")), kBlank);
    }

    void anOutcomeIsStoredWholeOrNotAtAll_data() { test::TestDatabase::addEngineRows(); }
    void anOutcomeIsStoredWholeOrNotAtAll()
    {
        QFETCH(QString, engine);
        Plays f(engine);
        db::Database::closePool();
        // The pitcher's line cannot be stored: the batter's line is not either.
        f.exec(QStringLiteral("ALTER TABLE PL今日成績 RENAME TO PL今日成績_away"));
        QVERIFY(f.play(QStringLiteral("一壘")));
        QCOMPARE(f.text(QStringLiteral("TimesS_txt(1)")), QStringLiteral("一壘"));
        QVERIFY(f.h.messages().isEmpty());
        QVERIFY(!f.h.panels(test::C).value(2).isEmpty());
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("1")),
            kBlank);
        QCOMPARE(f.row(QStringLiteral("SELECT S FROM SBO表")).value(QStringLiteral("S")),
                 QStringLiteral("0"));
        // Back again: the next action stores everything the screen holds.
        f.exec(QStringLiteral("ALTER TABLE PL今日成績_away RENAME TO PL今日成績"));
        f.click(QStringLiteral("Command4"));
        QVERIFY(f.play(QStringLiteral("刺殺")));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("2"), QStringLiteral("1")),
            QStringLiteral("刺殺"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("被安打")),
                 QStringLiteral("1"));
    }
};

QTEST_MAIN(TstConsolePlays)
#include "tst_console_plays.moc"
