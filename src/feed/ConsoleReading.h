#pragma once

#include "Database.h"
#include "GameState.h"

#include <QHash>
#include <QPointer>
#include <functional>
#include <optional>

class QWidget;

namespace hp::console {
class Baseball_Beat;
}
namespace hp::graphics {
class OnAirTally;
}

namespace hp::feed {

// What the game state is read from: the console's controls by name, its
// own values, the today rows it keeps, and what is on air.
struct ConsoleView {
    std::function<QString(const QString& control)> text;
    std::function<bool(const QString& control)> ticked;
    int round = 1;
    bool half = false;
    int battingPosition = 0;
    // The rows a query of the kept today tables gives; nullopt when they cannot tell.
    std::function<std::optional<db::Rows>(const db::Statement&)> keptRows;
    const graphics::OnAirTally* tally = nullptr;
};

// The game as the view shows it. Touches no database and no file.
GameState gameState(const ConsoleView& view);

// The view of an open console window. The controls are found by name once
// and kept.
class ConsoleWindowView {
public:
    explicit ConsoleWindowView(const console::Baseball_Beat& window);
    ConsoleView view() const;

private:
    QWidget* control(const QString& name) const;

    const console::Baseball_Beat& m_window;
    mutable QHash<QString, QPointer<QWidget>> m_controls;
};

} // namespace hp::feed
