#include "WindowPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace hp::app {

QRect fitWindow(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame)
{
    const QRect inside = available.marginsRemoved(frame);
    const QSize size = wanted.boundedTo(inside.size()).expandedTo(minimum);
    const int x = inside.left() + qMax(0, (inside.width() - size.width()) / 2);
    const int y = inside.top() + qMax(0, (inside.height() - size.height()) / 2);
    return {QPoint(x, y), size};
}

QRect openingArea()
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void placeOnScreen(QWidget* window, QSize wanted)
{
    const QRect area = openingArea();
    if (area.isEmpty()) {
        window->resize(wanted);
        return;
    }
    const QRect place =
        fitWindow(wanted, window->minimumSizeHint().expandedTo(window->minimumSize()), area);
    window->resize(place.size());
    // A window's position is that of its frame.
    window->move(place.topLeft() - QPoint(kFrameAllowance.left(), kFrameAllowance.top()));
}

} // namespace hp::app
