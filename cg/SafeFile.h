#pragma once

#include "RegularFile.h"
#include "Result.h"

#include <QString>

// Files that clients and project files name: read without blocking on
// whatever the name turns out to be, and never outside the folder they
// belong in.
namespace hp::cg {

using app::readRegularFile;
using app::replaceFile;

// The path of an existing file with every symbolic link resolved, if that is
// inside folder (itself resolved); otherwise why not.
Result<QString> existingFileInside(const QString& path, const QString& folder);

// A file to be written, named by a full path: its folder resolved, and inside
// folder (or folder itself). The name must not be a symbolic link, a folder or
// anything but a regular file; the file need not exist. Otherwise why not.
Result<QString> newFileInside(const QString& path, const QString& folder);

} // namespace hp::cg
