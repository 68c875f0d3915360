#include "ConsoleFixture.h"

#include <QtTest>

using namespace hp;
using test::ConsoleFixture;

namespace {

const QString kBlank = QStringLiteral("\u3000");

// The batter's boxes that take figures and results.
const QStringList kBatterEditors{QStringLiteral("StrikeS_txt"),   QStringLiteral("SaveS_txt"),
                                 QStringLiteral("HomeS_txt"),     QStringLiteral("PointS_txt"),
                                 QStringLiteral("AvgS_txt"),      QStringLiteral("CaptureS_txt"),
                                 QStringLiteral("TimesS_txt(1)"), QStringLiteral("TimesS_txt(8)"),
                                 QStringLiteral("NameS_Lab")};

struct Turns : ConsoleFixture {
    using ConsoleFixture::ConsoleFixture;

    void threeOuts()
    {
        for (int i = 0; i < 3; ++i)
            press(QStringLiteral("SBO_Lab(3)"));
    }
    // No batter on the panel, nothing of his to record or type.
    void verifyEmptyPanel(const QString& slot, const QString& table)
    {
        for (const char* c : {"NameS_Lab", "NoS_Lab", "StrikeS_txt", "PointS_txt", "TimesS_txt(1)",
                              "Label6", "AvgS_Lab"})
            QVERIFY2(text(QString::fromLatin1(c)).isEmpty(), c);
        QVERIFY(items(QStringLiteral("List2")).isEmpty());
        QVERIFY(!enabled(QStringLiteral("SSTab3")));
        for (const QString& c : kBatterEditors)
            QVERIFY2(!enabled(c), qPrintable(c));
        QVERIFY(enabled(QStringLiteral("Command4")));
        const QString notice = h.panels(test::C).value(2);
        QVERIFY2(notice.contains(QStringLiteral("第%1棒").arg(slot)) && notice.contains(table),
                 qPrintable(notice));
    }
    QStringList slotRow(const QString& table, const QString& slot)
    {
        return row(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE 棒次=?"),
                   {slot})
            .values();
    }
    // The season line of a player of the first team, as it stands in the roster.
    void setSeason(const QString& entry, const QString& atBats, const QString& hits)
    {
        exec(QStringLiteral("UPDATE 打擊整隊表年度 SET 打數=?, 安打=? WHERE 背號=? AND 姓名=?"),
             {atBats, hits, numberOf(entry), nameOf(entry)});
    }
};

} // namespace

class TstConsoleTurns : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    // The change of half-inning onto a slot without a row: the outgoing
    // team's batter does not stay to be stored in the new team's table.
    void anEmptySlotLeavesThePanelEmpty_data() { test::TestDatabase::addEngineRows(); }
    void anEmptySlotLeavesThePanelEmpty()
    {
        QFETCH(QString, engine);
        Turns f(engine, false);
        f.h.settings.store.set(QStringLiteral("StrikeSL"), QStringLiteral("3"));
        f.exec(QStringLiteral("DELETE FROM SL今日成績 WHERE 棒次='4'"));
        f.open();
        const QStringList third = f.slotRow(QStringLiteral("SL今日成績"), QStringLiteral("3"));
        f.threeOuts();
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("1T"));
        f.verifyEmptyPanel(QStringLiteral("4"), QStringLiteral("SL今日成績"));
        QVERIFY(!f.play(QStringLiteral("一壘")));
        QVERIFY(!f.type(QStringLiteral("PointS_txt"), QStringLiteral("1")));
        // A count click stores the pitcher's line, and no batter's.
        QVERIFY(f.press(QStringLiteral("SBO_Lab(1)")));
        QCOMPARE(f.slotRow(QStringLiteral("SL今日成績"), QStringLiteral("3")), third);
        QCOMPARE(f.h.settings.store.get(QStringLiteral("StrikeNow")), QStringLiteral("4"));
        // The next slot's batter comes up and records as ever.
        QVERIFY(f.click(QStringLiteral("Command4")));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("5"));
        QVERIFY(f.enabled(QStringLiteral("PointS_txt")));
        QVERIFY(f.play(QStringLiteral("一壘")));
        QCOMPARE(
            f.batterRow(QStringLiteral("SL今日成績"), QStringLiteral("5"), QStringLiteral("1")),
            QStringLiteral("一壘"));
        QCOMPARE(f.slotRow(QStringLiteral("SL今日成績"), QStringLiteral("3")), third);
        QCOMPARE(f.count(QStringLiteral("SL今日成績")), 8);

        // The same at the opening: the design-time captions are no batter.
        f.closeConsole();
        f.h.settings.store.erase(QStringLiteral("StrikeNow"));
        f.exec(QStringLiteral("DELETE FROM SL今日成績 WHERE 棒次='6'"));
        f.h.settings.store.set(QStringLiteral("StrikeSL"), QStringLiteral("5"));
        f.open();
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("1T"));
        f.verifyEmptyPanel(QStringLiteral("6"), QStringLiteral("SL今日成績"));
    }

    // 下一棒 and a substitution store the outgoing lines as the screen holds
    // them, figures typed by hand included, in the unit of the change.
    void theOutgoingLinesAreStoredFirst_data() { test::TestDatabase::addEngineRows(); }
    void theOutgoingLinesAreStoredFirst()
    {
        QFETCH(QString, engine);
        Turns f(engine);
        QVERIFY(f.play(QStringLiteral("一壘")));
        QVERIFY(f.type(QStringLiteral("PointS_txt"), QStringLiteral("1")));
        QVERIFY(f.type(QStringLiteral("LostP_txt"), QStringLiteral("1")));
        QVERIFY(f.type(QStringLiteral("LostMe_txt"), QStringLiteral("1")));
        QVERIFY(f.click(QStringLiteral("Command4")));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("打點")),
            QStringLiteral("1"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("失分")),
                 QStringLiteral("1"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("自責分")),
                 QStringLiteral("1"));

        // The batter of slot 2 is replaced after an RBI typed in: the archive
        // keeps it, the pitcher's typed runs are stored with it.
        const QString replaced = f.text(QStringLiteral("NameS_Lab"));
        QVERIFY(f.type(QStringLiteral("PointS_txt"), QStringLiteral("2")));
        QVERIFY(f.type(QStringLiteral("LostP_txt"), QStringLiteral("2")));
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        QVERIFY(f.h.ok(f.act(QStringLiteral("BackupS_Combo"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 0}})));
        QVERIFY(f.text(QStringLiteral("NameS_Lab")) != replaced);
        const db::Row gone = f.row(QStringLiteral("SELECT * FROM 退場打者今日"));
        QCOMPARE(gone.value(QStringLiteral("姓名")), replaced);
        QCOMPARE(gone.value(QStringLiteral("打點")), QStringLiteral("2"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("失分")),
                 QStringLiteral("2"));

        // One unit: when the pitcher's line cannot be stored, the batter
        // stays and so does his stored line.
        QVERIFY(f.type(QStringLiteral("PointS_txt"), QStringLiteral("3")));
        db::Database::closePool();
        f.exec(QStringLiteral("ALTER TABLE PL今日成績 RENAME TO PL今日成績_away"));
        const QString shown = f.text(QStringLiteral("NameS_Lab"));
        QVERIFY(f.click(QStringLiteral("Command4")));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), shown);
        QCOMPARE(f.text(QStringLiteral("PointS_txt")), QStringLiteral("3"));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("2"), QStringLiteral("打點")),
            QStringLiteral("0"));
        f.exec(QStringLiteral("ALTER TABLE PL今日成績_away RENAME TO PL今日成績"));
        QVERIFY(f.click(QStringLiteral("Command4")));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("3"));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("2"), QStringLiteral("打點")),
            QStringLiteral("3"));
    }

    // The change of half-inning is one unit with its settings keys: when the
    // keys cannot be written nothing is stored, and when the database fails
    // after the outgoing lines the keys stay; the screen stays at the
    // half-inning before and says so.
    void theChangeOfHalfInningIsOneUnit_data() { test::TestDatabase::addEngineRows(); }
    void theChangeOfHalfInningIsOneUnit()
    {
        QFETCH(QString, engine);
        Turns f(engine);
        QVERIFY(f.play(QStringLiteral("一壘")));
        QVERIFY(f.click(QStringLiteral("Command4")));
        QVERIFY(f.press(QStringLiteral("SBO_Lab(2)")));
        f.threeOuts();
        QVERIFY(f.enabled(QStringLiteral("Next_Command")));
        // The pitcher's balls typed after the last store: not stored either.
        QVERIFY(f.type(QStringLiteral("BallB_txt"), QStringLiteral("4")));
        auto shown = [&] {
            QStringList out;
            for (const char* c : {"NameS_Lab", "NameP_Lab", "BallB_txt", "SBO_Lab(3)",
                                  "Score1_txt(1)", "TimesS_txt(1)"})
                out << f.text(QString::fromLatin1(c));
            for (const char* c : {"Command4", "Next_Command", "SSTab3", "Command2(6)"})
                out << QString::number(f.enabled(QString::fromLatin1(c)));
            return out;
        };
        const QStringList screen = shown();
        const QString outs =
            f.row(QStringLiteral("SELECT O FROM SBO表")).value(QStringLiteral("O"));
        auto verifyBefore = [&](const QString& why) {
            QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("1B"));
            QCOMPARE(shown(), screen);
            QCOMPARE(f.get(QStringLiteral("Score1_txt(1)"))[QStringLiteral("bg")].toString(),
                     QStringLiteral("#0000ff"));
            QCOMPARE(f.h.settings.store.get(QStringLiteral("Half"), QStringLiteral("unset")),
                     QStringLiteral("unset"));
            QCOMPARE(f.h.settings.store.get(QStringLiteral("StrikeSF"), QStringLiteral("unset")),
                     QStringLiteral("unset"));
            QCOMPARE(f.h.settings.store.get(QStringLiteral("StrikeNow")), QStringLiteral("2"));
            // Nothing of the change is stored: the count, the outgoing lines.
            QCOMPARE(f.row(QStringLiteral("SELECT O FROM SBO表")).value(QStringLiteral("O")), outs);
            QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("壞球")),
                     QStringLiteral("1"));
            const QString notice = f.h.panels(test::C).value(2);
            QVERIFY2(notice.startsWith(QStringLiteral("換局未完成,仍在1B")) && notice.contains(why),
                     qPrintable(notice));
        };
        // The settings file cannot be written.
        f.h.settings.makeUnwritable();
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        QCOMPARE(f.h.messages().size(), 1); // the store names the file
        f.h.settings.makeWritable();
        verifyBefore(f.h.settings.store.fileName());

        // The database fails after the outgoing lines.
        db::Database::closePool();
        f.exec(QStringLiteral("ALTER TABLE 下三棒 RENAME TO 下三棒_away"));
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        verifyBefore(QStringLiteral("下三棒"));

        f.exec(QStringLiteral("ALTER TABLE 下三棒_away RENAME TO 下三棒"));
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("1T"));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("Half")), QStringLiteral("True"));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("StrikeSF")), QStringLiteral("2"));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("StrikeNow")), QStringLiteral("1"));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("壞球")),
                 QStringLiteral("4"));
        QCOMPARE(f.text(QStringLiteral("NameP_Lab")), f.nameOf(f.selection.first.pitcher));
        QVERIFY(f.h.messages().isEmpty());
    }

    // A batter without a season line shows none, whoever came before him.
    void aBatterWithoutASeasonLineShowsNone_data() { test::TestDatabase::addEngineRows(); }
    void aBatterWithoutASeasonLineShowsNone()
    {
        QFETCH(QString, engine);
        Turns f(engine, false);
        const auto& order = f.selection.first.order;
        f.setSeason(order[0], QStringLiteral("100"), QStringLiteral("30"));
        f.exec(QStringLiteral("DELETE FROM 打擊整隊表年度 WHERE 背號=? AND 姓名=?"),
               {f.numberOf(order[1]), f.nameOf(order[1])});
        f.open();
        QCOMPARE(f.text(QStringLiteral("Label6")), QStringLiteral("累計=打數:100/安打:30"));
        QCOMPARE(f.text(QStringLiteral("AvgS_Lab")), QStringLiteral(".300"));
        QVERIFY(!f.items(QStringLiteral("List2")).isEmpty());
        QVERIFY(f.click(QStringLiteral("Command4")));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(order[1]));
        QCOMPARE(f.text(QStringLiteral("Label6")), QStringLiteral("累計=打數:0/安打:0"));
        QCOMPARE(f.text(QStringLiteral("AvgS_Lab")), QStringLiteral(".000"));
        QVERIFY(f.items(QStringLiteral("List2")).isEmpty());
        // A hit today: the cumulative average is today's alone.
        QVERIFY(f.play(QStringLiteral("一壘")));
        QCOMPARE(f.text(QStringLiteral("AvgS_Lab")), QStringLiteral("1.000"));

        // After a substitution the panel shows the new player's season.
        QVERIFY(f.click(QStringLiteral("Command4")));
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        const QString chosen = f.items(QStringLiteral("BackupS_Combo")).value(0);
        f.setSeason(chosen, QStringLiteral("40"), QStringLiteral("10"));
        QVERIFY(f.h.ok(f.act(QStringLiteral("BackupS_Combo"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 0}})));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(chosen));
        QCOMPARE(f.text(QStringLiteral("Label6")), QStringLiteral("累計=打數:40/安打:10"));
        QCOMPARE(f.text(QStringLiteral("AvgS_Lab")), QStringLiteral(".250"));
        QVERIFY(
            f.items(QStringLiteral("List2")).contains(QStringLiteral("姓名=") + f.nameOf(chosen)));
    }
};

QTEST_MAIN(TstConsoleTurns)
#include "tst_console_turns.moc"
