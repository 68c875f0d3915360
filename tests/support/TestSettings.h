#pragma once

#include "SettingsStore.h"

#include <QTemporaryDir>

namespace hp::test {

// A settings store in a folder of its own that goes away with the test.
struct TestSettings {
    QTemporaryDir dir;
    app::SettingsStore store{dir.filePath(QStringLiteral("settings.ini"))};
};

} // namespace hp::test
