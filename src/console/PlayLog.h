#pragma once

#include "Database.h"
#include "PlayEvent.h"

#include <QObject>
#include <functional>

namespace hp::app {
class Clock;
}

namespace hp::console {

class BatterPanel;
class ConsoleDatabase;
class CountPanel;
class LineScorePanel;
class PitcherPanel;
struct ConsoleState;

// The panels the log reads the game from.
struct PlaySources {
    const ConsoleState& state;
    BatterPanel& batter;
    PitcherPanel& pitcher;
    const CountPanel& count;
    const LineScorePanel& lineScore;
};

// The console's play log: at the end of every action that stores something,
// what the action changed in the game becomes rows of 比賽紀錄, written in the
// action's own unit (so they are stored, or kept in the journal, with it).
// Nothing is logged before start(): the opening only shows the stored game.
class PlayLog : public QObject {
    Q_OBJECT
public:
    PlayLog(PlaySources sources, ConsoleDatabase& db, const app::Clock& clock,
            QObject* parent = nullptr);

    // From here on, the console as it stands is what the next rows compare to.
    void start();
    bool started() const { return m_started; }
    // The console as the panels show it now.
    game::PlayState read() const;
    // 比賽結束: the end of the game, one row of its own. False when it was not stored.
    bool endGame();

signals:
    // A figure typed by hand was refused (text, title).
    void message(const QString& text, const QString& title);
    // Rows the database stored (or the journal kept), in order.
    void logged(const QList<game::PlayEvent>& events);

private:
    void began();
    // Counters typed since the last row that cannot stand go back to what
    // was stored, before the action stores them.
    void refuseTyped();
    db::Statements closing(const db::Statements& unit);
    void actionEnded();

    PlaySources m_sources;
    ConsoleDatabase& m_db;
    const app::Clock& m_clock;
    bool m_started = false;
    bool m_closed = false;    // the running action's rows were made
    game::PlayState m_logged; // after the last row stored
    game::PlayState m_start;  // as the running action began
    QList<game::PlayEvent> m_pending;
    game::PlayState m_pendingState; // m_logged once the action is stored
    std::optional<game::PlayEvent> m_ending;
};

} // namespace hp::console
