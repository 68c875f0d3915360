#include "Outcomes.h"

#include "Count.h"
#include "Figures.h"

#include <algorithm>

namespace hp::game {
namespace {

using enum Counter;

constexpr CounterSet kSingle{AtBats, Hits, PitcherStrikes, HitsAllowed, TeamHits};
constexpr CounterSet kOut{AtBats, PitcherStrikes};

// clang-format off
constexpr std::array<OutcomeRule, 20> kRules{{
    // caption, tab, index, +1 each, +n each, outs rule, outs, outs while correcting, clears bases
    {u"四壞", OutcomeTab::OnBase, 0,  {PitcherBalls, Walks},                                  {},                                      OutsRule::None,     0, false, false},
    {u"觸身", OutcomeTab::OnBase, 1,  {PitcherBalls, Walks},                                  {},                                      OutsRule::None,     0, false, false},
    {u"一壘", OutcomeTab::OnBase, 2,  kSingle,                                                {},                                      OutsRule::None,     0, false, false},
    {u"二壘", OutcomeTab::OnBase, 3,  kSingle,                                                {},                                      OutsRule::None,     0, false, false},
    {u"三壘", OutcomeTab::OnBase, 4,  kSingle,                                                {},                                      OutsRule::None,     0, false, false},
    {u"全壘", OutcomeTab::OnBase, 5,  {AtBats, Hits, HomeRuns, HitsAllowed, HomeRunsAllowed, TeamHits},
                                                                                              {Rbis, RunsAllowed, RunsThisHalf},       OutsRule::None,     0, false, true},
    {u"選擇", OutcomeTab::OnBase, 6,  {AtBats},                                               {},                                      OutsRule::Fixed,    1, true,  false},
    {u"不死", OutcomeTab::OnBase, 7,  {AtBats, Strikeouts},                                   {},                                      OutsRule::None,     0, false, false},
    {u"失誤", OutcomeTab::OnBase, 8,  {AtBats, TeamErrors},                                   {},                                      OutsRule::None,     0, false, false},
    {u"犯規", OutcomeTab::OnBase, 9,  {AtBats},                                               {},                                      OutsRule::None,     0, false, false},
    {u"敬遠", OutcomeTab::OnBase, 10, {Walks},                                                {},                                      OutsRule::None,     0, false, false},
    {u"三振", OutcomeTab::Out,    0,  {AtBats, PitcherStrikes, Strikeouts},                   {},                                      OutsRule::Ordinary, 1, false, false},
    {u"犧牲", OutcomeTab::Out,    1,  {PitcherStrikes},                                       {},                                      OutsRule::Ordinary, 1, false, false},
    {u"刺殺", OutcomeTab::Out,    2,  kOut,                                                   {},                                      OutsRule::Ordinary, 1, false, false},
    {u"內飛", OutcomeTab::Out,    3,  kOut,                                                   {},                                      OutsRule::Ordinary, 1, false, false},
    {u"外飛", OutcomeTab::Out,    4,  kOut,                                                   {},                                      OutsRule::Ordinary, 1, false, false},
    {u"雙殺", OutcomeTab::Out,    5,  kOut,                                                   {},                                      OutsRule::Fixed,    2, false, false},
    {u"三殺", OutcomeTab::Out,    6,  kOut,                                                   {},                                      OutsRule::Fixed,    3, false, false},
    {u"界飛", OutcomeTab::Out,    7,  kOut,                                                   {},                                      OutsRule::Ordinary, 1, false, false},
    {u"妨礙", OutcomeTab::Out,    8,  {AtBats},                                               {},                                      OutsRule::Ordinary, 1, false, false},
}};
// clang-format on

constexpr std::array kCounters{
    AtBats,          Hits,       HomeRuns, Rbis,        PitcherBalls, PitcherStrikes, HitsAllowed,
    HomeRunsAllowed, Strikeouts, Walks,    RunsAllowed, TeamHits,     TeamErrors,     RunsThisHalf};

// Takes `amount` away from a counter, never below 0; a counter already at or
// below 0 (typed in by hand) is left alone.
void takeAway(double& value, double amount)
{
    if (value > 0)
        value = std::max(0.0, value - amount);
}

Notice notice(QStringView text, QStringView title)
{
    return {text.toString(), title.toString()};
}

} // namespace

double& counter(PlateAppearanceCounters& c, Counter which)
{
    switch (which) {
    case AtBats:
        return c.atBats;
    case Hits:
        return c.hits;
    case HomeRuns:
        return c.homeRuns;
    case Rbis:
        return c.rbis;
    case PitcherBalls:
        return c.pitcherBalls;
    case PitcherStrikes:
        return c.pitcherStrikes;
    case HitsAllowed:
        return c.hitsAllowed;
    case HomeRunsAllowed:
        return c.homeRunsAllowed;
    case Strikeouts:
        return c.strikeouts;
    case Walks:
        return c.walks;
    case RunsAllowed:
        return c.runsAllowed;
    case TeamHits:
        return c.teamHits;
    case TeamErrors:
        return c.teamErrors;
    case RunsThisHalf:
        return c.runsThisHalf;
    }
    Q_UNREACHABLE();
}

std::span<const OutcomeRule> outcomeRules()
{
    return kRules;
}

const OutcomeRule* findOutcome(QStringView caption)
{
    const auto it = std::find_if(kRules.begin(), kRules.end(),
                                 [&](const OutcomeRule& r) { return r.caption == caption; });
    return it == kRules.end() ? nullptr : &*it;
}

int nextFreeBox(const QStringList& boxes)
{
    for (int i = 0; i < kPlateAppearanceBoxes; ++i) {
        if (i >= boxes.size() || boxes[i].isEmpty() || isBlank(boxes[i]))
            return i;
    }
    return -1;
}

RecordResult record(QStringView caption, const QStringList& boxes,
                    const PlateAppearanceCounters& before, std::optional<Correction> correcting)
{
    RecordResult result;
    result.counters = before;
    const OutcomeRule* rule = findOutcome(caption);
    if (!rule) {
        result.notice = {QStringLiteral("「%1」不是打擊結果").arg(caption),
                         QStringLiteral("錯誤提示")};
        return result;
    }
    result.box = nextFreeBox(boxes);
    if (result.box < 0) {
        result.notice = notice(kCardFullMessage, kCardFullTitle);
        return result;
    }
    result.recorded = true;

    PlateAppearanceCounters& c = result.counters;
    const double runs = 1 + std::count(before.bases.begin(), before.bases.end(), true);
    for (Counter which : kCounters) {
        if (rule->plusOne.contains(which))
            counter(c, which) += 1;
        if (rule->plusRuns.contains(which))
            counter(c, which) += runs;
    }
    if (rule->clearsBases)
        c.bases = {};

    // A correction is credited the outs the play made from where it started,
    // never past the third out.
    const double credited =
        correcting ? std::clamp<double>(kOutsPerHalfInning - (before.outs - correcting->labelOuts),
                                        0, rule->outs)
                   : 0;
    switch (rule->outsRule) {
    case OutsRule::None:
        break;
    case OutsRule::Ordinary:
        if (!correcting) {
            if (before.outs < kOutsPerHalfInning - 1)
                c.outs += 1;
            else
                result.announceThirdOut = true;
        }
        c.outsRecorded += correcting ? credited : rule->outs;
        break;
    case OutsRule::Fixed: {
        double added = 0;
        if (!correcting || rule->outsWhileCorrecting) {
            if (before.outs < kOutsPerHalfInning)
                added = std::min<double>(rule->outs, kOutsPerHalfInning - before.outs);
            c.outs += added;
        }
        c.outsRecorded += correcting ? credited : added;
        break;
    }
    }

    if (!correcting) {
        c.strikes = 0;
        c.balls = 0;
        result.disableTabs = true;
    }
    return result;
}

UndoResult undo(QStringView boxText, const PlateAppearanceCounters& before,
                std::optional<double> homeRunRuns)
{
    UndoResult result;
    result.counters = before;
    const OutcomeRule* rule = findOutcome(boxText);
    if (!rule)
        return result;
    result.reversed = true;

    PlateAppearanceCounters& c = result.counters;
    for (Counter which : kCounters) {
        if (rule->plusOne.contains(which))
            takeAway(counter(c, which), 1);
        if (rule->plusRuns.contains(which) && homeRunRuns)
            takeAway(counter(c, which), *homeRunRuns);
    }
    if (!rule->plusRuns.isEmpty() && !homeRunRuns)
        result.notice = notice(kHomeRunRunsMessage, kHomeRunRunsTitle);

    if (rule->outs > 0) {
        result.labelOuts = std::clamp<double>(before.outs, 0, rule->outs);
        if (c.outsRecorded >= rule->outs)
            c.outsRecorded -= rule->outs;
        else
            result.notice = notice(kOutsRecordedMessage, kOutsRecordedTitle);
    }
    return result;
}

} // namespace hp::game
