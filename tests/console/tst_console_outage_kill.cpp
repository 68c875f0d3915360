#include "ConsoleFixture.h"
#include "ConsoleProcess.h"
#include "GameProgress.h"
#include "JournalFixture.h"

#include <QJsonArray>
#include <csignal>
#include <sys/mount.h>

using namespace hp;
using console::Journal;
using test::Console;
using test::Game;
using test::server;

namespace {

bool step(Console& console, const QString& s)
{
    return test::operatorStep(
        [&](const QString& control, const QString& action, const QJsonObject& extra) {
            return console.act(test::C, control, action, extra);
        },
        s);
}

QStringList filesLike(const QString& dir, const QString& pattern)
{
    return QDir(dir).entryList({pattern}, QDir::Files);
}

// A small file system of its own for the settings file and its journal,
// filled up when asked; unmounted when done.
class FullFolder {
public:
    FullFolder()
    {
        m_mounted = ::mount("tmpfs", qPrintable(m_dir.path()), "tmpfs", 0, "size=256k") == 0;
    }
    ~FullFolder()
    {
        if (m_mounted)
            ::umount2(qPrintable(m_dir.path()), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    // Nothing more can be written.
    void fill()
    {
        QFile filler(m_dir.filePath(QStringLiteral("filler")));
        filler.open(QIODevice::WriteOnly);
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush())
            ;
        QFile small(m_dir.filePath(QStringLiteral("filler2")));
        small.open(QIODevice::WriteOnly);
        while (small.write("x", 1) == 1 && small.flush())
            ;
    }
    void empty()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("filler")));
        QFile::remove(m_dir.filePath(QStringLiteral("filler2")));
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// The console's PostgreSQL backends (every client of the game's database
// but the test's own) stopped, and always let go on again.
class FrozenBackends {
public:
    explicit FrozenBackends(db::Database& d)
    {
        const auto rows = d.query(
            QStringLiteral("SELECT pid FROM pg_stat_activity WHERE datname = current_database() "
                           "AND pid <> pg_backend_pid() AND backend_type = 'client backend'"));
        if (rows)
            for (const db::Row& r : *rows)
                if (::kill(pid_t(r.value(QStringLiteral("pid")).toLongLong()), SIGSTOP) == 0)
                    m_pids << pid_t(r.value(QStringLiteral("pid")).toLongLong());
    }
    ~FrozenBackends() { thaw(); }
    int count() const { return int(m_pids.size()); }
    void thaw()
    {
        for (const pid_t pid : std::exchange(m_pids, {}))
            ::kill(pid, SIGCONT);
    }

private:
    QList<pid_t> m_pids;
};

} // namespace

// Outages met by the program as its own process, killed without warning.
class TstConsoleOutageKill : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(test::useOwnServer()); }
    void cleanupTestCase() { server().stop(); }
    void cleanup() { db::Database::closePool(); }

    // A console killed during an outage leaves its journal; GO gives the
    // tables another game; a console started while the database is still
    // away cannot tell, adds to the journal and is killed too. Once the
    // database answers, the next start sets the journal aside, renamed with
    // every unit in it, and applies none of it to the new game.
    void aForeignJournalLeftByKillsIsNeverApplied_data() { test::TestDatabase::addEngineRows(); }
    void aForeignJournalLeftByKillsIsNeverApplied()
    {
        QFETCH(QString, engine);
        Game f(engine, false);
        QVERIFY(f.tdb.ok());
        const QString settings = f.h.settings.dir.filePath(QStringLiteral("settings.ini"));
        auto record = [&](int n) {
            return f.h.settings.dir.filePath(QStringLiteral("cg%1.jsonl").arg(n));
        };
        {
            Console first(settings, record(1));
            QVERIFY(first.start());
            f.takeAway();
            for (const char* s : {"S", "B", "一壘"})
                QVERIFY(step(first, QString::fromUtf8(s)));
            first.kill();
        }
        const int left = f.waiting();
        QVERIFY(left > 0);
        f.bringBack();
        QString newFirst;
        {
            auto d = f.tdb.open();
            const QStringList teams = setup::loadTeams(*d).value();
            const setup::Selection s{Game::team(*d, teams[2]), Game::team(*d, teams[3])};
            QVERIFY(d->transaction([&] { return setup::initialiseGame(*d, s); }));
            newFirst = teams[2];
        }
        for (const char* key : {"Round", "Half", "StrikeSF", "StrikeSL", "StrikeNow"})
            f.h.settings.store.erase(QString::fromLatin1(key));
        const QString newGame = db::gameIdentity(*f.tdb.open()).value().game;
        db::Database::closePool();
        f.takeAway();
        {
            Console second(settings, record(2));
            QVERIFY(second.start());
            for (const char* s : {"S", "S"})
                QVERIFY(step(second, QString::fromUtf8(s)));
            second.kill();
        }
        const int all = f.waiting();
        QVERIFY2(all >= left + 2, qPrintable(QString::number(all)));
        f.bringBack();
        Console third(settings, record(3));
        QVERIFY(third.start());
        const QString messages = third.messages().join(u'\n');
        QVERIFY2(messages.contains(QStringLiteral("另一場比賽")), qPrintable(messages));
        QVERIFY2(third.panels().value(2).contains(QStringLiteral("另一場比賽")),
                 qPrintable(third.panels().value(2)));
        QVERIFY(!QFile::exists(f.journalFile()));
        const QStringList aside =
            filesLike(f.h.settings.dir.path(), QStringLiteral("*.journal.jsonl.aside-*"));
        QCOMPARE(aside.size(), 1);
        Journal kept(f.h.settings.dir.filePath(aside[0]), console::statementNames());
        kept.load();
        QCOMPARE(kept.pending().size(), all);
        third.kill();
        // The new game as GO left it.
        QCOMPARE(db::gameIdentity(*f.tdb.open()).value().game, newGame);
        QCOMPARE(f.row(QStringLiteral("SELECT Item1,S,B FROM SBO表")).values(),
                 (QStringList{newFirst, QStringLiteral("0"), QStringLiteral("0")}));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("安打")),
            QStringLiteral("0"));
    }

    // The console's PostgreSQL backend freezes in the middle of the game:
    // each action waits a quarter of a second at most and goes to the
    // journal; killed then, the console comes back once the backend goes on
    // and stores each action once, in order.
    void aConsoleKilledOnAFrozenBackendStoresEachActionOnce()
    {
        if (qEnvironmentVariable("HOMEPLATE_TEST_PG").isEmpty())
            QSKIP("no PostgreSQL server");
        Game f(QStringLiteral("postgresql"), false);
        QVERIFY(f.tdb.ok());
        const QString settings = f.h.settings.dir.filePath(QStringLiteral("settings.ini"));
        Console console(settings, f.h.settings.dir.filePath(QStringLiteral("cg1.jsonl")));
        QVERIFY(console.start());
        QVERIFY(step(console, QStringLiteral("S"))); // stored: 1-0
        auto own = f.tdb.open();
        FrozenBackends frozen(*own);
        QVERIFY(frozen.count() > 0);
        QElapsedTimer t;
        t.start();
        QVERIFY(step(console, QStringLiteral("B")));
        const qint64 first = t.restart();
        QVERIFY(step(console, QStringLiteral("B")));
        QVERIFY(step(console, QStringLiteral("S")));
        const qint64 next = t.elapsed();
        const QStringList screen = console.screen().filter(QStringLiteral("SBO_Lab("));
        qInfo("frozen backend, the console as its own process: %lld ms, then %lld ms for two",
              first, next);
        QVERIFY2(first < 1500 && next < 1500, qPrintable(QString::number(first)));
        QCOMPARE(screen,
                 (QStringList{QStringLiteral("SBO_Lab(1)=2"), QStringLiteral("SBO_Lab(2)=2"),
                              QStringLiteral("SBO_Lab(3)=0")}));
        console.kill();
        frozen.thaw();
        own.reset();
        Console again(settings, f.h.settings.dir.filePath(QStringLiteral("cg2.jsonl")));
        QVERIFY(again.start());
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(f.journalFile()), 15000);
        QCOMPARE(again.screen().filter(QStringLiteral("SBO_Lab(")), screen);
        again.kill();
        QCOMPARE(f.row(QStringLiteral("SELECT S,B FROM SBO表")).values(),
                 (QStringList{QStringLiteral("2"), QStringLiteral("2")}));
        QVERIFY(f.journal().readRejected().isEmpty());
    }

    // The folder of the settings file fills up while actions wait in the
    // journal. The panel says the new ones are in memory only and claims
    // nothing stored; killed then, those are gone. The next start stores
    // the ones the journal holds, whole, and nothing else: no piece of a
    // line that did not fit spoils them.
    void aFullJournalFolderClaimsNothing_data() { test::TestDatabase::addEngineRows(); }
    void aFullJournalFolderClaimsNothing()
    {
        QFETCH(QString, engine);
        FullFolder folder;
        if (!folder.mounted())
            QSKIP("cannot mount a file system of the test's own here");
        Game f(engine, false);
        QVERIFY(f.tdb.ok());
        const QString settings = QDir(folder.path()).filePath(QStringLiteral("settings.ini"));
        QVERIFY(QFile::copy(f.h.settings.dir.filePath(QStringLiteral("settings.ini")), settings));
        const QString journal = Journal::besideSettings(settings);
        Console console(settings, f.h.settings.dir.filePath(QStringLiteral("cg1.jsonl")));
        QVERIFY(console.start());
        QVERIFY(step(console, QStringLiteral("S"))); // stored: 1-0
        f.takeAway();
        QVERIFY(step(console, QStringLiteral("B"))); // in the journal: 1-1
        const QByteArray kept = [&] {
            QFile j(journal);
            return j.open(QIODevice::ReadOnly) ? j.readAll() : QByteArray();
        }();
        QVERIFY(!kept.isEmpty());
        folder.fill();
        // The journal's last block still takes a line or two: strikes up and
        // down until a line does not fit.
        QString panel;
        int pressed = 0;
        while (pressed < 200 && !panel.contains(QStringLiteral("動作只在記憶體中"))) {
            QJsonObject extra;
            if (pressed % 2 == 1)
                extra.insert(QStringLiteral("mods"), QJsonArray{QStringLiteral("ctrl")});
            QVERIFY(Console::ok(console.act(test::C, QStringLiteral("SBO_Lab(1)"),
                                            QStringLiteral("press"), extra)));
            ++pressed;
            panel = console.panels().value(2);
        }
        QVERIFY2(panel.contains(QStringLiteral("動作日誌無法寫入")) &&
                     panel.contains(QStringLiteral("動作只在記憶體中")),
                 qPrintable(panel));
        QVERIFY2(!panel.contains(QStringLiteral("已存入")), qPrintable(panel));
        // A retry tick later, still nothing claimed.
        QTest::qWait(2500);
        QVERIFY2(!console.panels().value(2).contains(QStringLiteral("已存入")),
                 qPrintable(console.panels().value(2)));
        console.kill();
        // What the file holds is whole lines: the B and the presses that fit.
        Journal left(journal, console::statementNames());
        left.load();
        QVERIFY2(left.problems().isEmpty(), qPrintable(left.problems().join(u'\n')));
        const qsizetype fitted = left.pending().size() - 1;
        QVERIFY(fitted >= 0 && fitted < pressed);
        const QString strikes = fitted % 2 == 1 ? QStringLiteral("2") : QStringLiteral("1");
        folder.empty();
        f.bringBack();
        Console again(settings, f.h.settings.dir.filePath(QStringLiteral("cg2.jsonl")));
        QVERIFY(again.start());
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(journal), 8000);
        const QString messages = again.messages().join(u'\n');
        QVERIFY2(!messages.contains(QStringLiteral("動作日誌")), qPrintable(messages));
        QVERIFY(filesLike(folder.path(), QStringLiteral("*.journal*")).isEmpty());
        QCOMPARE(again.screen().filter(QStringLiteral("SBO_Lab(")),
                 (QStringList{QStringLiteral("SBO_Lab(1)=") + strikes,
                              QStringLiteral("SBO_Lab(2)=1"), QStringLiteral("SBO_Lab(3)=0")}));
        again.kill();
        QCOMPARE(f.row(QStringLiteral("SELECT S,B FROM SBO表")).values(),
                 (QStringList{strikes, QStringLiteral("1")}));
    }
};

QTEST_MAIN(TstConsoleOutageKill)
#include "tst_console_outage_kill.moc"
