#include "PlayLog.h"

#include "BatterPanel.h"
#include "Clock.h"
#include "ConsoleDatabase.h"
#include "ConsoleStatements.h"
#include "CountPanel.h"
#include "Figures.h"
#include "LineScorePanel.h"
#include "PitcherPanel.h"

#include <QHash>

namespace hp::console {

PlayLog::PlayLog(PlaySources sources, ConsoleDatabase& db, const app::Clock& clock, QObject* parent)
    : QObject(parent)
    , m_sources(sources)
    , m_db(db)
    , m_clock(clock)
{
    m_db.setUnitWatch([this] { began(); },
                      [this](const db::Statements& unit) { return closing(unit); });
    connect(&m_db, &ConsoleDatabase::actionEnded, this, &PlayLog::actionEnded);
}

void PlayLog::start()
{
    m_logged = read();
    m_start = m_logged;
    m_started = true;
}

void PlayLog::began()
{
    if (!m_started)
        return;
    refuseTyped();
    m_start = read();
}

void PlayLog::refuseTyped()
{
    const QList<game::FigureRefusal> refused = game::typedFigureRefusals(m_logged, read());
    if (refused.isEmpty())
        return;
    static const QHash<QString, BatterPanel::Counter> batter{
        {QStringLiteral("打數"), BatterPanel::Counter::AtBats},
        {QStringLiteral("安打"), BatterPanel::Counter::Hits},
        {QStringLiteral("全壘打"), BatterPanel::Counter::HomeRuns},
        {QStringLiteral("打點"), BatterPanel::Counter::Rbis}};
    static const QHash<QString, PitcherPanel::Counter> pitcher{
        {QStringLiteral("局數"), PitcherPanel::Counter::Thirds},
        {QStringLiteral("好球"), PitcherPanel::Counter::Strikes},
        {QStringLiteral("壞球"), PitcherPanel::Counter::Balls},
        {QStringLiteral("被安打"), PitcherPanel::Counter::HitsAllowed},
        {QStringLiteral("被全壘打"), PitcherPanel::Counter::HomeRunsAllowed},
        {QStringLiteral("奪三振"), PitcherPanel::Counter::Strikeouts},
        {QStringLiteral("四死球"), PitcherPanel::Counter::Walks},
        {QStringLiteral("失分"), PitcherPanel::Counter::Runs},
        {QStringLiteral("自責分"), PitcherPanel::Counter::EarnedRuns}};
    QStringList lines;
    for (const game::FigureRefusal& r : refused) {
        const auto& counters = r.pitcher ? m_logged.pitcherCounters : m_logged.batterCounters;
        QString stored;
        for (const auto& [caption, value] : counters)
            if (caption == r.caption)
                stored = value;
        const double value = game::leadingNumber(stored);
        if (r.pitcher)
            m_sources.pitcher.set(pitcher.value(r.caption), value);
        else
            m_sources.batter.set(batter.value(r.caption), value);
        lines << QStringLiteral("%1%2,已恢復為 %3")
                     .arg(r.pitcher ? QStringLiteral("投手") : QStringLiteral("打者"), r.why,
                          game::numberText(value));
    }
    lines.removeDuplicates();
    emit message(lines.join(u'\n'), QStringLiteral("錯誤提示"));
}

game::PlayState PlayLog::read() const
{
    game::PlayState s;
    s.round = m_sources.state.round;
    s.half = m_sources.state.half;
    s.slot = m_sources.state.battingPosition;
    const BatterPanel& batter = m_sources.batter;
    s.battingTeam = batter.teamName();
    s.batterNumber = batter.batterNumber();
    s.batterName = batter.batterName();
    const BatterLine b = batter.line();
    for (int i = 0; i < 8; ++i)
        s.boxes[i] = b.outcomes.value(i).trimmed();
    s.batterCounters = {{QStringLiteral("打數"), b.atBats},
                        {QStringLiteral("安打"), b.hits},
                        {QStringLiteral("全壘打"), b.homeRuns},
                        {QStringLiteral("打點"), b.rbi}};
    const PitcherLine p = m_sources.pitcher.line();
    s.pitcherNumber = p.number;
    s.pitcherName = p.name;
    s.pitcherCounters = {
        {QStringLiteral("局數"), p.thirds},       {QStringLiteral("好球"), p.strikes},
        {QStringLiteral("壞球"), p.balls},        {QStringLiteral("被安打"), p.hits},
        {QStringLiteral("被全壘打"), p.homeRuns}, {QStringLiteral("奪三振"), p.strikeouts},
        {QStringLiteral("四死球"), p.walks},      {QStringLiteral("失分"), p.runs},
        {QStringLiteral("自責分"), p.earnedRuns}};
    const CountPanel& count = m_sources.count;
    s.strikes = count.count(CountPanel::Strikes);
    s.balls = count.count(CountPanel::Balls);
    s.outs = count.count(CountPanel::Outs);
    for (int i = 0; i < 3; ++i)
        s.bases[i] = count.base(i + 1);
    for (int team = 1; team <= 2; ++team) {
        const LineScoreRow row = m_sources.lineScore.row(team);
        auto& cells = s.lineScore[team - 1];
        std::copy(row.cells.begin(), row.cells.end(), cells.begin());
        cells[12] = row.runs;
        cells[13] = row.hits;
        cells[14] = row.errors;
    }
    return s;
}

namespace {

bool stores(const db::Statements& unit, const std::function<db::Statement(bool half)>& builder)
{
    const QString a = builder(false).sql;
    const QString b = builder(true).sql;
    return std::any_of(unit.begin(), unit.end(),
                       [&](const db::Statement& s) { return s.sql == a || s.sql == b; });
}

} // namespace

db::Statements PlayLog::closing(const db::Statements& unit)
{
    m_pending.clear();
    if (!m_started)
        return {};
    m_closed = true;
    // Counters typed by hand are logged with the unit that stores them.
    const bool batter = stores(unit, [](bool half) { return saveBatterStats(half, 1, {}); });
    const bool pitcher = stores(unit, [](bool half) { return savePitcherStats(half, {}); });
    game::PlayState logged = m_logged;
    game::PlayState end = read();
    m_pendingState = end;
    // A line this unit does not store stays as the log last had it, unless
    // the player is new to the panel: then it is the line just read for him
    // from the tables (a batter after an empty slot, a reliever).
    if (!batter) {
        logged.batterCounters = end.batterCounters = m_start.batterCounters;
        if (game::sameBatter(m_logged, m_pendingState))
            m_pendingState.batterCounters = m_logged.batterCounters;
    }
    if (!pitcher) {
        logged.pitcherCounters = end.pitcherCounters = m_start.pitcherCounters;
        if (game::samePitcher(m_logged, m_pendingState))
            m_pendingState.pitcherCounters = m_logged.pitcherCounters;
    }
    if (m_ending) {
        // Its row is the unit.
        m_pending << *std::exchange(m_ending, std::nullopt);
        return {};
    }
    m_pending = game::describeAction(logged, m_start, end);
    db::Statements out;
    const QDateTime at = m_clock.now();
    for (game::PlayEvent& e : m_pending) {
        e.at = at;
        out << logPlay(e);
    }
    return out;
}

void PlayLog::actionEnded()
{
    if (!std::exchange(m_closed, false))
        return;
    const QList<game::PlayEvent> events = std::exchange(m_pending, {});
    if (m_db.actionFailed())
        return; // the screen goes back to what the tables hold
    m_logged = m_pendingState;
    if (!events.isEmpty())
        emit logged(events);
}

bool PlayLog::endGame()
{
    if (!m_started)
        return false;
    game::PlayEvent end;
    end.state = read();
    end.kind = game::play::kGameEnd;
    end.at = m_clock.now();
    bool stored = false;
    const auto done = connect(this, &PlayLog::logged, this, [&stored] { stored = true; });
    {
        const ConsoleDatabase::Action action(m_db);
        m_ending = end;
        m_db.store(logPlay(end));
    }
    disconnect(done);
    m_ending.reset();
    return stored;
}

} // namespace hp::console
