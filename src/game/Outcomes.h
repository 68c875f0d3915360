#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

// The twenty plate-appearance outcomes as one table of rules, with the two
// pure functions that record an outcome and undo it from that same table.
namespace hp::game {

inline constexpr int kPlateAppearanceBoxes = 8;

// The counters one outcome can move, as plain numbers; the console reads them
// from its boxes with leadingNumber() and writes them back with numberText().
struct PlateAppearanceCounters {
    // The batter's line today.
    double atBats = 0;
    double hits = 0;
    double homeRuns = 0;
    double rbis = 0;
    // The pitcher's line today.
    double pitcherBalls = 0;
    double pitcherStrikes = 0;
    double hitsAllowed = 0;
    double homeRunsAllowed = 0;
    double strikeouts = 0;
    double walks = 0; // walks and hit batsmen
    double runsAllowed = 0;
    double outsRecorded = 0; // innings pitched in thirds
    // The teams.
    double teamHits = 0;     // the batting team's hits
    double teamErrors = 0;   // the fielding team's errors
    double runsThisHalf = 0; // the batting team's line-score cell of this half-inning
    // The count, the outs and the runners (first, second, third).
    double strikes = 0;
    double balls = 0;
    double outs = 0;
    std::array<bool, 3> bases{};

    bool operator==(const PlateAppearanceCounters&) const = default;
};

// The counters an outcome moves by a fixed amount (the outs and the pitcher's
// outs recorded follow the outs rule of the outcome instead).
enum class Counter : std::uint8_t {
    AtBats,
    Hits,
    HomeRuns,
    Rbis,
    PitcherBalls,
    PitcherStrikes,
    HitsAllowed,
    HomeRunsAllowed,
    Strikeouts,
    Walks,
    RunsAllowed,
    TeamHits,
    TeamErrors,
    RunsThisHalf,
};

class CounterSet {
public:
    constexpr CounterSet() = default;
    constexpr CounterSet(std::initializer_list<Counter> counters)
    {
        for (Counter c : counters)
            bits_ |= bit(c);
    }
    constexpr bool contains(Counter c) const { return bits_ & bit(c); }
    constexpr bool isEmpty() const { return bits_ == 0; }

private:
    static constexpr std::uint32_t bit(Counter c) { return 1u << unsigned(c); }
    std::uint32_t bits_ = 0;
};

double& counter(PlateAppearanceCounters& counters, Counter c);

enum class OutcomeTab {
    OnBase, // "上壘", the buttons Command1(0..10)
    Out,    // "出局", the buttons Command2(0..8)
};

enum class OutsRule {
    None,     // no out
    Ordinary, // one out; at two outs it is the third out with the label held at 2
    Fixed,    // `outs` outs on the label, which stops at 3
};

struct OutcomeRule {
    QStringView caption; // the button's caption, written into the box; undo goes by it
    OutcomeTab tab;
    int index;           // the button's index on its tab
    CounterSet plusOne;  // +1 each when recorded, −1 each when undone
    CounterSet plusRuns; // +n each, n being the runners on base plus the batter
    OutsRule outsRule;
    int outs;                 // the outs made; the pitcher's outs recorded move by them
    bool outsWhileCorrecting; // the outs label moves even while correcting
    bool clearsBases;
};

// The twenty outcomes, the tab "上壘" first, each tab in button order.
std::span<const OutcomeRule> outcomeRules();
const OutcomeRule* findOutcome(QStringView caption);

// A message for the operator, shown in an OK-only box.
struct Notice {
    QString text;
    QString title;
    bool isEmpty() const { return text.isEmpty(); }
};

inline constexpr QStringView kCardFullMessage = u"已超過打擊紀錄,電腦無法紀錄";
inline constexpr QStringView kCardFullTitle = u"錯誤提示";
inline constexpr QStringView kOutsRecordedMessage = u"目前無法扣除投手局數";
inline constexpr QStringView kOutsRecordedTitle = u"請注意";
inline constexpr QStringView kHomeRunRunsMessage =
    u"不知道這支全壘打得了幾分,打點、失分與本局比分沒有扣除,請自行修改";
inline constexpr QStringView kHomeRunRunsTitle = u"請注意";

// The box the next outcome goes into: the first of the eight that is empty,
// holds the blank, or is missing from `boxes`; -1 when all eight hold results.
int nextFreeBox(const QStringList& boxes);

struct RecordResult {
    bool recorded = false; // false: refused, `notice` says why, nothing changes
    int box = -1;          // 0-based index of the box that takes the caption
    PlateAppearanceCounters counters;
    Notice notice;
    // An ordinary out at two or more outs with the correction flag clear: the
    // third out while the label stays. The console offers the change of
    // half-inning, withdraws the next batter and puts up the line score with
    // the next three batters. (An outs label that reaches 3 does the same
    // through the count's own rule and is not announced here.)
    bool announceThirdOut = false;
    // The correction flag was clear: the count was reset and the outcome tabs
    // close until the next batter or half-inning.
    bool disableTabs = false;
};

// Recording after an undo (the console's correction flag): the outs the
// undone entry had put on the outs label, which still shows them.
struct Correction {
    double labelOuts = 0;
};

// Records the outcome `caption` into the next free box of `boxes`. Otherwise
// than while correcting, the pitcher's outs recorded grow by the outs actually
// added: "雙殺" and "三殺" stop the label at 3. While correcting (after an
// undo) the count is not reset and the outs label does not move, except for
// "選擇"; the play is then taken to have started at the label less what the
// undone entry had put on it, and the outs recorded grow by the outcome's outs
// up to the third out from there. The console clears its correction flag
// afterwards.
RecordResult record(QStringView caption, const QStringList& boxes,
                    const PlateAppearanceCounters& before, std::optional<Correction> correcting);

struct UndoResult {
    bool reversed = false; // the box held an outcome's caption
    PlateAppearanceCounters counters;
    Notice notice;
    // What the outcome is taken to have put on the outs label (its outs, no
    // more than the label shows), for the correction that follows when the
    // console does not know it better.
    double labelOuts = 0;
};

// Undoes the outcome whose caption a box holds, from the same rules: each
// counter the outcome raised goes down again, never below 0. The outs, the
// count and the runners stay. The pitcher's outs recorded go down by the
// outcome's outs only when there are that many, else they stay and the notice
// says so. For "全壘" the runs come off when `homeRunRuns` says how many they
// were; without it they stay and the notice says so. An empty box or an
// unknown text reverses nothing. The console then empties the box, opens the
// outcome tabs and sets its correction flag.
UndoResult undo(QStringView boxText, const PlateAppearanceCounters& before,
                std::optional<double> homeRunRuns);

} // namespace hp::game
