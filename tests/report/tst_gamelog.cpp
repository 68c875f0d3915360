#include "GameLog.h"

#include <QtTest>

using namespace hp;
using game::PlayEvent;

namespace {

// A game told row by row: each row the pitcher of the fielding team and the
// score after it.
struct Script {
    QList<PlayEvent> rows;
    int round = 1;
    bool half = false;
    int runs[2] = {0, 0};
    QString pitcher[2]; // of each team

    PlayEvent& add(const QString& kind, const QString& detail = {})
    {
        PlayEvent e;
        e.kind = kind;
        e.detail = detail;
        e.state.round = round;
        e.state.half = half;
        e.state.slot = 1;
        e.state.batterName = half ? QStringLiteral("後打者") : QStringLiteral("先打者");
        e.box = 1 + int(rows.size()) % 8;
        e.state.pitcherName = pitcher[half ? 0 : 1];
        e.state.lineScore[0][12] = QString::number(runs[0]);
        e.state.lineScore[1][12] = QString::number(runs[1]);
        rows << e;
        return rows.last();
    }
    void score(int n)
    {
        runs[half ? 1 : 0] += n;
        add(game::play::kScore);
    }
    void relieve(const QString& name)
    {
        pitcher[half ? 0 : 1] = name;
        add(game::play::kPitcherChange);
    }
    void nextHalf()
    {
        if (half)
            ++round;
        half = !half;
        add(game::play::kHalfInning);
    }
};

} // namespace

class TstGameLog : public QObject {
    Q_OBJECT
private slots:
    void theLeadTakenForGoodDecidesTheGame()
    {
        Script g;
        g.pitcher[0] = QStringLiteral("甲先發");
        g.pitcher[1] = QStringLiteral("乙先發");
        g.score(1); // 1-0
        g.nextHalf();
        g.score(2); // 1-2: the second team leads
        g.nextHalf();
        g.nextHalf();
        g.nextHalf();
        g.relieve(QStringLiteral("乙中繼")); // 3rd, top
        g.score(3);                          // 4-2 off the reliever, for good
        g.nextHalf();
        g.relieve(QStringLiteral("甲終結")); // in with a lead of 2
        g.score(1);                          // 4-3
        const std::array<QString, 2> starters{QStringLiteral("甲先發"), QStringLiteral("乙先發")};
        // Five innings for the starter.
        const QHash<QString, double> five{
            {report::playerKey(false, {}, QStringLiteral("甲先發")), 15}};
        report::Decisions d = report::decideGame(g.rows, starters, five);
        QCOMPARE(d.win, QStringLiteral("甲先發"));
        QCOMPARE(d.loss, QStringLiteral("乙中繼"));
        QCOMPARE(d.save, QStringLiteral("甲終結"));
        // Short of five innings, the win is the reliever's, and no save with it.
        d = report::decideGame(g.rows, starters, {});
        QCOMPARE(d.win, QStringLiteral("甲終結"));
        QCOMPARE(d.save, QString());

        // A lead of five with the bases empty: no save, unless three innings pitched.
        Script big;
        big.pitcher[0] = QStringLiteral("甲先發");
        big.pitcher[1] = QStringLiteral("乙先發");
        big.score(5);
        big.nextHalf();
        big.relieve(QStringLiteral("甲終結"));
        d = report::decideGame(big.rows, starters, five);
        QCOMPARE(d.win, QStringLiteral("甲先發"));
        QCOMPARE(d.loss, QStringLiteral("乙先發"));
        QCOMPARE(d.save, QString());
        QHash<QString, double> three = five;
        three.insert(report::playerKey(false, {}, QStringLiteral("甲終結")), 9);
        d = report::decideGame(big.rows, starters, three);
        QCOMPARE(d.save, QStringLiteral("甲終結"));
        // The tying run on deck: a lead of five with the bases full.
        big.rows[big.rows.size() - 1].state.bases = {true, true, true};
        d = report::decideGame(big.rows, starters, five);
        QCOMPARE(d.save, QStringLiteral("甲終結"));

        // A complete game is no save; a tie has no decisions.
        Script complete;
        complete.pitcher[0] = QStringLiteral("甲先發");
        complete.pitcher[1] = QStringLiteral("乙先發");
        complete.score(1);
        d = report::decideGame(complete.rows, starters, {});
        QCOMPARE(d.win, QStringLiteral("甲先發")); // no reliever to take it
        QCOMPARE(d.save, QString());
        complete.nextHalf();
        complete.score(1);
        d = report::decideGame(complete.rows, starters, {});
        QCOMPARE(d.win, QString());
        QCOMPARE(d.loss, QString());
    }

    void undoneOutcomesCountNothing()
    {
        Script g;
        g.pitcher[1] = QStringLiteral("乙先發");
        PlayEvent walk = g.add(game::play::kOutcome, QStringLiteral("四壞"));
        PlayEvent& undo = g.add(game::play::kUndo, QStringLiteral("四壞"));
        undo.box = walk.box;
        g.add(game::play::kOutcome, QStringLiteral("觸身"));
        g.add(game::play::kOutcome, QStringLiteral("不死"));
        g.add(game::play::kOutcome, QStringLiteral("敬遠"));
        PlayEvent& pinch = g.add(game::play::kSubstitution);
        pinch.after = QStringLiteral("30:代打者");
        pinch.state.round = 5;
        const report::GameTally t = report::tallyGame(g.rows);
        const report::PitcherTally p =
            t.pitchers.value(report::playerKey(true, {}, QStringLiteral("乙先發")));
        QCOMPARE(p.battersFaced, 3);
        QCOMPARE(p.walks, 1);
        QCOMPARE(p.hitByPitch, 1);
        QCOMPARE(p.strikeouts, 1);
        const report::BatterTally b =
            t.batters.value(report::playerKey(false, {}, QStringLiteral("先打者")));
        QCOMPARE(b.walks, 1);
        QCOMPARE(t.entered.value(
                     report::playerKey(false, QStringLiteral("30"), QStringLiteral("代打者"))),
                 QStringLiteral("代打 5局"));
        QCOMPARE(report::gameStatusText(t), QStringLiteral("進行中 5局上"));
        g.add(game::play::kGameEnd);
        QCOMPARE(report::gameStatusText(report::tallyGame(g.rows)), QStringLiteral("終場"));
    }
};

QTEST_APPLESS_MAIN(TstGameLog)
#include "tst_gamelog.moc"
