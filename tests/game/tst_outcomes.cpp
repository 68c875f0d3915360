#include "Figures.h"
#include "Outcomes.h"

#include <QtTest>

using namespace hp::game;

namespace QTest {
template <> char* toString(const PlateAppearanceCounters& c)
{
    const QString text =
        QStringLiteral("AB %1 H %2 HR %3 RBI %4 | PB %5 PS %6 HA %7 HRA %8 K %9 BB %10 R %11 "
                       "OR %12 | TH %13 TE %14 cell %15 | S %16 B %17 O %18 bases %19%20%21")
            .arg(c.atBats)
            .arg(c.hits)
            .arg(c.homeRuns)
            .arg(c.rbis)
            .arg(c.pitcherBalls)
            .arg(c.pitcherStrikes)
            .arg(c.hitsAllowed)
            .arg(c.homeRunsAllowed)
            .arg(c.strikeouts)
            .arg(c.walks)
            .arg(c.runsAllowed)
            .arg(c.outsRecorded)
            .arg(c.teamHits)
            .arg(c.teamErrors)
            .arg(c.runsThisHalf)
            .arg(c.strikes)
            .arg(c.balls)
            .arg(c.outs)
            .arg(int(c.bases[0]))
            .arg(int(c.bases[1]))
            .arg(int(c.bases[2]));
    return qstrdup(text.toUtf8().constData());
}
} // namespace QTest

namespace {

// One out, two strikes and one ball, runners on first and third; every
// counter high enough for any one undo.
PlateAppearanceCounters midGame()
{
    PlateAppearanceCounters c;
    c.atBats = 2;
    c.hits = 1;
    c.homeRuns = 1;
    c.rbis = 4;
    c.pitcherBalls = 10;
    c.pitcherStrikes = 20;
    c.hitsAllowed = 3;
    c.homeRunsAllowed = 1;
    c.strikeouts = 4;
    c.walks = 1;
    c.runsAllowed = 5;
    c.outsRecorded = 7;
    c.teamHits = 5;
    c.teamErrors = 1;
    c.runsThisHalf = 3;
    c.strikes = 2;
    c.balls = 1;
    c.outs = 1;
    c.bases = {true, false, true};
    return c;
}

// The players' and teams' counters of `c` with the count, outs and runners of
// `field`: undo never touches those.
PlateAppearanceCounters withField(PlateAppearanceCounters c, const PlateAppearanceCounters& field)
{
    c.strikes = field.strikes;
    c.balls = field.balls;
    c.outs = field.outs;
    c.bases = field.bases;
    return c;
}

// Applies changes written as "AB+1 HA+1 RBI+3" to `c`.
PlateAppearanceCounters changed(PlateAppearanceCounters c, const QString& changes)
{
    const QHash<QString, double PlateAppearanceCounters::*> names{
        {QStringLiteral("AB"), &PlateAppearanceCounters::atBats},
        {QStringLiteral("H"), &PlateAppearanceCounters::hits},
        {QStringLiteral("HR"), &PlateAppearanceCounters::homeRuns},
        {QStringLiteral("RBI"), &PlateAppearanceCounters::rbis},
        {QStringLiteral("PB"), &PlateAppearanceCounters::pitcherBalls},
        {QStringLiteral("PS"), &PlateAppearanceCounters::pitcherStrikes},
        {QStringLiteral("HA"), &PlateAppearanceCounters::hitsAllowed},
        {QStringLiteral("HRA"), &PlateAppearanceCounters::homeRunsAllowed},
        {QStringLiteral("K"), &PlateAppearanceCounters::strikeouts},
        {QStringLiteral("BB"), &PlateAppearanceCounters::walks},
        {QStringLiteral("R"), &PlateAppearanceCounters::runsAllowed},
        {QStringLiteral("OR"), &PlateAppearanceCounters::outsRecorded},
        {QStringLiteral("TH"), &PlateAppearanceCounters::teamHits},
        {QStringLiteral("TE"), &PlateAppearanceCounters::teamErrors},
        {QStringLiteral("CELL"), &PlateAppearanceCounters::runsThisHalf},
        {QStringLiteral("O"), &PlateAppearanceCounters::outs},
    };
    for (const QString& change : changes.split(u' ', Qt::SkipEmptyParts)) {
        const auto plus = change.indexOf(u'+');
        const auto member = names.value(change.left(plus));
        Q_ASSERT(member);
        c.*member += change.mid(plus + 1).toDouble();
    }
    return c;
}

QStringList boxesWith(int filled)
{
    QStringList boxes(kPlateAppearanceBoxes, kBlank.toString());
    for (int i = 0; i < filled; ++i)
        boxes[i] = QStringLiteral("一壘");
    return boxes;
}

} // namespace

class TstOutcomes : public QObject {
    Q_OBJECT
private slots:
    void theTableHoldsTheTwentyButtons()
    {
        const auto rules = outcomeRules();
        QCOMPARE(rules.size(), std::size_t(20));
        QSet<QString> captions;
        int onBase = 0;
        int out = 0;
        for (const OutcomeRule& r : rules) {
            captions.insert(r.caption.toString());
            QCOMPARE(findOutcome(r.caption), &r);
            QCOMPARE(r.index, r.tab == OutcomeTab::OnBase ? onBase++ : out++);
        }
        QCOMPARE(captions.size(), 20);
        QCOMPARE(onBase, 11);
        QCOMPARE(out, 9);
        QCOMPARE(findOutcome(u"一壘")->index, 2);
        QCOMPARE(findOutcome(u"三殺")->tab, OutcomeTab::Out);
        QVERIFY(!findOutcome(u"一壘 "));
        QVERIFY(!findOutcome(u""));
    }

    // Every caption recorded at one out with a count of two strikes and one
    // ball and runners on first and third.
    void recording_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("changes");
        QTest::newRow("四壞") << QStringLiteral("四壞") << QStringLiteral("PB+1 BB+1");
        QTest::newRow("觸身") << QStringLiteral("觸身") << QStringLiteral("PB+1 BB+1");
        for (const char16_t* hit : {u"一壘", u"二壘", u"三壘"})
            QTest::newRow(QString::fromUtf16(hit).toUtf8().constData())
                << QString::fromUtf16(hit) << QStringLiteral("AB+1 H+1 PS+1 HA+1 TH+1");
        QTest::newRow("全壘") << QStringLiteral("全壘")
                              << QStringLiteral("AB+1 H+1 HR+1 RBI+3 HRA+1 HA+1 R+3 CELL+3 TH+1");
        QTest::newRow("選擇") << QStringLiteral("選擇") << QStringLiteral("AB+1 OR+1 O+1");
        QTest::newRow("不死") << QStringLiteral("不死") << QStringLiteral("AB+1 K+1");
        QTest::newRow("失誤") << QStringLiteral("失誤") << QStringLiteral("AB+1 TE+1");
        QTest::newRow("犯規") << QStringLiteral("犯規") << QStringLiteral("AB+1");
        QTest::newRow("敬遠") << QStringLiteral("敬遠") << QStringLiteral("BB+1");
        QTest::newRow("三振") << QStringLiteral("三振") << QStringLiteral("AB+1 K+1 PS+1 OR+1 O+1");
        QTest::newRow("犧牲") << QStringLiteral("犧牲") << QStringLiteral("PS+1 OR+1 O+1");
        for (const char16_t* o : {u"刺殺", u"內飛", u"外飛", u"界飛"})
            QTest::newRow(QString::fromUtf16(o).toUtf8().constData())
                << QString::fromUtf16(o) << QStringLiteral("AB+1 PS+1 OR+1 O+1");
        QTest::newRow("雙殺") << QStringLiteral("雙殺") << QStringLiteral("AB+1 PS+1 OR+2 O+2");
        QTest::newRow("三殺") << QStringLiteral("三殺") << QStringLiteral("AB+1 PS+1 OR+2 O+2");
        QTest::newRow("妨礙") << QStringLiteral("妨礙") << QStringLiteral("AB+1 OR+1 O+1");
    }
    void recording()
    {
        QFETCH(QString, caption);
        QFETCH(QString, changes);
        const auto start = midGame();
        const auto r = record(caption, boxesWith(2), start, std::nullopt);
        QVERIFY(r.recorded);
        QVERIFY(r.notice.isEmpty());
        QCOMPARE(r.box, 2);
        QVERIFY(r.disableTabs);
        QVERIFY(!r.announceThirdOut);

        auto expected = changed(start, changes);
        expected.strikes = 0;
        expected.balls = 0;
        if (caption == u"全壘")
            expected.bases = {};
        QCOMPARE(r.counters, expected);
    }

    void undoTakesBackWhatRecordingAdded_data()
    {
        QTest::addColumn<QString>("caption");
        for (const OutcomeRule& r : outcomeRules())
            QTest::newRow(r.caption.toString().toUtf8().constData()) << r.caption.toString();
    }
    void undoTakesBackWhatRecordingAdded()
    {
        QFETCH(QString, caption);
        auto start = midGame();
        start.outs = 0; // room for every play's outs
        const auto recorded = record(caption, boxesWith(0), start, std::nullopt).counters;
        const auto undone = undo(caption, recorded, 3);
        QVERIFY(undone.reversed);
        QVERIFY2(undone.notice.isEmpty(), qPrintable(undone.notice.text));
        // Undo leaves the count, the outs and the runners where the play put them.
        QCOMPARE(undone.counters, withField(start, recorded));
    }

    // After an undo the right outcome is recorded with the correction flag
    // set: the players' lines end as if it had been recorded in the first
    // place, and nothing on the field moves twice.
    void correctingAfterAnUndoCountsThePlayOnce_data() { undoTakesBackWhatRecordingAdded_data(); }
    void correctingAfterAnUndoCountsThePlayOnce()
    {
        QFETCH(QString, caption);
        const auto start = midGame();
        const auto undone = undo(caption, start, 3);
        const auto r = record(caption, boxesWith(0), undone.counters, Correction{undone.labelOuts});
        QVERIFY(r.recorded);
        QVERIFY(!r.disableTabs);
        QVERIFY(!r.announceThirdOut);
        auto expected = start;
        if (caption == u"選擇")
            expected.outs += 1;
        if (caption == u"全壘")
            expected.bases = {};
        QCOMPARE(r.counters, expected);
    }

    void theNextFreeBoxTakesTheOutcome()
    {
        QStringList boxes = boxesWith(3);
        QCOMPARE(nextFreeBox(boxes), 3);
        boxes[3] = QString();
        QCOMPARE(nextFreeBox(boxes), 3);
        // An ordinary space is a result, only U+3000 is the blank.
        boxes[3] = QStringLiteral(" ");
        QCOMPARE(nextFreeBox(boxes), 4);
        QCOMPARE(nextFreeBox({}), 0);
        QCOMPARE(nextFreeBox(boxesWith(7)), 7);
        QCOMPARE(nextFreeBox(boxesWith(8)), -1);
    }

    void aNinthPlateAppearanceIsRefused()
    {
        const auto start = midGame();
        const auto r = record(u"一壘", boxesWith(8), start, std::nullopt);
        QVERIFY(!r.recorded);
        QCOMPARE(r.box, -1);
        QCOMPARE(r.notice.text, kCardFullMessage.toString());
        QCOMPARE(r.notice.title, QStringLiteral("錯誤提示"));
        QCOMPARE(r.counters, start);
        QVERIFY(!r.disableTabs);
    }

    void anUnknownCaptionRecordsNothing()
    {
        const auto start = midGame();
        const auto r = record(u"好球", boxesWith(0), start, std::nullopt);
        QVERIFY(!r.recorded);
        QVERIFY(!r.notice.isEmpty());
        QCOMPARE(r.counters, start);
    }

    void theOutsStopAtThree()
    {
        struct Case {
            const char16_t* caption;
            double outsBefore;
            double outsAfter;
            double outsRecordedAdded;
        };
        for (const Case& k :
             {Case{u"三殺", 0, 3, 3}, Case{u"三殺", 2, 3, 1}, Case{u"雙殺", 1, 3, 2},
              Case{u"雙殺", 2, 3, 1}, Case{u"選擇", 2, 3, 1}, Case{u"選擇", 3, 3, 0},
              Case{u"三殺", 5, 5, 0}}) {
            auto start = midGame();
            start.outs = k.outsBefore;
            const auto r = record(k.caption, boxesWith(0), start, std::nullopt);
            const QByteArray what =
                QString::fromUtf16(k.caption).toUtf8() + " at " + QByteArray::number(k.outsBefore);
            QVERIFY2(r.counters.outs == k.outsAfter, what);
            QVERIFY2(r.counters.outsRecorded == start.outsRecorded + k.outsRecordedAdded, what);
        }
    }

    // A correction is credited the outs its play made from where the play
    // started (the label less what the undone entry had put on it), up to
    // the third out.
    void aCorrectionCreditsTheOutsUpToTheThird()
    {
        struct Case {
            const char16_t* caption;
            double label;     // the outs label at the correction
            double undoneAdd; // what the undone entry had put on it
            double credited;
        };
        for (const Case& k :
             {Case{u"三殺", 3, 1, 1}, Case{u"刺殺", 3, 1, 1}, Case{u"三殺", 3, 3, 3},
              Case{u"雙殺", 3, 1, 1}, Case{u"雙殺", 1, 1, 2}, Case{u"刺殺", 2, 0, 1},
              Case{u"三振", 3, 0, 0}, Case{u"選擇", 3, 1, 1}}) {
            auto start = midGame();
            start.outs = k.label;
            const auto r = record(k.caption, boxesWith(0), start, Correction{k.undoneAdd});
            const QByteArray what = QString::fromUtf16(k.caption).toUtf8() + " at " +
                                    QByteArray::number(k.label) + "-" +
                                    QByteArray::number(k.undoneAdd);
            QVERIFY2(r.counters.outsRecorded == start.outsRecorded + k.credited, what);
            QVERIFY2(r.counters.outs == k.label, what);
        }
        // Without what the entry added, the undo takes it for the outcome's
        // outs as far as the label shows them: undo and correction balance.
        auto start = midGame();
        start.outs = 2;
        const auto recorded = record(u"三殺", boxesWith(0), start, std::nullopt);
        QCOMPARE(recorded.counters.outsRecorded, 8.0);
        const auto undone = undo(u"三殺", recorded.counters, std::nullopt);
        QCOMPARE(undone.labelOuts, 3.0);
        const auto again =
            record(u"三殺", boxesWith(0), undone.counters, Correction{undone.labelOuts});
        QCOMPARE(again.counters.outsRecorded, recorded.counters.outsRecorded);
        QCOMPARE(again.counters.outs, 3.0);
    }

    void anOrdinaryOutAtTwoOutsIsTheThirdOut()
    {
        auto start = midGame();
        start.outs = 2;
        auto r = record(u"三振", boxesWith(0), start, std::nullopt);
        QVERIFY(r.announceThirdOut);
        QCOMPARE(r.counters.outs, 2.0);
        QCOMPARE(r.counters.outsRecorded, start.outsRecorded + 1);
        QCOMPARE(r.counters.strikeouts, start.strikeouts + 1);

        // While correcting nothing on the field moves, the third out included.
        r = record(u"三振", boxesWith(0), start, Correction{1});
        QVERIFY(!r.announceThirdOut);
        QCOMPARE(r.counters.outs, 2.0);
        QCOMPARE(r.counters.strikes, start.strikes);
        QCOMPARE(r.counters.balls, start.balls);
        QCOMPARE(r.counters.outsRecorded, start.outsRecorded + 1);

        // Reaching 3 through the label is left to the count's rule.
        r = record(u"雙殺", boxesWith(0), midGame(), std::nullopt);
        QCOMPARE(r.counters.outs, 3.0);
        QVERIFY(!r.announceThirdOut);
    }

    void undoKeepsTooFewOutsRecordedAndSaysSo()
    {
        struct Case {
            const char16_t* caption;
            double outsRecorded;
        };
        for (const Case& k : {Case{u"雙殺", 1}, Case{u"三殺", 2}, Case{u"三振", 0},
                              Case{u"選擇", 0}, Case{u"妨礙", 0.5}}) {
            auto start = midGame();
            start.outsRecorded = k.outsRecorded;
            const auto u = undo(k.caption, start, std::nullopt);
            const QByteArray what = QString::fromUtf16(k.caption).toUtf8();
            QVERIFY2(u.reversed, what);
            QVERIFY2(u.counters.outsRecorded == k.outsRecorded, what);
            QVERIFY2(u.notice.text == kOutsRecordedMessage, what);
            QVERIFY2(u.notice.title == QStringLiteral("請注意"), what);
            // The rest of the undo is still done.
            QVERIFY2(u.counters.atBats == start.atBats - 1, what);
        }
        auto start = midGame();
        start.outsRecorded = 3;
        const auto u = undo(u"三殺", start, std::nullopt);
        QCOMPARE(u.counters.outsRecorded, 0.0);
        QVERIFY(u.notice.isEmpty());
    }

    void undoNeverGoesBelowZero()
    {
        PlateAppearanceCounters zero;
        for (const OutcomeRule& r : outcomeRules()) {
            const auto u = undo(r.caption, zero, 3);
            QCOMPARE(withField(u.counters, zero), zero);
        }
        auto start = midGame();
        start.rbis = 1;
        start.runsAllowed = 2;
        start.runsThisHalf = 0;
        const auto u = undo(u"全壘", start, 3).counters;
        QCOMPARE(u.rbis, 0.0);
        QCOMPARE(u.runsAllowed, 0.0);
        QCOMPARE(u.runsThisHalf, 0.0);
        // A figure typed below zero by hand is left for the operator.
        start.atBats = -1;
        QCOMPARE(undo(u"犯規", start, 3).counters.atBats, -1.0);
    }

    void aHomeRunOfUnknownRunsKeepsTheRuns()
    {
        auto start = midGame();
        start = record(u"全壘", boxesWith(0), start, std::nullopt).counters;
        const auto u = undo(u"全壘", start, std::nullopt);
        QVERIFY(u.reversed);
        QCOMPARE(u.notice.text, kHomeRunRunsMessage.toString());
        QCOMPARE(u.counters.rbis, start.rbis);
        QCOMPARE(u.counters.runsAllowed, start.runsAllowed);
        QCOMPARE(u.counters.runsThisHalf, start.runsThisHalf);
        QCOMPARE(u.counters.hits, start.hits - 1);
        QCOMPARE(u.counters.teamHits, start.teamHits - 1);
        QCOMPARE(u.counters.homeRunsAllowed, start.homeRunsAllowed - 1);
    }

    void aHomeRunWithTheBasesEmptyIsOneRun()
    {
        auto start = midGame();
        start.bases = {};
        const auto r = record(u"全壘", boxesWith(0), start, std::nullopt).counters;
        QCOMPARE(r.rbis, start.rbis + 1);
        QCOMPARE(r.runsThisHalf, start.runsThisHalf + 1);
        start.bases = {true, true, true};
        QCOMPARE(record(u"全壘", boxesWith(0), start, std::nullopt).counters.rbis, start.rbis + 4);
    }

    void undoOfAnEmptyOrUnknownBoxReversesNothing()
    {
        const auto start = midGame();
        for (const char16_t* text : {u"", u"\u3000", u"好球", u" 一壘"}) {
            const auto u = undo(text, start, 3);
            QVERIFY(!u.reversed);
            QVERIFY(u.notice.isEmpty());
            QCOMPARE(u.counters, start);
        }
    }
};

QTEST_GUILESS_MAIN(TstOutcomes)
#include "tst_outcomes.moc"
