#include "Count.h"

#include <QtTest>

using namespace hp::game;

namespace QTest {
template <> char* toString(const Count& c)
{
    return qstrdup(QByteArray("S%1 B%2 O%3")
                       .replace("%1", QByteArray::number(c.strikes))
                       .replace("%2", QByteArray::number(c.balls))
                       .replace("%3", QByteArray::number(c.outs))
                       .constData());
}
} // namespace QTest

class TstCount : public QObject {
    Q_OBJECT
private slots:
    void battingOrderWrapsAfterTheNinth()
    {
        QCOMPARE(nextBattingPosition(0), 1);
        QCOMPARE(nextBattingPosition(3), 4);
        QCOMPARE(nextBattingPosition(8), 9);
        QCOMPARE(nextBattingPosition(9), 1);
        QCOMPARE(nextBattingPosition(15), 1);
        QCOMPARE(nextBattingPosition(-2), 1);
    }

    void plainClicksStayWithinTheCount()
    {
        auto step = countClick(CountLabel::Strikes, false, {1, 2, 0});
        QCOMPARE(step.count, (Count{2, 2, 0}));
        QVERIFY(step.changed);
        QCOMPARE(step.strikes, 1.0);

        // Two strikes: a foul still counts a pitch, the count stays.
        step = countClick(CountLabel::Strikes, false, {2, 1, 0});
        QCOMPARE(step.count, (Count{2, 1, 0}));
        QVERIFY(!step.changed);
        QCOMPARE(step.strikes, 1.0);

        step = countClick(CountLabel::Balls, false, {0, 2, 0});
        QCOMPARE(step.count, (Count{0, 3, 0}));
        QCOMPARE(step.balls, 1.0);

        // Ball four is recorded with the outcome, not by the count.
        step = countClick(CountLabel::Balls, false, {0, 3, 0});
        QCOMPARE(step.count, (Count{0, 3, 0}));
        QVERIFY(!step.changed);
        QCOMPARE(step.balls, 0.0);
    }

    void theThirdOutIsAnnouncedWithTheLabelHeld()
    {
        auto step = countClick(CountLabel::Outs, false, {0, 0, 1});
        QCOMPARE(step.count.outs, 2.0);
        QCOMPARE(step.outsRecorded, 1.0);
        QVERIFY(!step.thirdOut);

        step = countClick(CountLabel::Outs, false, {1, 1, 2});
        QVERIFY(step.thirdOut);
        QVERIFY(!step.changed);
        QCOMPARE(step.count, (Count{1, 1, 2}));
        QCOMPARE(step.outsRecorded, 0.0);
    }

    void takingBackStopsAtZero()
    {
        auto step = countClick(CountLabel::Outs, true, {0, 0, 1});
        QCOMPARE(step.count.outs, 0.0);
        QCOMPARE(step.outsRecorded, -1.0);
        QVERIFY(!step.thirdOut);

        step = countClick(CountLabel::Strikes, true, {1, 0, 0});
        QCOMPARE(step.count.strikes, 0.0);
        QCOMPARE(step.strikes, -1.0);

        for (auto label : {CountLabel::Strikes, CountLabel::Balls, CountLabel::Outs}) {
            step = countClick(label, true, {0, 0, 0});
            QVERIFY(!step.changed);
            QVERIFY(!step.thirdOut);
            QCOMPARE(step.count, (Count{0, 0, 0}));
            QCOMPARE(step.strikes + step.balls + step.outsRecorded, 0.0);
        }
    }

    void halfInningsRunToTheTwelfth()
    {
        QCOMPARE(nextHalfInning({3, false}), (HalfInning{3, true}));
        QCOMPARE(nextHalfInning({3, true}), (HalfInning{4, false}));
        QCOMPARE(nextHalfInning({12, false}), (HalfInning{12, true}));
        QCOMPARE(nextHalfInning({12, true}), std::nullopt);
        QCOMPARE(nextHalfInning({13, true}), std::nullopt);
        QCOMPARE(halfInningCaption({1, false}), QStringLiteral("1B"));
        QCOMPARE(halfInningCaption({7, true}), QStringLiteral("7T"));
    }
};

QTEST_GUILESS_MAIN(TstCount)
#include "tst_count.moc"
