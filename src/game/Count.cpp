#include "Count.h"

namespace hp::game {

int nextBattingPosition(int position)
{
    return position >= 0 && position < kBattingSlots ? position + 1 : 1;
}

CountStep countClick(CountLabel label, bool takeBack, const Count& count)
{
    CountStep step;
    step.count = count;
    const double delta = takeBack ? -1 : 1;
    switch (label) {
    case CountLabel::Strikes:
        if (takeBack ? count.strikes > 0 : count.strikes < kMaxStrikesShown) {
            step.count.strikes += delta;
            step.changed = true;
            step.strikes = delta;
        } else if (!takeBack) {
            step.strikes = 1; // a foul with two strikes is still a pitch
        }
        break;
    case CountLabel::Balls:
        if (takeBack ? count.balls > 0 : count.balls < kMaxBallsShown) {
            step.count.balls += delta;
            step.changed = true;
            step.balls = delta;
        }
        break;
    case CountLabel::Outs:
        if (takeBack ? count.outs > 0 : count.outs < kOutsPerHalfInning - 1) {
            step.count.outs += delta;
            step.changed = true;
            step.outsRecorded = delta;
        } else if (!takeBack) {
            step.thirdOut = true;
        }
        break;
    }
    return step;
}

std::optional<HalfInning> nextHalfInning(HalfInning current)
{
    if (!current.secondHalf)
        return HalfInning{current.round, true};
    if (current.round >= kLastInning)
        return std::nullopt;
    return HalfInning{current.round + 1, false};
}

QString halfInningCaption(HalfInning half)
{
    return QString::number(half.round) + (half.secondHalf ? u'T' : u'B');
}

} // namespace hp::game
