#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The count, the outs, the batting order and the innings as plain rules.
namespace hp::game {

inline constexpr int kBattingSlots = 9;      // batting positions 1..9
inline constexpr int kMaxStrikesShown = 2;   // the count shows 0..2 strikes
inline constexpr int kMaxBallsShown = 3;     // and 0..3 balls
inline constexpr int kOutsPerHalfInning = 3; // the outs never show more than 3
inline constexpr int kLastInning = 12;

inline constexpr QStringView kLastInningMessage = u"比賽已到12局無法輸入,請檢查或是結束比賽";
inline constexpr QStringView kLastInningTitle = u"錯誤提示";

// The batting position after `position`: the next slot, 9 wrapping to 1. A
// position outside 0..8 (a saved key holding junk) also gives 1.
int nextBattingPosition(int position);

// Strikes, balls and outs as the count labels show them.
struct Count {
    double strikes = 0;
    double balls = 0;
    double outs = 0;
    bool operator==(const Count&) const = default;
};

enum class CountLabel { Strikes, Balls, Outs };

// What a click on a count label does.
struct CountStep {
    Count count;             // the labels after the click
    bool changed = false;    // a label changed: the button rules of the count apply
    double strikes = 0;      // added to the pitcher's strikes (+1, −1 or 0)
    double balls = 0;        // added to the pitcher's balls
    double outsRecorded = 0; // added to the pitcher's outs recorded
    // A plain click on the outs at two or more: the third out. The label
    // stays; the console offers the change of half-inning and puts up the
    // line score with the next three batters.
    bool thirdOut = false;
};

// A plain click adds one to the label within its range: a strike at two
// strikes is a foul that still counts a pitch (the pitcher's strikes +1, the
// count unchanged); a ball at three balls does nothing; an out at two outs is
// the third out. With takeBack the click takes one away, down to 0, and the
// pitcher's figure with it. The pitch count follows the pitcher's balls and
// strikes.
CountStep countClick(CountLabel label, bool takeBack, const Count& count);

// An inning and its half: secondHalf is false while the team that bats first
// is at bat.
struct HalfInning {
    int round = 1;
    bool secondHalf = false;
    bool operator==(const HalfInning&) const = default;
};

// The half-inning after `current`: 3B → 3T → 4B. Nothing after the second
// half of the last inning (or later): the game cannot go on, and the console
// shows kLastInningMessage.
std::optional<HalfInning> nextHalfInning(HalfInning current);

// The inning number followed by "B" for the first half, "T" for the second
// (1B, 3T).
QString halfInningCaption(HalfInning half);

} // namespace hp::game
