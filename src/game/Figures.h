#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Figures as the console keeps them: every counter and statistic is decimal
// text in a control or a column, read as a number only to compute and written
// back as the shortest decimal text.
namespace hp::game {

// The blank: one full-width space U+3000. It marks an unused plate-appearance
// box, an unplayed line-score cell and an empty base; it is neither empty text
// nor "0".
inline constexpr QStringView kBlank = u"\u3000";
bool isBlank(QStringView text);

// The leading number of a text: ASCII blanks (space, tab, CR, LF) are skipped,
// then an optional sign, ASCII digits, an optional decimal point and more
// digits; reading stops at the first other character. Text that does not begin
// with a number counts as 0: "", "abc", "-", ".", the blank, "　3" (U+3000 is
// not skipped), "- 3" and full-width digits all read 0. "12abc" reads 12,
// "1.2.3" 1.2, ".5" 0.5, "1e5" 1 (no exponent). A number too large for a
// double counts as 0. Never returns a negative zero.
double leadingNumber(QStringView text);

// The shortest decimal text of a number, without exponent or trailing zeros,
// to 15 significant digits (so sums such as 0.1 + 0.2 write "0.3"): 3 → "3",
// 2.5 → "2.5", -1 → "-1", 1e20 → "100000000000000000000". -0, NaN and the
// infinities write "0".
QString numberText(double value);

// A number in a classic format pattern: "#" and "0" before the point, "0"s
// after it. Every "0" before the point forces a digit, "#" shows one only when
// needed; integer digits beyond the pattern are always shown; the decimals are
// exactly as many as the "0"s after the point. Rounding is half away from zero
// on the 15-digit decimal value, so binary noise does not decide it: 0.3335 in
// ".000" is .334, 2.225 in "##0.00" is 2.23, 1/3 in ".000" is .333, 0 is .000,
// 0 in "0.000" is 0.000, 1234.5 in "#0.00" is 1234.50. A value that rounds to
// zero shows no sign. +∞ shows "∞", -∞ "-∞", NaN as 0. The patterns in use are
// ".000", "#.000", "0.000", "##0.00", "#0.00" and "###.000"; any other pattern
// writes the number as numberText().
QString formatNumber(double value, QStringView pattern);

// Whether a text is wholly a number: ASCII blanks around an optional sign,
// digits and at most one point, with at least one digit.
bool isNumber(QStringView text);

// A typed value put into a format, as the in-place editors of the averages do:
// a text that is wholly a number is formatted ("0.3" in "#.000" gives .300),
// any other text stays as typed.
QString formatTyped(QStringView typed, QStringView pattern);

// One click on a counter or a line-score cell: +1, or with takeBack −1 when the
// value is above 0. Returns nothing when nothing changes: taking back at 0 or
// below, or a cell that holds the blank.
std::optional<QString> steppedFigure(QStringView text, bool takeBack);

// The sum of a row of line-score cells as decimal text; blank, empty and
// non-numeric cells count 0.
QString runsTotal(const QStringList& cells);

} // namespace hp::game
