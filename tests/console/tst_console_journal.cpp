#include "Baseball_Beat.h"
#include "ConnectionString.h"
#include "ConsoleDatabase.h"
#include "ConsoleFixture.h"
#include "ConsoleStatements.h"
#include "Journal.h"
#include "Outcomes.h"
#include "PanelStatusBar.h"
#include "Schema.h"
#include "TodayCache.h"

#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace hp;
using console::Journal;
using console::TodayCache;
using test::ConsoleFixture;

namespace {

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

OwnServer& server()
{
    static OwnServer s;
    return s;
}

struct Game : ConsoleFixture {
    using ConsoleFixture::ConsoleFixture;

    // One operator step: a count click, the next batter, the change of
    // half-inning, or an outcome from its tab.
    bool step(const QString& s)
    {
        if (s == QStringLiteral("S") || s == QStringLiteral("B") || s == QStringLiteral("O"))
            return press(QStringLiteral("SBO_Lab(%1)").arg(QStringLiteral("SBO").indexOf(s) + 1));
        if (s == QStringLiteral("next"))
            return click(QStringLiteral("Command4"));
        if (s == QStringLiteral("half"))
            return click(QStringLiteral("Next_Command"));
        const game::OutcomeRule* rule = game::findOutcome(s);
        const bool out = rule->tab == game::OutcomeTab::Out;
        act(QStringLiteral("SSTab3"), QStringLiteral("select"),
            {{QStringLiteral("index"), out ? 1 : 0}});
        return click(QStringLiteral("Command%1(%2)").arg(out ? 2 : 1).arg(rule->index));
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
        for (const QString& t : TodayCache::todayTables() + db::archiveTableNames()) {
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

    QString journalFile() { return Journal::besideSettings(h.settings.store.fileName()); }
    Journal journal()
    {
        Journal j(journalFile());
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

// Two outs, the change of half-inning and the first batters of the other
// team, with count clicks between the outcomes.
const QStringList kScript{
    QStringLiteral("S"),    QStringLiteral("B"),    QStringLiteral("一壘"), QStringLiteral("next"),
    QStringLiteral("S"),    QStringLiteral("S"),    QStringLiteral("三振"), QStringLiteral("next"),
    QStringLiteral("B"),    QStringLiteral("S"),    QStringLiteral("刺殺"), QStringLiteral("next"),
    QStringLiteral("B"),    QStringLiteral("二壘"), QStringLiteral("next"), QStringLiteral("S"),
    QStringLiteral("外飛"), QStringLiteral("half"), QStringLiteral("S"),    QStringLiteral("B"),
    QStringLiteral("一壘"), QStringLiteral("next"), QStringLiteral("S"),    QStringLiteral("S"),
    QStringLiteral("三振"), QStringLiteral("next"), QStringLiteral("B")};
constexpr int kAway = 8;     // the database goes before this step
constexpr int kRestart = 15; // the console restarts before this step
constexpr int kBack = 22;    // and comes back before this one

// Restart: the console restarts in mid half-inning with the database there.
enum class Outage { None, Restart, Continuous, RestartWhileDown, RestartAfterBack };

struct Run {
    QList<QStringList> screens; // after each step
    QStringList tables;
};

} // namespace

Q_DECLARE_METATYPE(Outage)

class TstConsoleJournal : public QObject {
    Q_OBJECT

    bool m_ownServer = false;
    QMap<QString, Run> m_reference;

    void play(const QString& engine, Outage outage, Run& run)
    {
        Game f(engine);
        QVERIFY(f.tdb.ok());
        for (int i = 0; i < kScript.size(); ++i) {
            const bool outageRun = outage != Outage::None && outage != Outage::Restart;
            if (outageRun && i == kAway) {
                f.takeAway();
                db::Database::closePool();
            }
            if (i == kRestart && (outage == Outage::Restart || outage == Outage::RestartWhileDown ||
                                  outage == Outage::RestartAfterBack)) {
                const QStringList before = f.screen();
                f.closeConsole();
                if (outage == Outage::RestartAfterBack)
                    f.bringBack();
                f.open();
                // The same pitch, before and after.
                QCOMPARE(f.screen(), before);
                if (outage == Outage::RestartAfterBack)
                    QCOMPARE(f.waiting(), 0); // stored before the opening read the tables
            }
            if (outageRun && outage != Outage::RestartAfterBack && i == kBack) {
                // One retry fails while the database is away.
                QTest::qWait(2200);
                QVERIFY(f.waiting() > 0);
                f.bringBack();
                // Without a click the waiting actions are stored within 5 s.
                QTRY_COMPARE_WITH_TIMEOUT(f.waiting(), 0, 5000);
                QVERIFY(!QFile::exists(f.journalFile()));
                QVERIFY(!f.panel3()->autoFillBackground());
                QVERIFY2(f.h.panels(test::C).value(2).contains(QStringLiteral("已寫入")),
                         qPrintable(f.h.panels(test::C).value(2)));
            }
            QVERIFY2(f.step(kScript[i]), qPrintable(QString::number(i) + kScript[i]));
            run.screens << f.screen();
            const bool away = outageRun && i >= kAway &&
                              (outage == Outage::RestartAfterBack ? i < kRestart : i < kBack);
            if (away && f.waiting() > 0) {
                // The panel counts the actions waiting, in red.
                QVERIFY2(f.h.panels(test::C).value(2).contains(
                             QStringLiteral("%1筆動作等待").arg(f.waiting())),
                         qPrintable(f.h.panels(test::C).value(2)));
                QVERIFY(f.panel3()->autoFillBackground());
            }
            if (away && i == kAway + 2)
                QVERIFY(f.waiting() > 0);
        }
        QCOMPARE(f.waiting(), 0);
        QVERIFY(f.journal().rejected().isEmpty());
        run.tables = f.tables();
        QVERIFY(!run.tables.isEmpty());
    }

private slots:
    void initTestCase()
    {
        if (!qEnvironmentVariable("HOMEPLATE_TEST_PG").isEmpty()) {
            QVERIFY(server().start());
            qputenv("HOMEPLATE_TEST_PG", server().connection().toUtf8());
            m_ownServer = true;
        }
    }
    void cleanupTestCase()
    {
        if (m_ownServer)
            server().stop();
    }
    void cleanup() { db::Database::closePool(); }

    void theJournalKeepsTypedUnitsInOneFile()
    {
        QTemporaryDir dir;
        const QString file = Journal::besideSettings(dir.filePath(QStringLiteral("homeplate.ini")));
        QCOMPARE(QFileInfo(file).fileName(), QStringLiteral("homeplate.journal.json"));
        const QDateTime at(QDate(2026, 12, 8), QTime(19, 30, 1, 250));
        Journal j(file);
        j.append({{QStringLiteral("UPDATE SBO表 SET S=?,B=?,O=?"),
                   {QStringLiteral("2"), QVariant(qlonglong(9007199254740993)), QVariant(1.5)}},
                  {QStringLiteral("UPDATE x SET a=?,b=?,c=?"),
                   {QVariant(), QVariant(true), QStringLiteral("中文'\"\n")}}},
                 at);
        j.append({{QStringLiteral("DELETE FROM 下三棒"), {}}}, at.addSecs(1));
        j.setTables(QJsonObject{{QStringLiteral("SBO表"), QJsonObject{}}});
        QVERIFY(j.save());
        // Written whole: no temporary file stays beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QFileInfo(file).fileName()});

        Journal back(file);
        QVERIFY(back.load());
        QCOMPARE(back.pending().size(), 2);
        const db::Statement& s = back.pending()[0].statements[0];
        QCOMPARE(s.values[0].typeId(), QMetaType::QString);
        QCOMPARE(s.values[1].typeId(), QMetaType::LongLong);
        QCOMPARE(s.values[1].toLongLong(), qlonglong(9007199254740993)); // no digit lost
        QCOMPARE(s.values[2].typeId(), QMetaType::Double);
        const db::Statement& t = back.pending()[0].statements[1];
        QVERIFY(t.values[0].isNull());
        QCOMPARE(t.values[1].typeId(), QMetaType::Bool);
        QCOMPARE(t.values[2].toString(), QStringLiteral("中文'\"\n"));
        QCOMPARE(back.pending()[0].at, at);
        QVERIFY(back.tables().contains(QStringLiteral("SBO表")));

        // A stored unit leaves; a refused one is set aside with the words.
        back.dropFirst();
        back.rejectFirst(QStringLiteral("no such table"));
        QVERIFY(back.save());
        Journal after(file);
        QVERIFY(after.load());
        QVERIFY(!after.hasPending());
        QCOMPARE(after.rejected().size(), 1);
        QCOMPARE(after.rejected()[0].error, QStringLiteral("no such table"));
        QCOMPARE(after.rejected()[0].statements[0].sql, QStringLiteral("DELETE FROM 下三棒"));

        // An empty journal is no file; a broken one is moved aside and reported.
        after.dropFirst();
        Journal empty(file);
        QVERIFY(empty.save());
        QVERIFY(!QFile::exists(file));
        QFile broken(file);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("{\"pending\": [1");
        broken.close();
        const auto loaded = empty.load();
        QVERIFY(!loaded);
        QVERIFY(loaded.error().contains(file));
        QVERIFY(QFile::exists(file + QStringLiteral(".unreadable")));
        QVERIFY(!empty.hasPending());
    }

    void theKeptRowsAnswerAsTheDatabaseWould_data() { test::TestDatabase::addEngineRows(); }
    void theKeptRowsAnswerAsTheDatabaseWould()
    {
        QFETCH(QString, engine);
        Game f(engine, false);
        QVERIFY(f.tdb.ok());
        auto d = f.tdb.open();
        TodayCache cache;
        for (const QString& t : TodayCache::keptTables())
            cache.keep(t, d->query(QStringLiteral("SELECT * FROM ") + t).value());
        const auto& first = f.selection.first;
        const auto& second = f.selection.second;
        const QString team = second.team;
        const console::RosterPlayer reliever{f.numberOf(f.selection.second.pitcher),
                                             f.nameOf(f.selection.second.pitcher), team};
        const QDateTime at(QDate(2026, 12, 8), QTime(19, 0));
        // The console's writes, to both.
        db::Statements writes;
        writes << console::saveBatterStats(false, 3,
                                           {QStringLiteral("2"),
                                            QStringLiteral("1"),
                                            QStringLiteral("0"),
                                            QStringLiteral("1"),
                                            QStringLiteral(".500"),
                                            {QStringLiteral("一壘"), QStringLiteral("三振")}})
               << console::savePitcherStats(
                      true, {QStringLiteral("9"), QStringLiteral("甲"), QStringLiteral("4"),
                             QStringLiteral("12"), QStringLiteral("7"), QStringLiteral("2"),
                             QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("1"),
                             QStringLiteral("1"), QStringLiteral("1")});
        writes += console::substitute(
            true,
            d->query(QStringLiteral("SELECT * FROM SL今日成績 WHERE 棒次=?"), {QStringLiteral("5")})
                .value()
                .first(),
            {f.numberOf(first.order[0]), f.nameOf(first.order[0]), first.team}, at);
        writes += console::changePitcher(false, reliever, at);
        writes << console::saveSboState({QStringLiteral("甲"), QStringLiteral("乙"),
                                         QStringLiteral("1"), QStringLiteral("2"),
                                         QStringLiteral("1"), std::array{true, false, true},
                                         QStringLiteral("3"), QStringLiteral("0")});
        console::LineScoreRow r1, r2;
        r1.cells.fill(QStringLiteral("\u3000"));
        r2.cells.fill(QStringLiteral("\u3000"));
        r1.cells[0] = QStringLiteral("3");
        r1.runs = QStringLiteral("3");
        r2.runs = QStringLiteral("0");
        writes += console::saveLineScore(r1, r2);
        for (int round = 0; round < 2; ++round) {
            console::ConsoleDatabase cdb([&] { return f.tdb.connectionString(); });
            writes += console::rebuildNextThree(cdb, round == 1, 7 + round).statements;
        }
        for (const db::Statement& s : writes) {
            QVERIFY2(d->exec(s.sql, s.values), qPrintable(s.sql));
            cache.apply(s);
        }
        // The console's reads and the graphics' reads, answered alike.
        const db::Statements reads{
            {QStringLiteral("SELECT * FROM SF今日成績 WHERE 棒次=?"), {QStringLiteral("3")}},
            {QStringLiteral("SELECT * FROM SL今日成績 WHERE 棒次=?"), {QStringLiteral("5")}},
            {QStringLiteral("SELECT 棒次,姓名,安打,打數,隊名 FROM SF今日成績 WHERE 棒次=?"),
             {QStringLiteral("9")}},
            {QStringLiteral("SELECT * FROM PF今日成績 LIMIT 1"), {}},
            {QStringLiteral("SELECT * FROM PL今日成績 LIMIT 1"), {}},
            {QStringLiteral("SELECT S,B,O,Base1,Base2,Base3 FROM SBO表 LIMIT 1"), {}},
            {QStringLiteral("SELECT * FROM RHE ORDER BY Half ASC"), {}},
            {QStringLiteral("SELECT * FROM 下三棒 ORDER BY Seq"), {}},
            {QStringLiteral("SELECT * FROM 退場打者今日 WHERE 先後攻=? ORDER BY Seq"),
             {QStringLiteral("後攻")}},
            {QStringLiteral("SELECT 姓名,守位 FROM SL今日成績 WHERE 守位<>? ORDER BY "
                            "LENGTH(棒次),棒次 LIMIT 9"),
             {QStringLiteral("DH")}},
            {QStringLiteral("SELECT * FROM 打擊整隊表年度 WHERE 背號=? AND 隊名=?"),
             {f.numberOf(first.order[2]), first.team}},
            {QStringLiteral("SELECT 背號,姓名 FROM 投手整隊表年度 WHERE 隊名=? AND 姓名<>? "
                            "ORDER BY 背號"),
             {team, reliever.name}},
        };
        for (const db::Statement& q : reads) {
            const auto kept = cache.answer(q);
            QVERIFY2(kept, qPrintable(q.sql));
            QStringList want, got;
            const auto rows = d->query(q.sql, q.values);
            QVERIFY2(rows, qPrintable(rows.error()));
            for (const db::Row& r : *rows)
                want << r.values().join(u'|');
            for (const db::Row& r : *kept)
                got << r.values().join(u'|');
            QCOMPARE(got, want);
        }
        // What it does not keep, or cannot follow, it does not answer.
        QVERIFY(!cache.answer({QStringLiteral("SELECT * FROM 投手基本資料"), {}}));
        QVERIFY(!cache.answer({QStringLiteral("SELECT COUNT(*) FROM SBO表"), {}}));
        cache.apply({QStringLiteral("UPDATE SBO表 SET S=S+1"), {}});
        QVERIFY(!cache.answer({QStringLiteral("SELECT S FROM SBO表"), {}}));
        QVERIFY(cache.answer({QStringLiteral("SELECT * FROM RHE"), {}}));
    }

    void anOutageIsRiddenOut_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<Outage>("outage");
        for (const QString& e : test::TestDatabase::engines()) {
            QTest::addRow("%s continuous", qPrintable(e)) << e << Outage::Continuous;
            QTest::addRow("%s restart while down", qPrintable(e)) << e << Outage::RestartWhileDown;
            QTest::addRow("%s restart after", qPrintable(e)) << e << Outage::RestartAfterBack;
        }
    }
    void anOutageIsRiddenOut()
    {
        QFETCH(QString, engine);
        QFETCH(Outage, outage);
        // The same operator steps (and restart) with the database there throughout.
        const Outage same = outage == Outage::Continuous ? Outage::None : Outage::Restart;
        const QString key = engine + QString::number(int(same));
        if (!m_reference.contains(key)) {
            Run reference;
            play(engine, same, reference);
            if (QTest::currentTestFailed())
                return;
            m_reference.insert(key, reference);
        }
        Run run;
        play(engine, outage, run);
        if (QTest::currentTestFailed())
            return;
        const Run& reference = m_reference[key];
        // The operator saw the same game, and the tables are those of a run
        // without the outage.
        for (int i = 0; i < kScript.size(); ++i)
            QCOMPARE(run.screens.value(i), reference.screens.value(i));
        QCOMPARE(run.tables, reference.tables);
    }

    void aLockedDatabaseHoldsTheWindowOnlyOnce_data() { test::TestDatabase::addEngineRows(); }
    void aLockedDatabaseHoldsTheWindowOnlyOnce()
    {
        QFETCH(QString, engine);
        test::TestDatabase tdb(engine);
        QVERIFY(tdb.ok());
        tdb.open()->exec(QStringLiteral("INSERT INTO SBO表 (S) VALUES ('0')"));
        QTemporaryDir dir;
        console::ConsoleDatabase db([&] { return tdb.connectionString(); });
        db.setJournal(std::make_unique<Journal>(dir.filePath(QStringLiteral("j.json"))));
        db.keepGameTables();
        // Another session holds the lock.
        auto other = std::move(
            db::Database::open(tdb.connectionString(), db::Database::Pooling::Fresh).value());
        if (engine == QStringLiteral("sqlite")) {
            QVERIFY(other->exec(QStringLiteral("BEGIN EXCLUSIVE")));
        } else {
            QVERIFY(other->begin());
            QVERIFY(other->exec(QStringLiteral("LOCK TABLE SBO表 IN ACCESS EXCLUSIVE MODE")));
        }
        const auto setStrikes = [](const char* s) {
            return db::Statement{QStringLiteral("UPDATE SBO表 SET S=?"), {QString::fromLatin1(s)}};
        };
        QElapsedTimer t;
        t.start();
        db.store(setStrikes("1")); // waits out the 2-second bound once
        QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(db.waitingUnits(), 1);
        t.restart();
        db.store(setStrikes("2")); // the next action tries the journal first, briefly
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(db.waitingUnits(), 2);
        QCOMPARE(db.firstRow(QStringLiteral("SELECT S FROM SBO表"))->value(QStringLiteral("S")),
                 QStringLiteral("2"));
        // A read the kept rows cannot answer is refused and named.
        QSignalSpy waiting(&db, &console::ConsoleDatabase::waiting);
        QVERIFY(!db.query(QStringLiteral("SELECT * FROM 投手基本資料")));
        QCOMPARE(waiting.count(), 1);
        QCOMPARE(waiting.first().at(0).toInt(), 2);
        QVERIFY(waiting.first().at(1).toString().contains(QStringLiteral("投手基本資料")));
        t.restart();
        db.retry(); // and so does the timer's
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(db.waitingUnits(), 2);
        QCOMPARE(waiting.count(), 1); // nothing new to say
        other->rollback();
        other.reset();
        db.retry();
        QCOMPARE(db.waitingUnits(), 0);
        QCOMPARE(tdb.open()
                     ->query(QStringLiteral("SELECT S FROM SBO表"))
                     .value()
                     .first()
                     .value(QStringLiteral("S")),
                 QStringLiteral("2"));
    }

    // While the database is away the choosers are answered from the kept
    // rows as they would be from the tables, and a substitution made then
    // is stored when it is back.
    void theChoosersAnswerWhileTheDatabaseIsAway_data() { test::TestDatabase::addEngineRows(); }
    void theChoosersAnswerWhileTheDatabaseIsAway()
    {
        QFETCH(QString, engine);
        Game f(engine);
        QVERIFY(f.tdb.ok());
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        const QStringList substitutes = f.items(QStringLiteral("BackupS_Combo"));
        QVERIFY(f.h.ok(f.act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"))));
        const QStringList relievers = f.items(QStringLiteral("BackupP_Combo"));
        QVERIFY(substitutes.size() > 1 && relievers.size() > 1);

        f.takeAway();
        db::Database::closePool();
        QVERIFY(f.h.ok(f.act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"))));
        QCOMPARE(f.items(QStringLiteral("BackupP_Combo")), relievers);
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        QCOMPARE(f.items(QStringLiteral("BackupS_Combo")), substitutes);
        QVERIFY(f.h.ok(f.act(QStringLiteral("BackupS_Combo"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 0}})));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(substitutes[0]));
        QVERIFY(f.waiting() > 0);
        // The one who came in has played, the one who left too.
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        QCOMPARE(f.items(QStringLiteral("BackupS_Combo")), substitutes.mid(1));

        f.bringBack();
        QTRY_COMPARE_WITH_TIMEOUT(f.waiting(), 0, 5000);
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("姓名")),
            f.nameOf(substitutes[0]));
        QCOMPARE(f.count(QStringLiteral("退場打者今日")), 1);
    }

    void anActionWithoutTheGamesRowsIsNotKept()
    {
        // The database away from the start: nothing to answer reads from, so
        // the action fails as it always did and nothing waits.
        QTemporaryDir dir;
        console::ConsoleDatabase db(
            [] { return QStringLiteral("Provider=SQLite;Data Source=/nonexistent/none.db"); });
        db.setJournal(std::make_unique<Journal>(dir.filePath(QStringLiteral("j.json"))));
        QSignalSpy failed(&db, &console::ConsoleDatabase::failed);
        db.keepGameTables();
        db.store({QStringLiteral("UPDATE SBO表 SET S=?"), {QStringLiteral("1")}});
        QCOMPARE(db.waitingUnits(), 0);
        QVERIFY(!failed.isEmpty());
        QVERIFY(failed.last().first().toString().contains(QStringLiteral("none.db")));
    }

    void aRefusedUnitIsSetAside_data() { test::TestDatabase::addEngineRows(); }
    void aRefusedUnitIsSetAside()
    {
        QFETCH(QString, engine);
        Game f(engine, false);
        QVERIFY(f.tdb.ok());
        // Left by an earlier run: three actions, the second of which the
        // database refuses.
        Journal j(f.journalFile());
        const QString archive = QStringLiteral("INSERT INTO 退場打者今日 (姓名) VALUES (?)");
        j.append({{archive, {QStringLiteral("甲")}}}, QDateTime::currentDateTime());
        j.append({{archive, {QStringLiteral("乙")}},
                  {QStringLiteral("UPDATE 沒有這個表 SET S=?"), {QStringLiteral("1")}}},
                 QDateTime::currentDateTime());
        j.append({{archive, {QStringLiteral("丙")}}}, QDateTime::currentDateTime());
        QVERIFY(j.save());
        f.open();
        // The opening stored the other two in order, the refused one not at all.
        QCOMPARE(f.waiting(), 0);
        auto d = f.tdb.open();
        QStringList names;
        const auto rows = d->query(QStringLiteral("SELECT 姓名 FROM 退場打者今日 ORDER BY Seq"));
        QVERIFY(rows);
        for (const db::Row& r : *rows)
            names << r.value(QStringLiteral("姓名"));
        QCOMPARE(names, (QStringList{QStringLiteral("甲"), QStringLiteral("丙")}));
        const Journal after = f.journal();
        QCOMPARE(after.rejected().size(), 1);
        QCOMPARE(after.rejected()[0].statements.size(), 2);
        const QString words = after.rejected()[0].error;
        QVERIFY2(words.contains(QStringLiteral("沒有這個表")), qPrintable(words));
        // Reported in red with the engine's words and where to look.
        const QString panel = f.h.panels(test::C).value(2);
        QVERIFY2(panel.contains(words) && panel.contains(f.journalFile()), qPrintable(panel));
        QVERIFY(f.panel3()->autoFillBackground());

        // Refused as it is made: set aside too, the tables untouched.
        console::ConsoleDatabase live([&] { return f.tdb.connectionString(); });
        live.setJournal(std::make_unique<Journal>(f.journalFile()));
        live.keepGameTables();
        live.store(
            {{archive, {QStringLiteral("丁")}},
             {QStringLiteral("INSERT INTO 沒有這個表 (S) VALUES (?)"), {QStringLiteral("1")}}});
        QCOMPARE(f.count(QStringLiteral("退場打者今日")), 2);
        QCOMPARE(f.journal().rejected().size(), 2);
        QCOMPARE(f.journal().rejected()[1].statements.size(), 2);
        QCOMPARE(live.waitingUnits(), 0);
    }
};

QTEST_MAIN(TstConsoleJournal)
#include "tst_console_journal.moc"
