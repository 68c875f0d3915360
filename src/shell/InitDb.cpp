#include "InitDb.h"

#include "Database.h"
#include "DemoSeason.h"
#include "Schema.h"

#include <cstdio>

namespace hp::shell {

int initDatabase(const QString& connectionString, bool demo)
{
    auto fail = [](const QString& text) {
        std::fprintf(stderr, "homeplate --init-db: %s\n", qPrintable(text));
        return 1;
    };
    auto db = db::createGameDatabase(connectionString);
    if (!db)
        return fail(db.error());
    if (demo) {
        if (auto r = db::fillDemoSeason(*db.value()); !r)
            return fail(r.error());
    }
    std::printf("homeplate --init-db: created %d tables%s\n", int(db::tableNames().size()),
                demo ? " and the demo season" : "");
    return 0;
}

} // namespace hp::shell
