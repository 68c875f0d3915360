#include "ConsoleReading.h"

#include "Baseball_Beat.h"
#include "ConsoleDatabase.h"
#include "ConsoleWidgets.h"
#include "Figures.h"
#include "GameStatements.h"
#include "GraphicsColumn.h"
#include "OnAirTally.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace hp::feed {

namespace {

constexpr QChar kBlank = QChar(0x3000);

// The blank marks a cell or box where nothing is recorded yet.
QString recorded(const QString& text)
{
    return text == QString(kBlank) ? QString() : text;
}

int count(const QString& text)
{
    return int(game::leadingNumber(text));
}

TeamLine teamLine(const ConsoleView& v, const char* score, const char* rhe, int row)
{
    TeamLine t;
    t.name = v.text(console::indexed("Team_Lab", row));
    for (int i = 0; i < 12; ++i)
        t.innings[std::size_t(i)] = recorded(v.text(console::indexed(score, i + 1)));
    t.runs = v.text(console::indexed(rhe, 1));
    t.hits = v.text(console::indexed(rhe, 2));
    t.errors = v.text(console::indexed(rhe, 3));
    return t;
}

BatterState batter(const ConsoleView& v)
{
    const auto t = [&](const char* name) { return v.text(QString::fromLatin1(name)); };
    BatterState b;
    b.slot = v.battingPosition;
    b.number = t("NoS_Lab");
    b.name = t("NameS_Lab");
    b.position = t("CaptureS_txt");
    b.team = t("ATTACK_Lab");
    b.atBats = t("StrikeS_txt");
    b.hits = t("SaveS_txt");
    b.homeRuns = t("HomeS_txt");
    b.rbis = t("PointS_txt");
    b.average = t("AvgS_txt");
    for (int i = 0; i < 8; ++i)
        b.plateAppearances[std::size_t(i)] =
            recorded(v.text(console::indexed("TimesS_txt", i + 1)));
    b.seasonAverage = t("AvgS_Lab");
    return b;
}

PitcherState pitcher(const ConsoleView& v)
{
    const auto t = [&](const char* name) { return v.text(QString::fromLatin1(name)); };
    PitcherState p;
    p.number = t("NoP_Lab");
    p.name = t("NameP_Lab");
    p.team = t("Pitcher_Lab");
    p.pitches = t("Ball_txt");
    p.thirds = t("RoundS_txt");
    p.strikes = t("BallG_txt");
    p.balls = t("BallB_txt");
    p.hits = t("SaveP_txt");
    p.homeRuns = t("HomeP_txt");
    p.strikeouts = t("OutP_txt");
    p.walks = t("FourP_txt");
    p.runs = t("LostP_txt");
    p.earnedRuns = t("LostMe_txt");
    p.era = t("Era_Lab");
    p.cumulativeEra = t("EraP");
    return p;
}

// The three after the batter in the batting order of the team at bat, from
// the kept rows; a slot they do not hold is left out.
QList<NextBatter> nextBatters(const ConsoleView& v)
{
    QList<NextBatter> out;
    if (!v.keptRows)
        return out;
    const QString sql = QStringLiteral("SELECT * FROM ") +
                        db::battingTable(v.half ? db::Side::Second : db::Side::First) +
                        QStringLiteral(" WHERE 棒次=?");
    int slot = v.battingPosition;
    for (int n = 0; n < 3; ++n) {
        slot = slot % 9 + 1;
        const auto rows = v.keptRows({sql, {QString::number(slot)}});
        if (!rows || rows->isEmpty())
            continue;
        const db::Row& r = rows->first();
        out << NextBatter{slot,
                          r.value(QStringLiteral("背號")),
                          r.value(QStringLiteral("姓名")),
                          r.value(QStringLiteral("守位")),
                          r.value(QStringLiteral("打數")),
                          r.value(QStringLiteral("安打"))};
    }
    return out;
}

} // namespace

GameState gameState(const ConsoleView& v)
{
    GameState s;
    s.inning = v.round;
    s.bottom = v.half;
    s.inningText = v.text(QStringLiteral("Frame1"));
    s.first = teamLine(v, "Score1_txt", "RHE1_txt", 1);
    s.second = teamLine(v, "Score2_txt", "RHE2_txt", 2);
    s.strikes = count(v.text(console::indexed("SBO_Lab", 1)));
    s.balls = count(v.text(console::indexed("SBO_Lab", 2)));
    s.outs = count(v.text(console::indexed("SBO_Lab", 3)));
    for (int i = 0; i < 3; ++i)
        s.runners[std::size_t(i)] = v.ticked(console::indexed("Base_Check", i + 1));
    s.batter = batter(v);
    s.pitcher = pitcher(v);
    s.nextBatters = nextBatters(v);
    if (v.tally) {
        s.onAirKnown = !v.tally->unknown();
        for (const graphics::OnAirTally::Entry& e : v.tally->layers())
            s.onAir << OnAirLayer{e.layer, e.page, e.item, e.effect, e.time, e.live};
    }
    return s;
}

ConsoleWindowView::ConsoleWindowView(const console::Baseball_Beat& window)
    : m_window(window)
{
}

QWidget* ConsoleWindowView::control(const QString& name) const
{
    auto found = m_controls.find(name);
    if (found == m_controls.end() || !*found)
        found = m_controls.insert(name, m_window.findChild<QWidget*>(name));
    return *found;
}

ConsoleView ConsoleWindowView::view() const
{
    ConsoleView v;
    v.text = [this](const QString& name) -> QString {
        QWidget* w = control(name);
        if (const auto* label = qobject_cast<const QLabel*>(w))
            return label->text();
        if (const auto* box = qobject_cast<const QLineEdit*>(w))
            return box->text();
        if (const auto* frame = qobject_cast<const QGroupBox*>(w))
            return frame->title();
        return {};
    };
    v.ticked = [this](const QString& name) {
        const auto* check = qobject_cast<const QCheckBox*>(control(name));
        return check && check->checkState() != Qt::Unchecked;
    };
    const console::ConsoleState& state = m_window.state();
    v.round = state.round;
    v.half = state.half;
    v.battingPosition = state.battingPosition;
    if (const auto* db = m_window.findChild<console::ConsoleDatabase*>()) {
        v.keptRows = [db](const db::Statement& q) { return db->cache().answer(q); };
    }
    if (const graphics::GraphicsColumn* column = m_window.graphicsColumn())
        v.tally = &column->tally();
    return v;
}

} // namespace hp::feed
