#pragma once

#include "RemoteHarness.h"

// The set-up window driven as the operator drives it.
namespace hp::test {

inline const QString M = QStringLiteral("Main");

inline QJsonObject selectIn(RemoteHarness& h, const QString& control, int index)
{
    return h.act(M, control, QStringLiteral("select"), {{QStringLiteral("index"), index}});
}

// The teams at rows `first` and `second` of the list, confirmed.
inline void chooseTeams(RemoteHarness& h, int first = 0, int second = 0)
{
    selectIn(h, QStringLiteral("List1"), first);
    h.act(M, QStringLiteral("Command1"), QStringLiteral("click"));
    selectIn(h, QStringLiteral("List1"), second);
    h.act(M, QStringLiteral("Command3"), QStringLiteral("click"));
    h.act(M, QStringLiteral("StartCmd"), QStringLiteral("click"));
}

// Both batting orders filled from the top of the roster.
inline void fillOrders(RemoteHarness& h)
{
    for (int i = 0; i < 9; ++i)
        h.act(M, QStringLiteral("List4(0)"), QStringLiteral("dblclick"),
              {{QStringLiteral("index"), 0}});
    selectIn(h, QStringLiteral("SSTab1"), 1);
    for (int i = 0; i < 9; ++i)
        h.act(M, QStringLiteral("List4(1)"), QStringLiteral("dblclick"),
              {{QStringLiteral("index"), 0}});
    selectIn(h, QStringLiteral("SSTab1"), 0);
}

} // namespace hp::test
