#include "Figures.h"
#include "Statistics.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace hp::game;

class TstFigures : public QObject {
    Q_OBJECT
private slots:
    void leadingNumberReadsOnlyTheNumberAtTheStart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("whole") << QStringLiteral("3") << 3.0;
        QTest::newRow("decimal") << QStringLiteral("2.5") << 2.5;
        QTest::newRow("blanks before") << QStringLiteral(" \t 12") << 12.0;
        QTest::newRow("junk after") << QStringLiteral("12abc") << 12.0;
        QTest::newRow("blank after") << QStringLiteral("7 8") << 7.0;
        QTest::newRow("minus") << QStringLiteral("-2") << -2.0;
        QTest::newRow("plus") << QStringLiteral("+4") << 4.0;
        QTest::newRow("no integer digits") << QStringLiteral(".5") << 0.5;
        QTest::newRow("bare point after") << QStringLiteral("5.") << 5.0;
        QTest::newRow("second point") << QStringLiteral("1.2.3") << 1.2;
        QTest::newRow("no exponent") << QStringLiteral("1e5") << 1.0;
        QTest::newRow("leading zeros") << QStringLiteral("007") << 7.0;
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("letters") << QStringLiteral("abc") << 0.0;
        QTest::newRow("sign only") << QStringLiteral("-") << 0.0;
        QTest::newRow("point only") << QStringLiteral(".") << 0.0;
        QTest::newRow("blank between sign and digits") << QStringLiteral("- 3") << 0.0;
        QTest::newRow("the blank") << QStringLiteral("\u3000") << 0.0;
        QTest::newRow("the blank before digits") << QStringLiteral("\u30003") << 0.0;
        QTest::newRow("full-width digits") << QStringLiteral("３") << 0.0;
        QTest::newRow("too large") << QString(400, u'9') << 0.0;
    }
    void leadingNumberReadsOnlyTheNumberAtTheStart()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(leadingNumber(text), value);
    }

    void minusZeroReadsAsPlainZero()
    {
        QVERIFY(!std::signbit(leadingNumber(u"-0")));
        QCOMPARE(numberText(leadingNumber(u"-0.0")), QStringLiteral("0"));
    }

    void numbersWriteAsShortestPlainText()
    {
        QCOMPARE(numberText(3), QStringLiteral("3"));
        QCOMPARE(numberText(2.5), QStringLiteral("2.5"));
        QCOMPARE(numberText(leadingNumber(u"3.0") + 1), QStringLiteral("4"));
        QCOMPARE(numberText(-1), QStringLiteral("-1"));
        QCOMPARE(numberText(0.000001), QStringLiteral("0.000001"));
        QCOMPARE(numberText(1e20), QStringLiteral("100000000000000000000"));
        // Binary noise of a sum does not reach the box.
        QCOMPARE(numberText(0.1 + 0.2), QStringLiteral("0.3"));
        QCOMPARE(numberText(-0.0), QStringLiteral("0"));
        QCOMPARE(numberText(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0"));
        QCOMPARE(numberText(std::numeric_limits<double>::infinity()), QStringLiteral("0"));
    }

    void readingBackWhatWasWrittenGivesTheSameText()
    {
        for (const char16_t* t : {u"0", u"17", u"2.5", u"-3", u"0.125", u"123456789012"})
            QCOMPARE(numberText(leadingNumber(t)), QString::fromUtf16(t));
    }

    void formats_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        // No digit forced before the point.
        QTest::newRow("third") << 1.0 / 3 << QStringLiteral(".000") << QStringLiteral(".333");
        QTest::newRow("one") << 1.0 << QStringLiteral(".000") << QStringLiteral("1.000");
        QTest::newRow("zero") << 0.0 << QStringLiteral(".000") << QStringLiteral(".000");
        QTest::newRow("same as #.000") << 0.3 << QStringLiteral("#.000") << QStringLiteral(".300");
        QTest::newRow("zero in ###.000")
            << 0.0 << QStringLiteral("###.000") << QStringLiteral(".000");
        QTest::newRow("more integer digits than #")
            << 1234.5 << QStringLiteral("#0.00") << QStringLiteral("1234.50");
        // Forced digits.
        QTest::newRow("zero in 0.000") << 0.0 << QStringLiteral("0.000") << QStringLiteral("0.000");
        QTest::newRow("zero in ##0.00")
            << 0.0 << QStringLiteral("##0.00") << QStringLiteral("0.00");
        QTest::newRow("small in #0.00") << 0.5 << QStringLiteral("#0.00") << QStringLiteral("0.50");
        QTest::newRow("two forced") << 5.0 << QStringLiteral("00.0") << QStringLiteral("05.0");
        QTest::newRow("no decimals") << 2.5 << QStringLiteral("##0") << QStringLiteral("3");
        // Half away from zero, decided on the decimal value.
        QTest::newRow(".3335") << 0.3335 << QStringLiteral(".000") << QStringLiteral(".334");
        QTest::newRow("2.225") << 2.225 << QStringLiteral("##0.00") << QStringLiteral("2.23");
        QTest::newRow("1.005") << 1.005 << QStringLiteral("0.00") << QStringLiteral("1.01");
        QTest::newRow("just below half")
            << 0.33349 << QStringLiteral(".000") << QStringLiteral(".333");
        QTest::newRow("sum noise")
            << 0.1 + 0.2 + 0.0005 << QStringLiteral(".000") << QStringLiteral(".301");
        QTest::newRow("carry into integer")
            << 0.9995 << QStringLiteral(".000") << QStringLiteral("1.000");
        QTest::newRow("carry adds a digit")
            << 9.995 << QStringLiteral("#0.00") << QStringLiteral("10.00");
        QTest::newRow("negative") << -2.5 << QStringLiteral("#0.00") << QStringLiteral("-2.50");
        QTest::newRow("negative half")
            << -0.0005 << QStringLiteral(".000") << QStringLiteral("-.001");
        QTest::newRow("negative rounding to zero")
            << -0.0004 << QStringLiteral("0.000") << QStringLiteral("0.000");
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity()
                                  << QStringLiteral("##0.00") << QStringLiteral("∞");
        QTest::newRow("unknown pattern")
            << 2.5 << QStringLiteral("#,##0.00") << QStringLiteral("2.5");
    }
    void formats()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QCOMPARE(formatNumber(value, pattern), text);
    }

    void typedValuesAreFormattedOnlyWhenTheyAreNumbers()
    {
        QCOMPARE(formatTyped(u"0.3", u"#.000"), QStringLiteral(".300"));
        QCOMPARE(formatTyped(u" 7 ", u"#0.00"), QStringLiteral("7.00"));
        QCOMPARE(formatTyped(u"2.225", u"#0.00"), QStringLiteral("2.23"));
        QCOMPARE(formatTyped(u"-1", u"#0.00"), QStringLiteral("-1.00"));
        for (const char16_t* t : {u"abc", u"1.2x", u"", u"\u3000", u".", u"1.2.3", u"- 1"})
            QCOMPARE(formatTyped(t, u"#0.00"), QString::fromUtf16(t));
    }

    void clicksStepFiguresButNotBelowZeroOrOnTheBlank()
    {
        QCOMPARE(steppedFigure(u"2", false), QStringLiteral("3"));
        QCOMPARE(steppedFigure(u"", false), QStringLiteral("1"));
        QCOMPARE(steppedFigure(u"x", false), QStringLiteral("1"));
        QCOMPARE(steppedFigure(u"1", true), QStringLiteral("0"));
        QCOMPARE(steppedFigure(u"0", true), std::nullopt);
        QCOMPARE(steppedFigure(u"-2", true), std::nullopt);
        QCOMPARE(steppedFigure(kBlank, false), std::nullopt);
        QCOMPARE(steppedFigure(kBlank, true), std::nullopt);
    }

    void lineScoreTotalsSkipBlankAndJunkCells()
    {
        QStringList cells(12, kBlank.toString());
        QCOMPARE(runsTotal(cells), QStringLiteral("0"));
        cells[0] = QStringLiteral("1");
        cells[1] = QStringLiteral("0");
        cells[2] = QStringLiteral("3");
        cells[3] = QString();
        cells[4] = QStringLiteral("x");
        QCOMPARE(runsTotal(cells), QStringLiteral("4"));
    }

    void averagesOfTheDay()
    {
        QCOMPARE(dayAverageText(3, 1), QStringLiteral(".333"));
        QCOMPARE(dayAverageText(4, 4), QStringLiteral("1.000"));
        QCOMPARE(dayAverageText(3, 0), QStringLiteral(".000"));
        // No at-bats: the literal zero average, with its leading digit.
        QCOMPARE(dayAverageText(0, 0), QStringLiteral("0.000"));
        QCOMPARE(dayAverageText(0, 1), QStringLiteral("0.000"));
    }

    void cumulativeAverages()
    {
        QCOMPARE(cumulativeAverageText(100, 30, 4, 2), QStringLiteral(".308"));
        QCOMPARE(cumulativeAverageText(100, 30, 0, 0), QStringLiteral(".300"));
        // No season line: today's at-bats alone give the figure.
        QCOMPARE(cumulativeAverageText(0, 0, 3, 1), QStringLiteral(".333"));
        QCOMPARE(cumulativeAverageText(leadingNumber(u""), 0, 2, 2), QStringLiteral("1.000"));
        // No at-bats at all: no figure, the shown one stays.
        QCOMPARE(cumulativeAverageText(0, 0, 0, 0), QString());
    }

    void earnedRunAverages()
    {
        QCOMPARE(eraText(9, 2), QStringLiteral("6.00"));
        // Cumulative: season 45.3 innings and 10 earned runs, today 9 thirds and 2.
        QCOMPARE(eraText(seasonThirds(u"45.3") + 9, 10 + 2), QStringLiteral("2.23"));
        QCOMPARE(eraText(27, 1), QStringLiteral("1.00"));
        QCOMPARE(eraText(1, 10), QStringLiteral("270.00"));
        QCOMPARE(eraText(3, 0), QStringLiteral("0.00"));
        // No out recorded.
        QCOMPARE(eraText(0, 0), QStringLiteral("0.00"));
        QCOMPARE(eraText(0, 1), QStringLiteral("∞"));
        QCOMPARE(eraText(0, -1), QStringLiteral("0.00"));
    }

    void seasonInningsToThirds_data()
    {
        QTest::addColumn<QString>("innings");
        QTest::addColumn<double>("thirds");
        QTest::newRow("whole") << QStringLiteral("45") << 135.0;
        QTest::newRow(".3") << QStringLiteral("45.3") << 136.0;
        QTest::newRow(".33") << QStringLiteral("45.33") << 136.0;
        QTest::newRow(".6") << QStringLiteral("45.6") << 137.0;
        QTest::newRow(".67") << QStringLiteral("45.67") << 137.0;
        QTest::newRow("outs notation .1") << QStringLiteral("45.1") << 136.0;
        QTest::newRow("outs notation .2") << QStringLiteral("45.2") << 137.0;
        QTest::newRow(".0") << QStringLiteral("45.0") << 135.0;
        QTest::newRow("bare point") << QStringLiteral("45.") << 135.0;
        QTest::newRow("other digit") << QStringLiteral("45.9") << 135.0;
        QTest::newRow("trailing zero") << QStringLiteral("45.30") << 136.0;
        QTest::newRow("padded") << QStringLiteral("  045.6 ") << 137.0;
        QTest::newRow("binary noise") << QStringLiteral("45.29999999999999999") << 136.0;
        QTest::newRow("thirds only") << QStringLiteral(".3") << 1.0;
        QTest::newRow("two thirds only") << QStringLiteral("0.67") << 2.0;
        QTest::newRow("point in junk") << QStringLiteral("45abc.3") << 135.0;
        QTest::newRow("junk") << QStringLiteral("abc.6") << 0.0;
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("negative") << QStringLiteral("-1.3") << -4.0;
    }
    void seasonInningsToThirds()
    {
        QFETCH(QString, innings);
        QFETCH(double, thirds);
        QCOMPARE(seasonThirds(innings), thirds);
    }

    void inningsPitchedAsShown()
    {
        QCOMPARE(inningsText(17), QStringLiteral("5.667"));
        QCOMPARE(inningsText(0), QStringLiteral(".000"));
        QCOMPARE(inningsText(1), QStringLiteral(".333"));
        QCOMPARE(inningsText(2), QStringLiteral(".667"));
        QCOMPARE(inningsText(3), QStringLiteral("1.000"));
        QCOMPARE(inningsText(leadingNumber(u"abc")), QStringLiteral(".000"));
        QCOMPARE(inningsText(136 + 9), QStringLiteral("48.333"));
        // In outs: whole innings and the outs of the one begun.
        const auto outs = InningsNotation::Outs;
        QCOMPARE(inningsText(17, outs), QStringLiteral("5.2"));
        QCOMPARE(inningsText(0, outs), QStringLiteral("0.0"));
        QCOMPARE(inningsText(3, outs), QStringLiteral("1.0"));
        QCOMPARE(inningsText(145, outs), QStringLiteral("48.1"));
        QCOMPARE(inningsText(-4, outs), QStringLiteral("0.0"));
        QCOMPARE(inningsNotation(u"outs"), outs);
        QCOMPARE(inningsNotation(u" OUTS "), outs);
        QCOMPARE(inningsNotation(u"decimal"), InningsNotation::Decimal);
        QCOMPARE(inningsNotation(u""), InningsNotation::Decimal);
        QCOMPARE(inningsNotation(u"thirds"), InningsNotation::Decimal);
        QCOMPARE(inningsToolTipText(7), QStringLiteral("2.33"));
        QCOMPARE(inningsToolTipText(8), QStringLiteral("2.67"));
        QCOMPARE(inningsToolTipText(0), QStringLiteral("0.00"));
    }
};

QTEST_GUILESS_MAIN(TstFigures)
#include "tst_figures.moc"
