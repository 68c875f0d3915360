#include "ConsoleCommands.h"

#include "BoxScore.h"
#include "Clock.h"
#include "Database.h"
#include "OperatorDialogs.h"
#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>

namespace hp::console {

void exportBoxScore(const app::Services& services, const QString& connectionString)
{
    const QString title = QStringLiteral("匯出成績");
    const auto d = db::Database::open(connectionString);
    if (!d) {
        services.dialogs.message(d.error(), title);
        return;
    }
    const QDateTime now = services.clock.now();
    const auto box = report::readBoxScore(**d, now.date());
    if (!box) {
        services.dialogs.message(box.error(), title);
        return;
    }
    // Beside the settings file, named after the moment of the export.
    const QDir folder = QFileInfo(services.settings.fileName()).dir();
    const QString stem = QStringLiteral("boxscore-") + now.toString(u"yyyyMMdd-HHmm");
    const QString html = folder.filePath(stem + QStringLiteral(".html"));
    const auto written = report::writeBoxScore(*box, html, folder.filePath(stem));
    services.dialogs.message(written ? QStringLiteral("成績已匯出: ") + html +
                                           QStringLiteral("\n") + folder.filePath(stem)
                                     : written.error(),
                             title);
}

QStringList gameStateKeys()
{
    return {QStringLiteral("Round"), QStringLiteral("Half"), QStringLiteral("StrikeSF"),
            QStringLiteral("StrikeSL"), QStringLiteral("StrikeNow")};
}

bool deleteGameState(const app::Services& services)
{
    const QStringList keys = gameStateKeys();
    if (!services.dialogs.confirm(
            QStringLiteral("將清除局數與棒次設定: ") + keys.join(QStringLiteral(", ")) +
                QStringLiteral("\n下次開啟主控台從一局上半、第一棒開始。確定清除?"),
            QStringLiteral("Delsetting")))
        return false;
    app::SettingsStore::Batch batch(services.settings);
    for (const QString& key : keys)
        batch.erase(key);
    batch.commit(); // a failure is reported by the store
    return true;
}

bool confirmClosingGame(const app::Services& services)
{
    return services.dialogs.confirm(QStringLiteral("比賽進行中,確定關閉?"),
                                    QStringLiteral("請注意"));
}

} // namespace hp::console
