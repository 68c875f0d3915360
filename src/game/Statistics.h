#pragma once

#include <QString>
#include <QStringView>

// Batting averages, earned run averages and innings pitched, computed from
// the counters as read with leadingNumber() (Figures.h).
namespace hp::game {

// Average of the day, hits / at-bats in ".000" (1 in 3 is .333, 4 in 4 is
// 1.000, 0 in 3 is .000); with no at-bats the literal "0.000".
QString dayAverageText(double atBats, double hits);

// Cumulative average, (season hits + hits) / (season at-bats + at-bats) in
// ".000": 30 in 100 before today and 2 in 4 today is .308. Empty when there
// are no at-bats at all: the shown figure then stays as it is (a hand-edited
// figure survives; a newly loaded batter shows ".000").
QString cumulativeAverageText(double seasonAtBats, double seasonHits, double atBats, double hits);

// Earned run average, 9 × earned runs ÷ (thirds ÷ 3), in "##0.00": 2 earned
// runs in 9 thirds is 6.00. With no thirds: "∞" when earned runs are above 0,
// else "0.00". Today's figure takes today's thirds and earned runs; the
// cumulative one the season's and today's added together (season 136 thirds
// and 10 earned runs with today's 9 and 2 is 2.23).
QString eraText(double thirds, double earnedRuns);

// Thirds of an inning from a season 局數 text. The whole number of innings
// counts three thirds each; the first digit after the point adds the odd
// thirds, in either notation the season tables use: decimal ("3" one third,
// "6" two: 45.3 and 45.33 are 136, 45.6 and 45.67 are 137) or outs ("1" one
// third, "2" two: 45.1 is 136, 45.2 is 137). Any other digit, or none, adds
// nothing (45 and 45.0 are 135). Text that does not begin with a number is 0;
// a negative figure gives negative thirds.
double seasonThirds(QStringView inningsText);

// How innings pitched are written where they go on air: thirds ÷ 3 in
// "###.000" (17 is 5.667, 3 is 1.000, 1 is .333, 0 is .000), or whole innings
// and the outs of the one begun (17 is 5.2, 0 is 0.0, a figure below 0 is 0.0).
enum class InningsNotation { Decimal, Outs };
// The settings value: "outs" (in any case) or, for anything else, decimal.
InningsNotation inningsNotation(QStringView setting);
QString inningsText(double thirds, InningsNotation notation = InningsNotation::Decimal);

// Innings pitched for the console's tool-tip on the outs recorded: thirds ÷ 3
// in "#0.00" (7 is 2.33, 0 is 0.00).
QString inningsToolTipText(double thirds);

} // namespace hp::game
