#include "GraphicText.h"

namespace hp::graphics {

using cglink::Field;

Graphic refusedGraphic(const QString& text, const QString& title)
{
    Graphic g;
    g.refusal = text;
    g.refusalTitle = title;
    return g;
}

QString countedCommand(const QString& page, int count, const QList<Field>& fields)
{
    return QStringLiteral("[BYNAME][") + page + QStringLiteral("][") + QString::number(count) +
           u']' + cglink::kEffectSlot + cglink::kCrLf + fieldLines(fields);
}

QString fieldText(const Field& field)
{
    return u'[' + field.name + QStringLiteral("][0][") + field.value + u']';
}

QString fieldLines(const QList<Field>& fields)
{
    QString out;
    for (const Field& f : fields)
        out += fieldText(f) + cglink::kCrLf;
    return out;
}

QString baseMark(int checkValue)
{
    return checkValue != 0 ? QStringLiteral("◆") : QStringLiteral("\u3000");
}

QString halfMark(bool bottomHalf)
{
    return bottomHalf ? QStringLiteral("▼") : QStringLiteral("▲");
}

QList<Field> rheBlock(const Scoreboard& b)
{
    return {{QStringLiteral("TEAM1"), b.team1}, {QStringLiteral("TEAM2"), b.team2},
            {QStringLiteral("R1"), b.rhe1[0]},  {QStringLiteral("H1"), b.rhe1[1]},
            {QStringLiteral("E1"), b.rhe1[2]},  {QStringLiteral("R2"), b.rhe2[0]},
            {QStringLiteral("H2"), b.rhe2[1]},  {QStringLiteral("E2"), b.rhe2[2]}};
}

QList<Field> countFields(const Scoreboard& b)
{
    return {{QStringLiteral("ROUND"), QString::number(b.round)},
            {QStringLiteral("R1"), b.rhe1[0]},
            {QStringLiteral("R2"), b.rhe2[0]},
            {QStringLiteral("S"), b.sbo[0]},
            {QStringLiteral("B"), b.sbo[1]},
            {QStringLiteral("O"), b.sbo[2]},
            {QStringLiteral("1B"), baseMark(b.bases[0])},
            {QStringLiteral("2B"), baseMark(b.bases[1])},
            {QStringLiteral("3B"), baseMark(b.bases[2])},
            {QStringLiteral("HALF"), halfMark(b.bottomHalf)}};
}

QString inningFieldName(int team, int inning)
{
    return QString::number(team) + QString::number(inning);
}

QString positionFieldName(const QString& stored)
{
    return stored.trimmed();
}

QString plateMark(const QString& boxText, int ordinal)
{
    if (boxText.isEmpty() || boxText == QStringLiteral("\u3000"))
        return QStringLiteral("\u3000\u3000");
    return QString::number(ordinal);
}

QList<Field> batterLines(const NextBatter& row, int n)
{
    const QString t = u'T' + QString::number(n);
    return {{t + u'1', row.battingPosition},
            {t + u'2', row.name},
            {t + u'3', row.atBats + u'-' + row.hits}};
}

QString nextBattersToolTip(const QList<NextBatter>& rows)
{
    if (rows.isEmpty())
        return {};
    QString tip = rows.first().team + cglink::kCrLf;
    for (const NextBatter& r : rows)
        tip += r.battingPosition + r.name + u'/' + cglink::kCrLf;
    return tip;
}

} // namespace hp::graphics
