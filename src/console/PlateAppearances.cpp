#include "PlateAppearances.h"

#include "BatterPanel.h"
#include "CountPanel.h"
#include "LineScorePanel.h"
#include "OutcomeTabs.h"
#include "PitcherPanel.h"

#include <QPushButton>

namespace hp::console {

namespace {

using B = BatterPanel::Counter;
using P = PitcherPanel::Counter;

} // namespace

PlateAppearances::PlateAppearances(ConsoleState& state, OutcomeTargets targets, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_t(targets)
{
}

game::PlateAppearanceCounters PlateAppearances::read() const
{
    const int batting = m_state.half ? 2 : 1;
    const int fielding = 3 - batting;
    game::PlateAppearanceCounters c;
    c.atBats = m_t.batter.value(B::AtBats);
    c.hits = m_t.batter.value(B::Hits);
    c.homeRuns = m_t.batter.value(B::HomeRuns);
    c.rbis = m_t.batter.value(B::Rbis);
    c.pitcherBalls = m_t.pitcher.value(P::Balls);
    c.pitcherStrikes = m_t.pitcher.value(P::Strikes);
    c.hitsAllowed = m_t.pitcher.value(P::HitsAllowed);
    c.homeRunsAllowed = m_t.pitcher.value(P::HomeRunsAllowed);
    c.strikeouts = m_t.pitcher.value(P::Strikeouts);
    c.walks = m_t.pitcher.value(P::Walks);
    c.runsAllowed = m_t.pitcher.value(P::Runs);
    c.outsRecorded = m_t.pitcher.value(P::Thirds);
    c.teamHits = m_t.lineScore.totalValue(batting, LineScorePanel::Hits);
    c.teamErrors = m_t.lineScore.totalValue(fielding, LineScorePanel::Errors);
    c.runsThisHalf = m_t.lineScore.cellValue(batting, m_state.round);
    c.strikes = m_t.count.count(CountPanel::Strikes);
    c.balls = m_t.count.count(CountPanel::Balls);
    c.outs = m_t.count.count(CountPanel::Outs);
    for (int i = 0; i < 3; ++i)
        c.bases[i] = m_t.count.base(i + 1);
    return c;
}

void PlateAppearances::write(const game::PlateAppearanceCounters& before,
                             const game::PlateAppearanceCounters& after)
{
    const int batting = m_state.half ? 2 : 1;
    const int fielding = 3 - batting;
    // Only what moved is written, so a box typed by hand keeps its text.
    auto put = [](double was, double now, auto&& setter) {
        if (was != now)
            setter(now);
    };
    put(before.atBats, after.atBats, [&](double v) { m_t.batter.set(B::AtBats, v); });
    put(before.hits, after.hits, [&](double v) { m_t.batter.set(B::Hits, v); });
    put(before.homeRuns, after.homeRuns, [&](double v) { m_t.batter.set(B::HomeRuns, v); });
    put(before.rbis, after.rbis, [&](double v) { m_t.batter.set(B::Rbis, v); });
    const std::pair<double game::PlateAppearanceCounters::*, P> pitching[] = {
        {&game::PlateAppearanceCounters::pitcherBalls, P::Balls},
        {&game::PlateAppearanceCounters::pitcherStrikes, P::Strikes},
        {&game::PlateAppearanceCounters::hitsAllowed, P::HitsAllowed},
        {&game::PlateAppearanceCounters::homeRunsAllowed, P::HomeRunsAllowed},
        {&game::PlateAppearanceCounters::strikeouts, P::Strikeouts},
        {&game::PlateAppearanceCounters::walks, P::Walks},
        {&game::PlateAppearanceCounters::runsAllowed, P::Runs},
        {&game::PlateAppearanceCounters::outsRecorded, P::Thirds}};
    for (const auto& [field, counter] : pitching)
        put(before.*field, after.*field, [&, c = counter](double v) { m_t.pitcher.set(c, v); });
    if (before.outsRecorded != after.outsRecorded)
        m_t.pitcher.showInningsTip();
    put(before.teamHits, after.teamHits,
        [&](double v) { m_t.lineScore.setTotal(batting, LineScorePanel::Hits, v); });
    put(before.teamErrors, after.teamErrors,
        [&](double v) { m_t.lineScore.setTotal(fielding, LineScorePanel::Errors, v); });
    put(before.runsThisHalf, after.runsThisHalf,
        [&](double v) { m_t.lineScore.setCell(batting, m_state.round, v); });
    for (int i = 0; i < 3; ++i)
        if (before.bases[i] != after.bases[i])
            m_t.count.setBase(i + 1, after.bases[i]);
    put(before.strikes, after.strikes,
        [&](double v) { m_t.count.setCount(CountPanel::Strikes, int(v)); });
    put(before.balls, after.balls,
        [&](double v) { m_t.count.setCount(CountPanel::Balls, int(v)); });
    put(before.outs, after.outs, [&](double v) { m_t.count.setCount(CountPanel::Outs, int(v)); });
}

QString PlateAppearances::boxKey(int box) const
{
    return (m_state.half ? QStringLiteral("T") : QStringLiteral("B")) +
           QString::number(m_state.battingPosition) + u'|' + m_t.batter.batterName() + u'|' +
           QString::number(box);
}

void PlateAppearances::record(const QString& caption)
{
    const game::PlateAppearanceCounters before = read();
    const game::RecordResult r =
        game::record(caption, m_t.batter.results(), before, m_state.correction);
    if (!r.recorded) {
        if (!r.notice.isEmpty())
            emit message(r.notice.text, r.notice.title);
        return;
    }
    const int box = r.box + 1;
    m_t.batter.openResultBoxesUpTo(box);
    m_t.batter.setResult(box, caption);
    if (const auto* rule = game::findOutcome(caption); rule && !rule->plusRuns.isEmpty())
        m_homeRuns.insert(boxKey(box),
                          {r.counters.rbis - before.rbis, m_state.round, m_state.half});
    // A correction stands for the play it replaced: the outs that play put on
    // the label are this entry's too.
    const double labelOuts =
        r.counters.outs - before.outs + (m_state.correction ? m_state.correction->labelOuts : 0);
    m_outsAdded.insert(boxKey(box) + caption,
                       {r.counters.outsRecorded - before.outsRecorded, labelOuts});
    write(before, r.counters);
    if (r.announceThirdOut) {
        m_t.nextHalf.setEnabled(true);
        m_t.batter.nextButton()->setEnabled(false);
        m_t.graphics.run(kLineScoreNextThreeGraphic);
    }
    if (r.disableTabs)
        m_t.tabs.setEnabled(false);
    emit stored();
    m_state.correction.reset();
}

void PlateAppearances::undo(int box)
{
    const QString text = m_t.batter.results().value(box - 1);
    std::optional<double> homeRunRuns;
    const auto known = m_homeRuns.constFind(boxKey(box));
    // The runs come off only in the half-inning that scored them: its cell and
    // its pitcher are the ones on screen.
    if (known != m_homeRuns.constEnd() && known->round == m_state.round &&
        known->half == m_state.half)
        homeRunRuns = known->runs;
    const game::PlateAppearanceCounters before = read();
    game::UndoResult r = game::undo(text, before, homeRunRuns);
    // An out recorded in this session takes back what it really added.
    // (Only while the box still holds what was recorded there.)
    if (const auto added = m_outsAdded.constFind(boxKey(box) + text);
        added != m_outsAdded.constEnd() && r.reversed) {
        r.labelOuts = added->label;
        const bool enough = before.outsRecorded >= added->recorded;
        r.counters.outsRecorded =
            enough ? before.outsRecorded - added->recorded : before.outsRecorded;
        if (enough && r.notice.text == game::kOutsRecordedMessage)
            r.notice = {};
        else if (!enough && r.notice.isEmpty())
            r.notice = {game::kOutsRecordedMessage.toString(), game::kOutsRecordedTitle.toString()};
    }
    write(before, r.counters);
    if (r.notice.text == game::kHomeRunRunsMessage)
        emit notice(r.notice.text);
    else if (!r.notice.isEmpty())
        emit message(r.notice.text, r.notice.title);
    m_homeRuns.remove(boxKey(box));
    m_outsAdded.remove(boxKey(box) + text);
    m_t.batter.setResult(box, QString());
    m_t.tabs.setEnabled(true);
    emit stored();
    m_state.correction = game::Correction{r.labelOuts};
}

} // namespace hp::console
