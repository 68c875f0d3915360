#include "Statistics.h"

#include "Figures.h"

#include <cmath>

namespace hp::game {

QString dayAverageText(double atBats, double hits)
{
    if (atBats == 0)
        return QStringLiteral("0.000");
    return formatNumber(hits / atBats, u".000");
}

QString cumulativeAverageText(double seasonAtBats, double seasonHits, double atBats, double hits)
{
    const double allAtBats = seasonAtBats + atBats;
    if (allAtBats == 0)
        return QString();
    return formatNumber((seasonHits + hits) / allAtBats, u".000");
}

QString eraText(double thirds, double earnedRuns)
{
    if (thirds == 0)
        return earnedRuns > 0 ? QStringLiteral("∞") : QStringLiteral("0.00");
    // 9 × E ÷ (T ÷ 3) with one division fewer.
    return formatNumber(27 * earnedRuns / thirds, u"##0.00");
}

double seasonThirds(QStringView inningsText)
{
    // The leading number written back as shortest text: leading zeros,
    // trailing zeros and what follows the number no longer count.
    const double innings = leadingNumber(inningsText);
    const QString digits = numberText(std::fabs(innings));
    const qsizetype point = digits.indexOf(u'.');
    double thirds = leadingNumber(QStringView(digits).left(point < 0 ? digits.size() : point)) * 3;
    if (point >= 0) {
        switch (digits[point + 1].unicode()) {
        case u'1':
        case u'3':
            thirds += 1;
            break;
        case u'2':
        case u'6':
            thirds += 2;
            break;
        default:
            break;
        }
    }
    return innings < 0 ? -thirds : thirds;
}

InningsNotation inningsNotation(QStringView setting)
{
    return setting.trimmed().compare(u"outs", Qt::CaseInsensitive) == 0 ? InningsNotation::Outs
                                                                        : InningsNotation::Decimal;
}

QString inningsText(double thirds, InningsNotation notation)
{
    if (notation == InningsNotation::Decimal)
        return formatNumber(thirds / 3, u"###.000");
    const qint64 outs = qMax<qint64>(0, qint64(thirds));
    return QString::number(outs / 3) + u'.' + QString::number(outs % 3);
}

QString inningsToolTipText(double thirds)
{
    return formatNumber(thirds / 3, u"#0.00");
}

} // namespace hp::game
