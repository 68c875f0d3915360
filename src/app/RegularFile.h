#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

// Files the program reads and writes by a name it was given: read without
// blocking on whatever the name turns out to be, written without following a
// symbolic link.
namespace hp::app {

// The whole of a regular file of at most maxBytes. A folder, a FIFO, a device
// or a larger file is refused without being read, and without blocking.
Result<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

// Writes a file beside path and renames it over path, so that a reader never
// sees half a file and a symbolic link put there in the meantime is replaced,
// not followed.
Result<Done> replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write);

} // namespace hp::app
