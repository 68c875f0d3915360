#pragma once

#include "Result.h"

#include <QString>
#include <functional>

class QIODevice;

// Files that clients and project files name: read without blocking on
// whatever the name turns out to be, and never outside the folder they
// belong in.
namespace hp::cg {

// The whole of a regular file of at most maxBytes. A folder, a FIFO, a device
// or a larger file is refused without being read, and without blocking.
Result<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

// The path of an existing file with every symbolic link resolved, if that is
// inside folder (itself resolved); otherwise why not.
Result<QString> existingFileInside(const QString& path, const QString& folder);

// A file to be written, named by a full path: its folder resolved, and inside
// folder (or folder itself). The name must not be a symbolic link, a folder or
// anything but a regular file; the file need not exist. Otherwise why not.
Result<QString> newFileInside(const QString& path, const QString& folder);

// Writes a file beside path and renames it over path, so that a reader never
// sees half a file and a symbolic link put there in the meantime is replaced,
// not followed.
Result<Done> replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write);

} // namespace hp::cg
