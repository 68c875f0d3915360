#pragma once

#include "SetupStatements.h"

// The game the benchmarks play: the demo season's first two teams, the first
// nine batters of each, the first pitcher, set up as GO leaves it.
inline hp::setup::Selection startDemoGame(hp::db::Database& d)
{
    const QStringList teams = hp::setup::loadTeams(d).value();
    auto team = [&](const QString& name) {
        hp::setup::TeamSelection t;
        t.team = name;
        t.order = hp::setup::teamBatters(d, name).value().mid(0, 9);
        for (int i = 0; i < 9; ++i)
            t.positions << QStringLiteral("C");
        t.pitcher = hp::setup::teamPitchers(d, name).value().first();
        return t;
    };
    const hp::setup::Selection selection{team(teams[0]), team(teams[1])};
    d.transaction([&] { return hp::setup::initialiseGame(d, selection); });
    return selection;
}
