#pragma once

#include <QByteArray>

namespace hp::cg::http {

// The browser source's page: transparent, the raster scaled into the
// viewport, one picture per layer, the effects in CSS, a WebSocket that
// reconnects by itself. Built into the program: nothing is read from disk.
QByteArray programPage();

} // namespace hp::cg::http
