#pragma once

#include "Baseball_Beat.h"
#include "ConnectionString.h"
#include "ConsoleFixture.h"
#include "ConsoleStatements.h"
#include "Journal.h"
#include "PanelStatusBar.h"
#include "Schema.h"
#include "TodayCache.h"

#include <QLabel>
#include <QProcess>
#include <QtTest>
#include <functional>

// A game whose database can be taken away and brought back, and what the
// journal beside its settings file holds.
namespace hp::test {

// A PostgreSQL server of this test's own, so that it can be stopped and
// started again without disturbing anyone else's.
class OwnServer {
public:
    bool start()
    {
        const QString out = script(QStringLiteral("start"));
        m_connection = out.trimmed();
        return !m_connection.isEmpty();
    }
    void pause() { script(QStringLiteral("pause")); }
    void resume() { script(QStringLiteral("resume")); }
    void stop()
    {
        if (!m_connection.isEmpty())
            script(QStringLiteral("stop"));
        m_connection.clear();
    }
    const QString& connection() const { return m_connection; }

private:
    QString script(const QString& command)
    {
        QProcess p;
        // The folder itself, which the script hands to the server's user.
        p.start(QStringLiteral("bash"), {QStringLiteral(PG_TEST_SCRIPT), command, m_dir.path()});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    QTemporaryDir m_dir;
    QString m_connection;
};

// One operator step on the console, through `act` (control, action,
// extra): a count click, the next batter, the change of half-inning, or an
// outcome from its tab.
using ActOnConsole = std::function<QJsonObject(const QString&, const QString&, const QJsonObject&)>;
inline bool operatorStep(const ActOnConsole& act, const QString& s)
{
    auto ok = [](const QJsonObject& r) { return r.value(QStringLiteral("ok")).toBool(); };
    if (s == QStringLiteral("S") || s == QStringLiteral("B") || s == QStringLiteral("O"))
        return ok(act(QStringLiteral("SBO_Lab(%1)").arg(QStringLiteral("SBO").indexOf(s) + 1),
                      QStringLiteral("press"), {}));
    if (s == QStringLiteral("next"))
        return ok(act(QStringLiteral("Command4"), QStringLiteral("click"), {}));
    if (s == QStringLiteral("half"))
        return ok(act(QStringLiteral("Next_Command"), QStringLiteral("click"), {}));
    const game::OutcomeRule* rule = game::findOutcome(s);
    const bool out = rule->tab == game::OutcomeTab::Out;
    act(QStringLiteral("SSTab3"), QStringLiteral("select"),
        {{QStringLiteral("index"), out ? 1 : 0}});
    return ok(act(QStringLiteral("Command%1(%2)").arg(out ? 2 : 1).arg(rule->index),
                  QStringLiteral("click"), {}));
}

inline OwnServer& server()
{
    static OwnServer s;
    return s;
}

// With a PostgreSQL server named in HOMEPLATE_TEST_PG, the tests use one of
// their own instead (server().stop() ends it); false when it did not start.
inline bool useOwnServer()
{
    if (qEnvironmentVariable("HOMEPLATE_TEST_PG").isEmpty())
        return true;
    if (!server().start())
        return false;
    qputenv("HOMEPLATE_TEST_PG", server().connection().toUtf8());
    return true;
}

struct Game : ConsoleFixture {
    using ConsoleFixture::ConsoleFixture;

    bool step(const QString& s)
    {
        return operatorStep(
            [this](const QString& control, const QString& action, const QJsonObject& extra) {
                return act(control, action, extra);
            },
            s);
    }

    // What the operator sees of the game.
    QStringList screen()
    {
        QStringList out;
        for (const char* c : {"NameS_Lab", "SS_Lab", "NameP_Lab", "SBO_Lab(1)", "SBO_Lab(2)",
                              "SBO_Lab(3)", "Frame1", "TimesS_txt(1)", "TimesS_txt(2)", "BallG_txt",
                              "BallB_txt", "RHE1_txt(2)", "RHE2_txt(2)"})
            out << text(QString::fromLatin1(c));
        return out;
    }

    // Every table the console writes, rows in a fixed order.
    QStringList tables()
    {
        QStringList out;
        auto d = db::Database::open(tdb.connectionString(), db::Database::Pooling::Fresh);
        if (!d)
            return {d.error()};
        for (const QString& t : console::TodayCache::todayTables() + db::archiveTableNames()) {
            const auto rows = d.value()->query(QStringLiteral("SELECT * FROM ") + t);
            if (!rows)
                return {rows.error()};
            QStringList lines;
            for (const db::Row& r : *rows)
                lines << t + u':' + r.values().join(u'|');
            lines.sort();
            out += lines;
        }
        return out;
    }

    QString journalFile() { return console::Journal::besideSettings(h.settings.store.fileName()); }
    console::Journal journal()
    {
        console::Journal j(journalFile(), console::statementNames());
        j.load();
        return j;
    }
    int waiting() { return int(journal().pending().size()); }

    QLabel* panel3()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* console = qobject_cast<console::Baseball_Beat*>(w))
                return console->statusPanels()->findChildren<QLabel*>().value(2);
        return nullptr;
    }

    // The database goes away and comes back: the SQLite file is moved
    // away (chmod does not stop root), the server is stopped.
    void takeAway()
    {
        if (sqliteFile().isEmpty())
            server().pause();
        else
            QVERIFY(QFile::rename(sqliteFile(), sqliteFile() + QStringLiteral(".away")));
    }
    void bringBack()
    {
        if (sqliteFile().isEmpty())
            server().resume();
        else
            QVERIFY(QFile::rename(sqliteFile() + QStringLiteral(".away"), sqliteFile()));
    }
    QString sqliteFile()
    {
        const auto s = db::parseConnectionString(tdb.connectionString());
        return s && s->engine == db::ConnectionSettings::Engine::SQLite ? s->file : QString();
    }
};

} // namespace hp::test
