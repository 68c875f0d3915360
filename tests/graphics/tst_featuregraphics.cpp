#include "FeatureGraphics.h"

#include <QTest>

using namespace hp::graphics;

class TstFeatureGraphics : public QObject {
    Q_OBJECT
private slots:
    void lineups()
    {
        FieldingLineup l{QStringLiteral("乙隊"),
                         {{QStringLiteral("甲"), QStringLiteral(" SS ")},
                          {QStringLiteral("乙"), QStringLiteral("C")}},
                         QStringLiteral("丙")};
        // The team field runs into the first fielder's line.
        const Graphic g = fieldingGraphic(QStringLiteral("F/"), l);
        QCOMPARE(g.command, QStringLiteral("[BYNAME][守備][10]EFFECT\r\n[TEAM][0][乙隊]"
                                           "[SS][0][甲]\r\n[C][0][乙]\r\n[P][0][丙]\r\n"));
        QCOMPARE(g.preview, QStringLiteral("[BYNAME][守備][F/TempImageB.BMP][A][BMP]\r\n"));
        // No DH: nine fielders, all sent under the header's 10; a tenth row is not.
        for (int i = 0; i < 8; ++i)
            l.fielders.append({QString::number(i), QStringLiteral("1B")});
        QCOMPARE(fieldingGraphic(QString(), l).command,
                 QStringLiteral("[BYNAME][守備][10]EFFECT\r\n[TEAM][0][乙隊][SS][0][甲]\r\n"
                                "[C][0][乙]\r\n[1B][0][0]\r\n[1B][0][1]\r\n[1B][0][2]\r\n"
                                "[1B][0][3]\r\n[1B][0][4]\r\n[1B][0][5]\r\n[1B][0][6]\r\n"
                                "[P][0][丙]\r\n"));
        l.pitcher.reset();
        QCOMPARE(fieldingGraphic(QString(), l).refusal, QStringLiteral("無此投手資料"));

        BattingOrder o{{{QStringLiteral("甲"), QStringLiteral("CF")}},
                       LineupRow{QStringLiteral("丙"), QStringLiteral("乙隊")}};
        QCOMPARE(battingOrderGraphic(QString(), o).command,
                 QStringLiteral("[BYNAME][打序表][20]EFFECT\r\n[11][0][甲]\r\n[12][0][CF]\r\n"
                                "[P][0][丙]\r\n[TEAM][0][乙隊]\r\n"));
    }
    void featureList()
    {
        const Graphic spare = plainFeatureGraphic(QStringLiteral("F/"), 13);
        QCOMPARE(spare.command, QStringLiteral("[BYNAME][備用三]EFFECT"));
        QCOMPARE(spare.preview, QStringLiteral("[BYNAME][備用三][F/TempImageA.BMP][A][BMP]\r\n"));
        QCOMPARE(spare.playCode, 4);
        QVERIFY(!spare.loadsFields);
        QCOMPARE(plainFeatureGraphic(QString(), 6).command,
                 QStringLiteral("[BYNAME][工作人員]EFFECT"));
        QVERIFY(plainFeatureGraphic(QString(), 5).refused());
        QVERIFY(plainFeatureGraphic(QString(), 16).refused());

        Scoreboard b;
        b.team1 = QStringLiteral("甲");
        b.team2 = QStringLiteral("乙");
        b.rhe1 = {QStringLiteral("3"), QStringLiteral("7"), QStringLiteral("0")};
        b.rhe2 = {QStringLiteral("2"), QStringLiteral("6"), QStringLiteral("1")};
        QCOMPARE(finalScoreGraphic(QString(), b, QDate(2026, 3, 7)).command,
                 QStringLiteral("[BYNAME][終場表][9]EFFECT\r\n[DATE1][0][2026/03/07]\r\n"
                                "[TEAM1][0][甲]\r\n[TEAM2][0][乙]\r\n[R1][0][3]\r\n[H1][0][7]\r\n"
                                "[E1][0][0]\r\n[R2][0][2]\r\n[H2][0][6]\r\n[E2][0][1]\r\n"));

        const Profile p{QStringLiteral("林"), QStringLiteral("18"), QStringLiteral("180"),
                        QStringLiteral("80"), QStringLiteral("1990/1/2")};
        QCOMPARE(profileGraphic(QString(), false, p).command,
                 QStringLiteral("[BYNAME][基本資料][5]EFFECT\r\n[NAME][0][林]\r\n[NO][0][18]\r\n"
                                "[T1][0][180]\r\n[T2][0][80]\r\n[T3][0][1990/1/2]\r\n"));
        QCOMPARE(profileGraphic(QString(), false, std::nullopt).refusal,
                 QStringLiteral("無此打者資料"));
        QCOMPARE(profileGraphic(QString(), true, std::nullopt).refusal,
                 QStringLiteral("無此投手資料"));

        // The cumulative pages: every figure is the season's plus today's.
        PitcherToday t{QStringLiteral("18"), QStringLiteral("林"), QStringLiteral("3.00"),
                       QStringLiteral("2"),  QStringLiteral("4"),  QStringLiteral("6"),
                       QStringLiteral("1")};
        const PitcherSeason season{10, 30, 25, 8};
        QCOMPARE(pitcherCumulativeGraphic(QString(), t, season).command,
                 QStringLiteral("[BYNAME][投手成績累計][8]EFFECT\r\n[DAY][0][累計]\r\n"
                                "[NOP][0][18]\r\n[NAMEP][0][林]\r\n[ERAP][0][3.00]\r\n"
                                "[T1][0][4.000]\r\n[T2][0][34]\r\n[T3][0][31]\r\n"
                                "[T4][0][9]\r\n"));
        t.thirds = QStringLiteral("0");
        QVERIFY(pitcherCumulativeGraphic(QString(), t, {1, 0, 0, 0})
                    .command.contains(QStringLiteral("[T1][0][.333]\r\n")));
        // Innings in outs; a counter typed as text counts its leading number.
        t.thirds = QStringLiteral("7");
        t.walks = QStringLiteral("x");
        QCOMPARE(
            pitcherCumulativeGraphic(QString(), t, season, hp::game::InningsNotation::Outs).command,
            QStringLiteral("[BYNAME][投手成績累計][8]EFFECT\r\n[DAY][0][累計]\r\n"
                           "[NOP][0][18]\r\n[NAMEP][0][林]\r\n[ERAP][0][3.00]\r\n"
                           "[T1][0][5.2]\r\n[T2][0][34]\r\n[T3][0][31]\r\n"
                           "[T4][0][8]\r\n"));
        QVERIFY(pitcherCumulativeGraphic(QString(), t, {}, hp::game::InningsNotation::Outs)
                    .command.contains(QStringLiteral("[T1][0][2.1]\r\n")));
        BatterCumulative c{QStringLiteral("7"), QStringLiteral("王"), QStringLiteral(".300"),
                           QStringLiteral("4"), QStringLiteral("2"),  QStringLiteral("3"),
                           QStringLiteral("1"), {100, 30, 5, 20}};
        QCOMPARE(batterCumulativeGraphic(QString(), c).command,
                 QStringLiteral("[BYNAME][打者成績累計][8]EFFECT\r\n[DAY][0][累計]\r\n"
                                "[NOS][0][7]\r\n[NAMES][0][王]\r\n[AVG][0][.300]\r\n"
                                "[T1][0][104]\r\n[T2][0][22]\r\n[T3][0][33]\r\n"
                                "[T4][0][6]\r\n"));
    }
};

QTEST_GUILESS_MAIN(TstFeatureGraphics)
#include "tst_featuregraphics.moc"
