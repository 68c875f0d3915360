#pragma once

#include "PlayEvent.h"

#include <QDockWidget>
#include <QRect>
#include <functional>

class QListWidget;
class QMainWindow;

namespace hp::console {

// Where the history opens. Docked at the foot of the console when the
// console's frames can spare the height; else floating in free room of the
// screen beside the console; else (a console that fills the screen, as at
// 1366 × 768) closed, to be opened from the menu over the foot of the screen.
struct HistorySpot {
    enum class Place { Docked, Floating, Closed };
    Place place = Place::Docked;
    QRect floating; // the client area it floats in, now or once opened
};
inline constexpr QSize kHistoryWanted{520, 240};
inline constexpr QSize kHistoryLeast{420, 150};
// `console`: the console's client area; `spareHeight`: the height its frames
// can give up; `area`: the available area of the screen.
HistorySpot historySpot(const QRect& console, int spareHeight, const QRect& area);

// The history of the game: the last plays of the log, newest first, in a
// panel of its own that never takes the frames' own room. A double-click on
// an outcome of the batter at the plate undoes it as a double-click on its
// box does; any other row says why it cannot be undone.
class PlayHistory : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 30;

    // `current`: the console as it stands (the batter at the plate, his boxes).
    explicit PlayHistory(std::function<game::PlayState()> current, QWidget* parent = nullptr);

    // Beside the console's frames without taking their room (see
    // historySpot), once the console has its place on the screen.
    void placeBeside(QMainWindow& console);

    // The rows of the log, newest first.
    void setRows(const QList<game::PlayEvent>& newestFirst);
    // Rows just stored, oldest first.
    void add(const QList<game::PlayEvent>& events);
    QListWidget* list() const { return m_list; }

signals:
    // Box i (1..8) of the batter at the plate is to be undone.
    void undo(int box);
    void message(const QString& text, const QString& title);

private:
    void History_List_DblClick(int row);

    std::function<game::PlayState()> m_current;
    QListWidget* m_list;
    QList<game::PlayEvent> m_events; // as listed
};

} // namespace hp::console
