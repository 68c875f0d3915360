#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace hp::app {

// Room a window manager takes around a window (title bar and borders),
// reserved before the window is shown and its real frame is known.
inline constexpr QMargins kFrameAllowance{6, 32, 6, 6};

// The client area of a window of the wanted size on a screen's available
// area: as large as wanted, never larger than the area less the frame, never
// smaller than its minimum, centred with its frame inside the area (a
// minimum larger than the area starts at the area's top left).
QRect fitWindow(QSize wanted, QSize minimum, const QRect& available,
                const QMargins& frame = kFrameAllowance);

// The available area of the screen a window opens on: the screen of the
// pointer where there is one, else the primary screen; empty without a screen.
QRect openingArea();

// Sizes and places a window before it is shown, on the screen it will open on.
void placeOnScreen(QWidget* window, QSize wanted);

} // namespace hp::app
