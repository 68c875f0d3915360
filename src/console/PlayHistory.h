#pragma once

#include "PlayEvent.h"

#include <QDockWidget>
#include <functional>

class QListWidget;
class QMainWindow;

namespace hp::console {

// The history of the game: the last plays of the log, newest first, in a
// panel of its own beside the console's frames (at 1366 × 768 the frames
// need the whole window, so it floats until the operator docks it). A double-click on an
// outcome of the batter at the plate undoes it as a double-click on its box
// does; any other row says why it cannot be undone.
class PlayHistory : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 30;

    // `current`: the console as it stands (the batter at the plate, his boxes).
    explicit PlayHistory(std::function<game::PlayState()> current, QWidget* parent = nullptr);

    // Beside the console's frames without taking their room: floating over
    // the foot of the screen at first; the operator may dock it.
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
