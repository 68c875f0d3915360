#include "GraphicText.h"

#include <QTest>

using namespace hp::graphics;

class TstGraphicText : public QObject {
    Q_OBJECT
private slots:
    void countFieldsAndMarks()
    {
        Scoreboard b;
        b.round = 1;
        b.rhe1 = {QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("0")};
        b.rhe2 = {QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("1")};
        b.sbo = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0")};
        b.bases = {0, 2, 1}; // 2: greyed check box
        QCOMPARE(countedCommand(QStringLiteral("SBO"), 10, countFields(b)),
                 QStringLiteral("[BYNAME][SBO][10]EFFECT\r\n[ROUND][0][1]\r\n[R1][0][2]\r\n"
                                "[R2][0][1]\r\n[S][0][1]\r\n[B][0][2]\r\n[O][0][0]\r\n"
                                "[1B][0][\u3000]\r\n[2B][0][◆]\r\n[3B][0][◆]\r\n"
                                "[HALF][0][▲]\r\n"));
        QCOMPARE(halfMark(true), QStringLiteral("▼"));
    }
    void fieldNamesAndMarks()
    {
        QCOMPARE(inningFieldName(1, 10), QStringLiteral("110"));
        QCOMPARE(inningFieldName(2, 12), QStringLiteral("212"));
        QCOMPARE(inningFieldName(2, 1), QStringLiteral("21"));
        QCOMPARE(positionFieldName(QStringLiteral(" SS ")), QStringLiteral("SS"));
        QCOMPARE(plateMark(QString(), 4), QStringLiteral("\u3000\u3000"));
        QCOMPARE(plateMark(QStringLiteral("\u3000"), 4), QStringLiteral("\u3000\u3000"));
        QCOMPARE(plateMark(QStringLiteral(" "), 4), QStringLiteral("4"));
        QCOMPARE(plateMark(QStringLiteral("一安"), 1), QStringLiteral("1"));
    }
    void nextBatters()
    {
        const QList<NextBatter> rows{
            {QStringLiteral("3"), QStringLiteral("甲"), QStringLiteral("0"), QStringLiteral("0"),
             QStringLiteral("隊")},
            {QStringLiteral("4"), QStringLiteral("乙"), QStringLiteral("3"), QStringLiteral("1"),
             QStringLiteral("隊")}};
        const auto lines = batterLines(rows[0], 1);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].name, QStringLiteral("T11"));
        QCOMPARE(lines[2].name, QStringLiteral("T13"));
        QCOMPARE(lines[2].value, QStringLiteral("0-0"));
        QCOMPARE(batterLines(rows[1], 2)[2].value, QStringLiteral("3-1"));
        QCOMPARE(nextBattersToolTip(rows), QStringLiteral("隊\r\n3甲/\r\n4乙/\r\n"));
    }
};

QTEST_GUILESS_MAIN(TstGraphicText)
#include "tst_graphictext.moc"
