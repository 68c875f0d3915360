#pragma once

#include <QStringList>

namespace hp::shell {

// `homeplate --import-roster CONNECTION FILE.csv… [--dry-run]`: checks every
// file, then writes them in one transaction (with --dry-run prints what would
// change and writes nothing). Returns the exit code: 0, or 1 with nothing
// written.
int importRoster(const QString& connectionString, const QStringList& files, bool dryRun);

// `homeplate --export-roster CONNECTION FOLDER`: one CSV file per roster table.
int exportRoster(const QString& connectionString, const QString& folder);

} // namespace hp::shell
