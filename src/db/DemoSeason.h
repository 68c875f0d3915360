#pragma once

#include "Database.h"

namespace hp::db {

// A fictional league for rehearsals and demonstrations: four teams, each with
// sixteen batters and nine pitchers, their season lines and profiles. Every
// name is made up; one has an apostrophe.
Result<Done> fillDemoSeason(Database& db);

QStringList demoTeams();

} // namespace hp::db
