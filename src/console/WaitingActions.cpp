#include "WaitingActions.h"

#include "ConnectionString.h"
#include "ConsoleDatabase.h"
#include "ConsoleStatements.h"
#include "GameProgress.h"
#include "Journal.h"
#include "OperatorDialogs.h"
#include "SettingsStore.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcWaiting, "homeplate.console.waiting")

namespace hp::console {

namespace {

// The drain is given up on when it stores nothing for this long (a database
// that does not answer), or when it has not finished after the longer time.
constexpr int kStallMs = 5000;
constexpr int kGiveUpMs = 120000;
constexpr int kOpenMs = 1000;

const QString kTitle = QStringLiteral("請注意");

// The game the tables hold, when the database answers now.
std::optional<db::GameIdentity> gameInTables(const QString& connection)
{
    auto opened = db::Database::open(connection, db::Database::Pooling::Fresh,
                                     db::Database::Missing::Refuse, kOpenMs);
    if (!opened)
        return std::nullopt;
    db::Database& d = *opened.value();
    for (const db::Statement& s : preparation(d.engine()))
        if (!d.exec(s.sql, s.values))
            return std::nullopt;
    const auto identity = db::gameIdentity(d);
    return identity ? std::optional(*identity) : std::nullopt;
}

// Stores the waiting units through the console's own path (numbered, into
// their game, refused ones set aside) and waits for the drain, bounded.
bool storeWaiting(const app::Services& services, const QString& connection, const QString& file)
{
    app::BusyPointer busy(services.dialogs);
    ConsoleDatabase db([connection] { return connection; });
    db.setPreparation(&preparation);
    QStringList said;
    QString away;
    QObject::connect(&db, &ConsoleDatabase::failed, &db,
                     [&](const QString& words) { said << words; });
    QObject::connect(&db, &ConsoleDatabase::setAside, &db,
                     [&](const QString& words) { said << words; });
    QObject::connect(&db, &ConsoleDatabase::waiting, &db,
                     [&](int, const QString& words) { away = words; });
    db.setJournal(std::make_unique<Journal>(file, statementNames()));

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    QElapsedTimer sinceProgress;
    QElapsedTimer total;
    sinceProgress.start();
    total.start();
    int left = db.waitingUnits();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (db.waitingUnits() < left) {
            left = db.waitingUnits();
            sinceProgress.restart();
        }
        if (left == 0 || sinceProgress.elapsed() > kStallMs || total.elapsed() > kGiveUpMs)
            loop.quit();
    });
    if (left > 0) {
        poll.start();
        loop.exec();
    }
    left = db.waitingUnits();
    if (left > 0) {
        const QString words =
            QStringLiteral("等待的%1筆動作無法寫入資料庫(%2),新的比賽沒有開始。"
                           "資料庫恢復後再按GO,或選擇把它們留在一旁。")
                .arg(QString::number(left), away.isEmpty() ? said.join(u'\n') : away);
        qCWarning(lcWaiting).noquote() << words;
        services.dialogs.message(words, QStringLiteral("資料庫錯誤"));
        return false;
    }
    if (!said.isEmpty())
        services.dialogs.message(said.join(u'\n'), kTitle);
    return true;
}

} // namespace

SettledWaiting settleWaitingActions(const app::Services& services, const QString& connection)
{
    const QString file = Journal::besideSettings(services.settings.fileName());
    Journal journal(file, statementNames());
    journal.load();
    if (!journal.hasPending())
        return {};
    const auto tables = gameInTables(connection);
    if (tables && tables->game == journal.game() && journal.lastSeq() <= tables->lastSeq) {
        // Stored already; the file had stayed behind.
        if (const auto removed = journal.stored(tables->lastSeq); !removed)
            services.dialogs.message(removed.error(), kTitle);
        return {};
    }
    // A journal of another game: the console's opening sets it aside.
    if (tables && tables->game != journal.game())
        return {};
    const int units = int(journal.pending().size());
    if (services.dialogs.confirm(
            QStringLiteral("上一場比賽有%1筆動作還沒寫入資料庫(%2,動作日誌 %3)。\n"
                           "是:先把它們寫入它們的比賽,再開始新的比賽。\n"
                           "否:把它們留在一旁(動作日誌改名保存,不寫入),開始新的比賽。")
                .arg(QString::number(units), journal.database(), file),
            QStringLiteral("等待寫入的動作")))
        return {storeWaiting(services, connection, file), false};
    return {true, true};
}

void setWaitingActionsAside(const app::Services& services)
{
    Journal journal(Journal::besideSettings(services.settings.fileName()), statementNames());
    journal.load();
    if (!journal.hasPending())
        return;
    const int units = int(journal.pending().size());
    const auto aside = journal.setAside();
    const QString words =
        aside ? QStringLiteral("等待寫入的%1筆動作沒有寫入資料庫,動作日誌已改名為 %2 保存")
                    .arg(QString::number(units), *aside)
              : aside.error();
    qCWarning(lcWaiting).noquote() << words;
    services.dialogs.message(words, kTitle);
}

} // namespace hp::console
