#pragma once

#include <QString>

namespace hp::shell {

// `homeplate --init-db CONNECTION [--demo]`: creates the tables in an empty
// database and, with --demo, fills the fictional season. Returns the exit code.
int initDatabase(const QString& connectionString, bool demo);

} // namespace hp::shell
