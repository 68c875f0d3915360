#include "ConsoleCommands.h"

#include "BoxScore.h"
#include "Clock.h"
#include "Database.h"
#include "OperatorDialogs.h"
#include "PlayLog.h"
#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>

namespace hp::console {

namespace {

// The pitchers of record as derived, each offered for the operator to
// change ("number:name"; empty for none); a cancelled box keeps the derived one.
report::PitchersOfRecord chosenDecisions(const app::Services& services,
                                         const report::PitchersOfRecord& derived)
{
    report::PitchersOfRecord out = derived;
    const std::pair<QString, QString*> asked[] = {{QStringLiteral("勝投"), &out.win},
                                                  {QStringLiteral("敗投"), &out.loss},
                                                  {QStringLiteral("救援"), &out.save}};
    for (const auto& [caption, value] : asked)
        if (const auto typed =
                services.dialogs.input(caption + QStringLiteral("(背號:姓名,空白為無):"),
                                       QStringLiteral("匯出成績"), *value))
            *value = typed->trimmed();
    return out;
}

} // namespace

void exportBoxScore(const app::Services& services, const QString& connectionString,
                    int waitingUnits)
{
    const QString title = QStringLiteral("匯出成績");
    // The box score is read from the tables: what waits in the journal is not in it yet.
    if (waitingUnits > 0 &&
        !services.dialogs.confirm(QStringLiteral("還有%1筆動作等待寫入資料庫,匯出的成績不含這些動作"
                                                 "(也可能還不是終場)。仍要匯出?")
                                      .arg(waitingUnits),
                                  title))
        return;
    const auto d = db::Database::open(connectionString);
    if (!d) {
        services.dialogs.message(d.error(), title);
        return;
    }
    const QDateTime now = services.clock.now();
    auto box = report::readBoxScore(**d, now.date());
    if (!box) {
        services.dialogs.message(box.error(), title);
        return;
    }
    if (box->final)
        report::setDecisions(box.value(), chosenDecisions(services, box->decisions));
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

bool endGame(const app::Services& services, PlayLog& log)
{
    const QString title = QStringLiteral("比賽結束");
    if (!log.started()) {
        services.dialogs.message(QStringLiteral("比賽尚未載入,無法結束"), title);
        return false;
    }
    if (!services.dialogs.confirm(QStringLiteral("確定比賽結束?結束後匯出的成績為終場成績。"),
                                  title))
        return false;
    if (!log.endGame()) {
        services.dialogs.message(QStringLiteral("比賽結束未能寫入資料庫"), title);
        return false;
    }
    return true;
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
