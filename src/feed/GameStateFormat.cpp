#include "GameStateFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QXmlStreamWriter>

namespace hp::feed {

namespace {

// An empty text (the blank) is null: nothing there yet.
QJsonValue orNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

template <std::size_t N> QJsonArray cells(const std::array<QString, N>& texts)
{
    QJsonArray out;
    for (const QString& t : texts)
        out.append(orNull(t));
    return out;
}

QJsonObject team(const TeamLine& t)
{
    return {{QStringLiteral("name"), t.name},
            {QStringLiteral("innings"), cells(t.innings)},
            {QStringLiteral("runs"), t.runs},
            {QStringLiteral("hits"), t.hits},
            {QStringLiteral("errors"), t.errors}};
}

QString halfName(bool bottom)
{
    return bottom ? QStringLiteral("bottom") : QStringLiteral("top");
}

QString sideAtBat(bool bottom)
{
    return bottom ? QStringLiteral("second") : QStringLiteral("first");
}

QString timeText(const QTime& t)
{
    return t.isValid() ? t.toString(QStringLiteral("HH:mm:ss")) : QString();
}

// The pairs of a batter's and a pitcher's lines, in the order both forms write them.
QList<std::pair<QString, QString>> batterLine(const BatterState& b)
{
    return {{QStringLiteral("atBats"), b.atBats},
            {QStringLiteral("hits"), b.hits},
            {QStringLiteral("homeRuns"), b.homeRuns},
            {QStringLiteral("rbis"), b.rbis},
            {QStringLiteral("average"), b.average}};
}

QList<std::pair<QString, QString>> pitcherLine(const PitcherState& p)
{
    return {
        {QStringLiteral("thirds"), p.thirds},         {QStringLiteral("strikes"), p.strikes},
        {QStringLiteral("balls"), p.balls},           {QStringLiteral("hits"), p.hits},
        {QStringLiteral("homeRuns"), p.homeRuns},     {QStringLiteral("strikeouts"), p.strikeouts},
        {QStringLiteral("walks"), p.walks},           {QStringLiteral("runs"), p.runs},
        {QStringLiteral("earnedRuns"), p.earnedRuns}, {QStringLiteral("era"), p.era}};
}

QJsonObject object(const QList<std::pair<QString, QString>>& pairs)
{
    QJsonObject o;
    for (const auto& [key, value] : pairs)
        o.insert(key, value);
    return o;
}

// XML 1.0 has no place for most control characters: an operator's stray
// keystroke must not make the document unreadable.
QString xmlSafe(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r')
            if (c.unicode() != 0xFFFE && c.unicode() != 0xFFFF)
                out.append(c);
    return out;
}

class Xml {
public:
    explicit Xml(QByteArray& out)
        : w(&out)
    {
        w.setAutoFormatting(true);
        w.writeStartDocument();
    }
    void start(const QString& name) { w.writeStartElement(name); }
    void end() { w.writeEndElement(); }
    void attr(const QString& name, const QString& value) { w.writeAttribute(name, xmlSafe(value)); }
    void attr(const QString& name, qint64 value) { attr(name, QString::number(value)); }
    void flag(const QString& name, bool value)
    {
        attr(name, value ? QStringLiteral("true") : QStringLiteral("false"));
    }
    void attrs(const QList<std::pair<QString, QString>>& pairs)
    {
        for (const auto& [key, value] : pairs)
            attr(key, value);
    }
    // <name n="1">text</name> per cell; an empty cell is an empty element.
    template <std::size_t N> void cells(const QString& name, const std::array<QString, N>& texts)
    {
        for (std::size_t i = 0; i < N; ++i) {
            start(name);
            attr(QStringLiteral("n"), qint64(i + 1));
            if (!texts[i].isEmpty())
                w.writeCharacters(xmlSafe(texts[i]));
            end();
        }
    }
    void finish() { w.writeEndDocument(); }

private:
    QXmlStreamWriter w;
};

void xmlTeam(Xml& x, const QString& side, const TeamLine& t)
{
    x.start(QStringLiteral("team"));
    x.attr(QStringLiteral("side"), side);
    x.attr(QStringLiteral("name"), t.name);
    x.attr(QStringLiteral("runs"), t.runs);
    x.attr(QStringLiteral("hits"), t.hits);
    x.attr(QStringLiteral("errors"), t.errors);
    x.cells(QStringLiteral("inning"), t.innings);
    x.end();
}

} // namespace

QJsonObject toJson(const GameState& s)
{
    QJsonArray next;
    for (const NextBatter& n : s.nextBatters)
        next.append(QJsonObject{{QStringLiteral("slot"), n.slot},
                                {QStringLiteral("number"), n.number},
                                {QStringLiteral("name"), n.name},
                                {QStringLiteral("position"), n.position},
                                {QStringLiteral("atBats"), n.atBats},
                                {QStringLiteral("hits"), n.hits}});
    QJsonArray layers;
    for (const OnAirLayer& l : s.onAir)
        layers.append(QJsonObject{{QStringLiteral("layer"), l.layer},
                                  {QStringLiteral("page"), l.page},
                                  {QStringLiteral("item"), l.item},
                                  {QStringLiteral("effect"), l.effect},
                                  {QStringLiteral("time"), timeText(l.time)},
                                  {QStringLiteral("live"), l.live}});
    QJsonObject batterToday = object(batterLine(s.batter));
    batterToday.insert(QStringLiteral("plateAppearances"), cells(s.batter.plateAppearances));
    return {
        {QStringLiteral("sequence"), qint64(s.sequence)},
        {QStringLiteral("inning"), s.inning},
        {QStringLiteral("half"), halfName(s.bottom)},
        {QStringLiteral("inningText"), s.inningText},
        {QStringLiteral("atBat"), sideAtBat(s.bottom)},
        {QStringLiteral("teams"), QJsonObject{{QStringLiteral("first"), team(s.first)},
                                              {QStringLiteral("second"), team(s.second)}}},
        {QStringLiteral("count"), QJsonObject{{QStringLiteral("balls"), s.balls},
                                              {QStringLiteral("strikes"), s.strikes},
                                              {QStringLiteral("outs"), s.outs}}},
        {QStringLiteral("runners"), QJsonObject{{QStringLiteral("first"), s.runners[0]},
                                                {QStringLiteral("second"), s.runners[1]},
                                                {QStringLiteral("third"), s.runners[2]}}},
        {QStringLiteral("batter"),
         QJsonObject{{QStringLiteral("slot"), s.batter.slot},
                     {QStringLiteral("number"), s.batter.number},
                     {QStringLiteral("name"), s.batter.name},
                     {QStringLiteral("position"), s.batter.position},
                     {QStringLiteral("team"), s.batter.team},
                     {QStringLiteral("today"), batterToday},
                     {QStringLiteral("average"), s.batter.seasonAverage}}},
        {QStringLiteral("pitcher"),
         QJsonObject{{QStringLiteral("number"), s.pitcher.number},
                     {QStringLiteral("name"), s.pitcher.name},
                     {QStringLiteral("team"), s.pitcher.team},
                     {QStringLiteral("pitches"), s.pitcher.pitches},
                     {QStringLiteral("today"), object(pitcherLine(s.pitcher))},
                     {QStringLiteral("era"), s.pitcher.cumulativeEra}}},
        {QStringLiteral("nextBatters"), next},
        {QStringLiteral("onAir"),
         QJsonObject{{QStringLiteral("known"), s.onAirKnown}, {QStringLiteral("layers"), layers}}},
    };
}

QByteArray jsonText(const GameState& state)
{
    return QJsonDocument(toJson(state)).toJson(QJsonDocument::Compact);
}

QByteArray xmlText(const GameState& s)
{
    QByteArray out;
    Xml x(out);
    x.start(QStringLiteral("game"));
    x.attr(QStringLiteral("sequence"), qint64(s.sequence));
    x.attr(QStringLiteral("inning"), s.inning);
    x.attr(QStringLiteral("half"), halfName(s.bottom));
    x.attr(QStringLiteral("inningText"), s.inningText);
    x.attr(QStringLiteral("atBat"), sideAtBat(s.bottom));
    xmlTeam(x, QStringLiteral("first"), s.first);
    xmlTeam(x, QStringLiteral("second"), s.second);

    x.start(QStringLiteral("count"));
    x.attr(QStringLiteral("balls"), s.balls);
    x.attr(QStringLiteral("strikes"), s.strikes);
    x.attr(QStringLiteral("outs"), s.outs);
    x.end();
    x.start(QStringLiteral("runners"));
    x.flag(QStringLiteral("first"), s.runners[0]);
    x.flag(QStringLiteral("second"), s.runners[1]);
    x.flag(QStringLiteral("third"), s.runners[2]);
    x.end();

    x.start(QStringLiteral("batter"));
    x.attr(QStringLiteral("slot"), s.batter.slot);
    x.attrs({{QStringLiteral("number"), s.batter.number},
             {QStringLiteral("name"), s.batter.name},
             {QStringLiteral("position"), s.batter.position},
             {QStringLiteral("team"), s.batter.team},
             {QStringLiteral("average"), s.batter.seasonAverage}});
    x.start(QStringLiteral("today"));
    x.attrs(batterLine(s.batter));
    x.cells(QStringLiteral("plateAppearance"), s.batter.plateAppearances);
    x.end();
    x.end();

    x.start(QStringLiteral("pitcher"));
    x.attrs({{QStringLiteral("number"), s.pitcher.number},
             {QStringLiteral("name"), s.pitcher.name},
             {QStringLiteral("team"), s.pitcher.team},
             {QStringLiteral("pitches"), s.pitcher.pitches},
             {QStringLiteral("era"), s.pitcher.cumulativeEra}});
    x.start(QStringLiteral("today"));
    x.attrs(pitcherLine(s.pitcher));
    x.end();
    x.end();

    x.start(QStringLiteral("nextBatters"));
    for (const NextBatter& n : s.nextBatters) {
        x.start(QStringLiteral("batter"));
        x.attr(QStringLiteral("slot"), n.slot);
        x.attrs({{QStringLiteral("number"), n.number},
                 {QStringLiteral("name"), n.name},
                 {QStringLiteral("position"), n.position},
                 {QStringLiteral("atBats"), n.atBats},
                 {QStringLiteral("hits"), n.hits}});
        x.end();
    }
    x.end();

    x.start(QStringLiteral("onAir"));
    x.flag(QStringLiteral("known"), s.onAirKnown);
    for (const OnAirLayer& l : s.onAir) {
        x.start(QStringLiteral("layer"));
        x.attr(QStringLiteral("layer"), l.layer);
        x.attrs({{QStringLiteral("page"), l.page},
                 {QStringLiteral("item"), l.item},
                 {QStringLiteral("effect"), l.effect},
                 {QStringLiteral("time"), timeText(l.time)}});
        x.flag(QStringLiteral("live"), l.live);
        x.end();
    }
    x.end();

    x.end();
    x.finish();
    return out;
}

} // namespace hp::feed
