#include "InGameGraphics.h"

#include <QTest>

using namespace hp::graphics;

namespace {
Scoreboard board()
{
    Scoreboard b;
    b.round = 5;
    b.bottomHalf = true;
    b.team1 = QStringLiteral("甲隊");
    b.team2 = QStringLiteral("乙隊");
    b.rhe1 = {QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("0")};
    b.rhe2 = {QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("1")};
    b.sbo = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0")};
    b.bases = {1, 0, 0};
    for (int i = 0; i < 12; ++i) {
        b.score1[i] = QString::number(i);
        b.score2[i] = QStringLiteral("\u3000");
    }
    return b;
}
const QString rhe = QStringLiteral("[TEAM1][0][甲隊]\r\n[TEAM2][0][乙隊]\r\n[R1][0][2]\r\n"
                                   "[H1][0][5]\r\n[E1][0][0]\r\n[R2][0][1]\r\n[H2][0][3]\r\n"
                                   "[E2][0][1]\r\n");
} // namespace

class TstInGameGraphics : public QObject {
    Q_OBJECT
private slots:
    void scoreboardPages()
    {
        const Graphic rheG = rheGraphic(QStringLiteral("C:/t/"), board());
        QCOMPARE(rheG.command, QStringLiteral("[BYNAME][RHE][10]EFFECT\r\n[ROUND][0][5]\r\n") +
                                   rhe + QStringLiteral("[HALF][0][▼]\r\n"));
        QCOMPARE(rheG.preview, QStringLiteral("[BYNAME][RHE][C:/t/TempImageB.BMP][A][BMP]\r\n"));
        QCOMPARE(rheG.playCode, 20);
        const QString extra = extraInningsGraphic(QString(), board()).command;
        QCOMPARE(extra, QStringLiteral("[BYNAME][九格表延長賽][14]EFFECT\r\n") + rhe +
                            QStringLiteral("[110][0][9]\r\n[210][0][\u3000]\r\n[111][0][10]\r\n"
                                           "[211][0][\u3000]\r\n[112][0][11]\r\n"
                                           "[212][0][\u3000]\r\n"));
        QCOMPARE(nineInningsGraphic(QString(), board()).command,
                 QStringLiteral("[BYNAME][九格表][26]EFFECT\r\n") + rhe +
                     QStringLiteral("[11][0][0]\r\n[21][0][\u3000]\r\n[12][0][1]\r\n"
                                    "[22][0][\u3000]\r\n[13][0][2]\r\n[23][0][\u3000]\r\n"
                                    "[14][0][3]\r\n[24][0][\u3000]\r\n[15][0][4]\r\n"
                                    "[25][0][\u3000]\r\n[16][0][5]\r\n[26][0][\u3000]\r\n"
                                    "[17][0][6]\r\n[27][0][\u3000]\r\n[18][0][7]\r\n"
                                    "[28][0][\u3000]\r\n[19][0][8]\r\n[29][0][\u3000]\r\n"));
    }
    void quickCount()
    {
        QCOMPARE(quickCountCommand(board()),
                 QStringLiteral("[BYNAME][SBO][12][FO]\r\n[ROUND][0][5]\r\n[R1][0][2]\r\n"
                                "[R2][0][1]\r\n[S][0][1]\r\n[B][0][2]\r\n[O][0][0]\r\n"
                                "[1B][0][◆]\r\n[2B][0][\u3000]\r\n[3B][0][\u3000]\r\n"
                                "[HALF][0][▼]\r\n"));
        // Only the header's effect slot is its own: a box holding the word is
        // sent as typed.
        Scoreboard typed = board();
        typed.rhe1[0] = QStringLiteral("EFFECT");
        typed.sbo[0] = QStringLiteral("[12]EFFECT");
        QCOMPARE(quickCountCommand(typed),
                 QStringLiteral("[BYNAME][SBO][12][FO]\r\n[ROUND][0][5]\r\n[R1][0][EFFECT]\r\n"
                                "[R2][0][1]\r\n[S][0][[12]EFFECT]\r\n[B][0][2]\r\n"
                                "[O][0][0]\r\n[1B][0][◆]\r\n[2B][0][\u3000]\r\n"
                                "[3B][0][\u3000]\r\n[HALF][0][▼]\r\n"));
    }
    void playerPages()
    {
        BatterToday b{QStringLiteral("7"), QStringLiteral("王"), QStringLiteral(".333"), {}};
        b.boxes = {QStringLiteral("一安"), QStringLiteral(" "), QStringLiteral("\u3000")};
        b.boxes[7] = QStringLiteral("三振");
        QCOMPARE(batterTodayGraphic(QString(), b).command,
                 QStringLiteral("[BYNAME][打者今日成績][19]EFFECT\r\n[NOS][0][7]\r\n"
                                "[NAMES][0][王]\r\n[AVG][0][.333]\r\n[T1][0][一安]\r\n"
                                "[S1][0][1]\r\n[T2][0][ ]\r\n[S2][0][2]\r\n"
                                "[T3][0][\u3000]\r\n[S3][0][\u3000\u3000]\r\n"
                                "[T4][0][]\r\n[S4][0][\u3000\u3000]\r\n"
                                "[T5][0][]\r\n[S5][0][\u3000\u3000]\r\n"
                                "[T6][0][]\r\n[S6][0][\u3000\u3000]\r\n"
                                "[T7][0][]\r\n[S7][0][\u3000\u3000]\r\n"
                                "[T8][0][三振]\r\n[S8][0][8]\r\n"));
        PitcherToday p{QStringLiteral("18"), QStringLiteral("林"), QStringLiteral("2.25"),
                       QStringLiteral("17"), QStringLiteral("4"),  QStringLiteral("6"),
                       QStringLiteral("1")};
        QCOMPARE(pitcherTodayGraphic(QString(), p).command,
                 QStringLiteral("[BYNAME][投手成績][8]EFFECT\r\n[DAY][0][今日]\r\n[NOP][0][18]\r\n"
                                "[NAMEP][0][林]\r\n[ERAP][0][2.25]\r\n[T1][0][5.667]\r\n"
                                "[T2][0][4]\r\n[T3][0][6]\r\n[T4][0][1]\r\n"));
        QVERIFY(pitcherTodayGraphic(QString(), p, hp::game::InningsNotation::Outs)
                    .command.contains(QStringLiteral("[T1][0][5.2]\r\n")));
        for (auto [thirds, shown] :
             {std::pair{"0", ".000"}, {"3", "1.000"}, {"1", ".333"}, {"", ".000"}, {"x", ".000"}}) {
            p.thirds = QString::fromLatin1(thirds);
            QVERIFY(pitcherTodayGraphic(QString(), p)
                        .command.contains(QStringLiteral("[T1][0][") + QString::fromLatin1(shown) +
                                          QStringLiteral("]\r\n")));
        }
    }
    void nextBatters()
    {
        QList<NextBatter> rows;
        for (int i = 3; i <= 5; ++i)
            rows.append({QString::number(i), QStringLiteral("某%1").arg(i), QStringLiteral("0"),
                         QStringLiteral("0"), QStringLiteral("乙隊")});
        rows[1].atBats = QStringLiteral("3");
        rows[1].hits = QStringLiteral("1");
        const Graphic nine = nextBattersGraphic(QString(), rows);
        QVERIFY(!nine.listToolTip);
        QCOMPARE(nine.command,
                 QStringLiteral("[BYNAME][下三棒][9]EFFECT\r\n[T11][0][3]\r\n[T12][0][某3]\r\n"
                                "[T13][0][0-0]\r\n[T21][0][4]\r\n[T22][0][某4]\r\n"
                                "[T23][0][3-1]\r\n[T31][0][5]\r\n[T32][0][某5]\r\n"
                                "[T33][0][0-0]\r\n"));
        const Graphic twelve = rheNextBattersGraphic(QString(), board(), rows);
        QCOMPARE(twelve.command,
                 QStringLiteral("[BYNAME][RHE+下三棒][19]EFFECT\r\n[ROUND][0][5]\r\n") + rhe +
                     QStringLiteral("[HALF][0][▼]\r\n[T11][0][3]\r\n[T12][0][某3]\r\n"
                                    "[T13][0][0-0]\r\n[T21][0][4]\r\n[T22][0][某4]\r\n"
                                    "[T23][0][3-1]\r\n[T31][0][5]\r\n[T32][0][某5]\r\n"
                                    "[T33][0][0-0]\r\n"));
        QCOMPARE(*twelve.listToolTip, QStringLiteral("乙隊\r\n3某3/\r\n4某4/\r\n5某5/\r\n"));
        rows.removeLast();
        QVERIFY(nextBattersGraphic(QString(), rows).refused());
        QVERIFY(rheNextBattersGraphic(QString(), board(), rows).refused());
    }
};

QTEST_GUILESS_MAIN(TstInGameGraphics)
#include "tst_ingamegraphics.moc"
