#pragma once

#include "GameState.h"

namespace hp::test {

// The middle of a game as the console would show it: the example of the
// feed's documentation.
inline feed::GameState exampleState()
{
    feed::GameState s;
    s.sequence = 42;
    s.inning = 3;
    s.bottom = true;
    s.inningText = QStringLiteral("3T");
    s.first = {QStringLiteral("北港鯨"),
               {QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("0")},
               QStringLiteral("2"),
               QStringLiteral("5"),
               QStringLiteral("0")};
    s.second = {QStringLiteral("東岸隼"),
                {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0")},
                QStringLiteral("1"),
                QStringLiteral("3"),
                QStringLiteral("1")};
    s.strikes = 1;
    s.balls = 2;
    s.outs = 1;
    s.runners = {true, false, true};
    s.batter = {4,
                QStringLiteral("23"),
                QStringLiteral("林志遠"),
                QStringLiteral("1B"),
                QStringLiteral("東岸隼"),
                QStringLiteral("1"),
                QStringLiteral("1"),
                QStringLiteral("0"),
                QStringLiteral("1"),
                QStringLiteral("1.000"),
                {QStringLiteral("中安")},
                QStringLiteral(".312")};
    s.pitcher = {QStringLiteral("18"), QStringLiteral("陳建宏"), QStringLiteral("北港鯨"),
                 QStringLiteral("47"), QStringLiteral("7"),      QStringLiteral("30"),
                 QStringLiteral("17"), QStringLiteral("3"),      QStringLiteral("0"),
                 QStringLiteral("2"),  QStringLiteral("1"),      QStringLiteral("1"),
                 QStringLiteral("1"),  QStringLiteral("3.86"),   QStringLiteral("2.95")};
    s.nextBatters = {{5, QStringLiteral("7"), QStringLiteral("黃冠宇"), QStringLiteral("LF"),
                      QStringLiteral("1"), QStringLiteral("0")},
                     {6, QStringLiteral("31"), QStringLiteral("張子豪"), QStringLiteral("3B"),
                      QStringLiteral("1"), QStringLiteral("1")},
                     {7, QStringLiteral("2"), QStringLiteral("吳柏翰"), QStringLiteral("C"),
                      QStringLiteral("1"), QStringLiteral("0")}};
    s.onAir = {{2, QStringLiteral("打者今日成績"), QStringLiteral("5.打者今日成績"),
                QStringLiteral("[FO][2]"), QTime(19, 42, 7), false}};
    return s;
}

} // namespace hp::test
