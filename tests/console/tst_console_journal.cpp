#include "Baseball_Beat.h"
#include "ConnectionString.h"
#include "ConsoleDatabase.h"
#include "ConsoleFixture.h"
#include "ConsoleStatements.h"
#include "GameProgress.h"
#include "Journal.h"
#include "JournalDrain.h"
#include "JournalFixture.h"
#include "Outcomes.h"
#include "PanelStatusBar.h"
#include "Schema.h"
#include "TodayCache.h"

#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <thread>

using namespace hp;
using console::Journal;
using console::TodayCache;
using test::ConsoleFixture;
using test::Game;
using test::server;

namespace {

const QString kMissing = QStringLiteral("UPDATE 沒有這個表 SET S=?");

db::Statement archive(const char* name)
{
    return {QStringLiteral("INSERT INTO 退場打者今日 (姓名) VALUES (?)"),
            {QString::fromUtf8(name)}};
}

db::Statement setStrikes(const char* s)
{
    return {QStringLiteral("UPDATE SBO表 SET S=?"), {QString::fromLatin1(s)}};
}

// The statements of the tests below that work on a ConsoleDatabase alone.
console::StatementNames sboNames()
{
    console::StatementNames names;
    names.add(QStringLiteral("Strikes"), setStrikes("0").sql);
    names.add(QStringLiteral("Archive"), archive("").sql);
    names.add(QStringLiteral("Missing"), kMissing);
    return names;
}

QByteArray readAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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
                if (outage == Outage::RestartAfterBack) // stored soon after the opening
                    QTRY_COMPARE_WITH_TIMEOUT(f.waiting(), 0, 5000);
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
        QVERIFY(f.journal().readRejected().isEmpty());
        run.tables = f.tables();
        QVERIFY(!run.tables.isEmpty());
    }

private slots:
    void initTestCase() { QVERIFY(test::useOwnServer()); }
    void cleanupTestCase() { server().stop(); }
    void cleanup() { db::Database::closePool(); }

    void theJournalKeepsNamedUnitsOneALine()
    {
        QTemporaryDir dir;
        const QString file = Journal::besideSettings(dir.filePath(QStringLiteral("homeplate.ini")));
        QCOMPARE(QFileInfo(file).fileName(), QStringLiteral("homeplate.journal.jsonl"));
        console::StatementNames names;
        names.add(QStringLiteral("Sbo"), QStringLiteral("UPDATE SBO表 SET S=?,B=?,O=?"));
        names.add(QStringLiteral("X"), QStringLiteral("UPDATE x SET a=?,b=?,c=?"));
        names.add(QStringLiteral("Clear"), QStringLiteral("DELETE FROM 下三棒"));
        const QDateTime at(QDate(2026, 12, 8), QTime(19, 30, 1, 250));
        Journal j(file, names);
        j.setGame(QStringLiteral("game-1"), QStringLiteral("demo.db"));
        j.setTables(QJsonObject{{QStringLiteral("SBO表"), QJsonObject{}}}, 7);
        QVERIFY(j.append(
            {7,
             QStringLiteral("game-1"),
             at,
             {{QStringLiteral("UPDATE SBO表 SET S=?,B=?,O=?"),
               {QStringLiteral("2"), QVariant(qlonglong(9007199254740993)), QVariant(1.5)}},
              {QStringLiteral("UPDATE x SET a=?,b=?,c=?"),
               {QVariant(), QVariant(true), QStringLiteral("中文'\"\n")}}}}));
        const QByteArray afterFirst = readAll(file);
        QVERIFY(j.append({8,
                          QStringLiteral("game-1"),
                          at.addSecs(1),
                          {{QStringLiteral("DELETE FROM 下三棒"), {}}}}));
        // Appended: the file grows by one line per unit, and holds names, no SQL.
        const QByteArray bytes = readAll(file);
        QVERIFY(bytes.startsWith(afterFirst));
        QCOMPARE(bytes.count('\n'), 3);
        QVERIFY(!bytes.contains("UPDATE") && !bytes.contains("DELETE"));

        Journal back(file, names);
        back.load();
        QVERIFY2(back.problems().isEmpty(), qPrintable(back.problems().join(u'\n')));
        QCOMPARE(back.game(), QStringLiteral("game-1"));
        QCOMPARE(back.tablesThrough(), 7);
        QVERIFY(back.tables().contains(QStringLiteral("SBO表")));
        QCOMPARE(back.pending().size(), 2);
        QCOMPARE(back.pending()[0].seq, 7);
        QCOMPARE(back.lastSeq(), 8);
        const db::Statement& s = back.pending()[0].statements[0];
        QCOMPARE(s.sql, QStringLiteral("UPDATE SBO表 SET S=?,B=?,O=?"));
        QCOMPARE(s.values[0].typeId(), QMetaType::QString);
        QCOMPARE(s.values[1].typeId(), QMetaType::LongLong);
        QCOMPARE(s.values[1].toLongLong(), qlonglong(9007199254740993)); // no digit lost
        QCOMPARE(s.values[2].typeId(), QMetaType::Double);
        const db::Statement& t = back.pending()[0].statements[1];
        QVERIFY(t.values[0].isNull());
        QCOMPARE(t.values[1].typeId(), QMetaType::Bool);
        QCOMPARE(t.values[2].toString(), QStringLiteral("中文'\"\n"));
        QCOMPARE(back.pending()[0].at, at);

        // Stored units leave; with none waiting the file goes.
        QVERIFY(back.stored(7));
        QVERIFY(QFile::exists(file));
        QVERIFY(back.stored(8));
        QVERIFY(!QFile::exists(file));
    }

    void whatAJournalMayNotRunIsSetAside()
    {
        QTemporaryDir dir;
        const QString file = Journal::besideSettings(dir.filePath(QStringLiteral("homeplate.ini")));
        console::StatementNames names;
        names.add(QStringLiteral("Sbo"), QStringLiteral("UPDATE SBO表 SET S=?"));
        auto write = [](const QString& name, const QByteArray& bytes) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        const QByteArray head =
            "{\"journal\":2,\"game\":\"g\",\"database\":\"d\",\"through\":0,\"tables\":{}}";
        const QByteArray unit = "{\"seq\":1,\"game\":\"g\",\"at\":\"\",\"statements\":[{\"name\":"
                                "\"Sbo\",\"values\":[{\"type\":\"text\",\"value\":\"1\"}]}]}";
        // A statement text instead of a name, a name the console does not
        // have, another game, a number out of order, a line cut short.
        write(
            file,
            head + '\n' + unit + '\n' +
                "{\"seq\":2,\"game\":\"g\",\"statements\":[{\"sql\":\"DROP TABLE "
                "打擊整隊表年度\",\"values\":[]}]}" +
                '\n' +
                "{\"seq\":3,\"game\":\"g\",\"statements\":[{\"name\":\"DropAll\",\"values\":[]}]}" +
                '\n' + "{\"seq\":4,\"game\":\"h\",\"statements\":[]}" + '\n' +
                "{\"seq\":1,\"game\":\"g\",\"statements\":[]}" + '\n' + "{\"seq\":5,\"ga");
        // The older form, which held statement texts.
        write(file.chopped(1),
              "{\"pending\":[{\"statements\":[{\"sql\":\"DROP TABLE x\",\"values\":[]}]}]}");
        Journal j(file, names);
        j.load();
        QCOMPARE(j.pending().size(), 1);
        QCOMPARE(j.pending()[0].statements[0].sql, QStringLiteral("UPDATE SBO表 SET S=?"));
        QCOMPARE(j.problems().size(), 6);
        QVERIFY(j.problems()[0].contains(QStringLiteral("舊格式")));
        QVERIFY(!QFile::exists(file.chopped(1)));
        const QList<Journal::Rejected> rejected = j.readRejected();
        QCOMPARE(rejected.size(), 5);
        QVERIFY2(rejected[0].error.contains(QStringLiteral("不認得")),
                 qPrintable(rejected[0].error));
        QVERIFY(rejected[1].error.contains(QStringLiteral("DropAll")));
        QVERIFY(rejected[2].error.contains(QStringLiteral("另一場")));
        QVERIFY(rejected[4].error.contains(QStringLiteral("不完整")));
        // Read again (the set-up window, then the console): the lines set
        // aside are not set aside twice, and the unit still waits.
        Journal again(file, names);
        again.load();
        QCOMPARE(again.pending().size(), 1);
        QCOMPARE(again.problems(), QStringList());
        QCOMPARE(again.readRejected().size(), 5);
        QCOMPARE(readAll(file).trimmed().count('\n'), 1); // the head and the unit

        // Set aside whole: renamed, never deleted.
        const auto aside = j.setAside();
        QVERIFY(aside);
        QVERIFY(!QFile::exists(file));
        QVERIFY(readAll(*aside).contains("\"name\":\"Sbo\""));
        QVERIFY(!j.hasPending());

        // A file created and never written (a full folder) is no broken
        // journal: nothing waits, nothing is said, and it goes.
        write(file, "\n");
        Journal empty(file, names);
        empty.load();
        QVERIFY(!empty.hasPending());
        QVERIFY(empty.problems().isEmpty());
        QVERIFY(!QFile::exists(file));
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

    void aLockedDatabaseNeverHoldsTheWindow_data() { test::TestDatabase::addEngineRows(); }
    void aLockedDatabaseNeverHoldsTheWindow()
    {
        QFETCH(QString, engine);
        test::TestDatabase tdb(engine);
        QVERIFY(tdb.ok());
        tdb.open()->exec(QStringLiteral("INSERT INTO SBO表 (S) VALUES ('0')"));
        QTemporaryDir dir;
        console::ConsoleDatabase db([&] { return tdb.connectionString(); });
        db.setJournal(
            std::make_unique<Journal>(dir.filePath(QStringLiteral("j.jsonl")), sboNames()));
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
        QElapsedTimer t;
        t.start();
        db.store(setStrikes("1")); // the bound, once
        QVERIFY2(t.elapsed() < 450, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(db.waitingUnits(), 1);
        t.restart();
        db.store(setStrikes("2")); // behind the waiting one, without the database
        QVERIFY2(t.elapsed() < 100, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(db.waitingUnits(), 2);
        QCOMPARE(db.firstRow(QStringLiteral("SELECT S FROM SBO表"))->value(QStringLiteral("S")),
                 QStringLiteral("2"));
        // A read the kept rows cannot answer is refused and named.
        QSignalSpy waiting(&db, &console::ConsoleDatabase::waiting);
        QVERIFY(!db.query(QStringLiteral("SELECT * FROM 投手基本資料")));
        QCOMPARE(waiting.count(), 1);
        QCOMPARE(waiting.first().at(0).toInt(), 2);
        QVERIFY(waiting.first().at(1).toString().contains(QStringLiteral("投手基本資料")));
        QTest::qWait(2500); // the drain tries, and waits on
        QCOMPARE(db.waitingUnits(), 2);
        other->rollback();
        other.reset();
        QTRY_COMPARE_WITH_TIMEOUT(db.waitingUnits(), 0, 8000);
        QCOMPARE(tdb.open()
                     ->query(QStringLiteral("SELECT S FROM SBO表"))
                     .value()
                     .first()
                     .value(QStringLiteral("S")),
                 QStringLiteral("2"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("j.jsonl"))));
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

    // The box score is read from the tables: with actions waiting the
    // operator is asked before one is exported without them.
    void aBoxScoreWithActionsWaitingAsksFirst()
    {
        Game f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        f.takeAway();
        db::Database::closePool();
        QVERIFY(f.step(QStringLiteral("S")));
        QVERIFY(f.waiting() > 0);
        f.h.request({{QStringLiteral("op"), QStringLiteral("events")}});
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("no"));
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mReport"))));
        QStringList asked;
        for (const QJsonValue& e : f.h.request({{QStringLiteral("op"), QStringLiteral("events")}})
                                       .value(QStringLiteral("events"))
                                       .toArray())
            if (e[QStringLiteral("request")] == QStringLiteral("confirm"))
                asked << e[QStringLiteral("text")].toString();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].contains(QStringLiteral("筆動作等待寫入")), qPrintable(asked[0]));
        QCOMPARE(QDir(f.h.settings.dir.path()).entryList({QStringLiteral("boxscore-*")}),
                 QStringList());
    }

    void anActionWithoutTheGamesRowsIsNotKept()
    {
        // The database away from the start: nothing to answer reads from, so
        // the action fails as it always did and nothing waits.
        QTemporaryDir dir;
        console::ConsoleDatabase db(
            [] { return QStringLiteral("Provider=SQLite;Data Source=/nonexistent/none.db"); });
        db.setJournal(
            std::make_unique<Journal>(dir.filePath(QStringLiteral("j.jsonl")), sboNames()));
        QSignalSpy failed(&db, &console::ConsoleDatabase::failed);
        db.keepGameTables();
        db.store(setStrikes("1"));
        QCOMPARE(db.waitingUnits(), 0);
        QVERIFY(!failed.isEmpty());
        QVERIFY(failed.last().first().toString().contains(QStringLiteral("none.db")));
    }

    // A batch that runs into a unit of another game stores the units before
    // it and says so; it does not wait in silence for the next action.
    void aUnitOfAnotherGameInABatchIsSaid_data() { test::TestDatabase::addEngineRows(); }
    void aUnitOfAnotherGameInABatchIsSaid()
    {
        QFETCH(QString, engine);
        test::TestDatabase tdb(engine);
        QVERIFY(tdb.ok());
        tdb.open()->exec(QStringLiteral("INSERT INTO 退場打者今日 (姓名) VALUES ('起')"));
        const QString game = db::gameIdentity(*tdb.open()).value().game;
        console::JournalDrain drain(&console::preparation);
        QSignalSpy stored(&drain, &console::JournalDrain::stored);
        QSignalSpy other(&drain, &console::JournalDrain::otherGame);
        const QDateTime at = QDateTime::currentDateTime();
        drain.add({{1, game, at, {archive("甲")}},
                   {2, game, at, {archive("乙")}},
                   {3, QStringLiteral("another"), at, {archive("丙")}}},
                  tdb.connectionString());
        QTRY_COMPARE_WITH_TIMEOUT(other.count(), 1, 5000);
        QCOMPARE(other.first().first().toString(), game);
        QCOMPARE(stored.last().first().toLongLong(), 2);
        auto d = tdb.open();
        QCOMPARE(db::gameIdentity(*d).value().lastSeq, 2);
        QCOMPARE(d->query(QStringLiteral("SELECT COUNT(*) AS n FROM 退場打者今日"))
                     .value()
                     .first()
                     .value(QStringLiteral("n")),
                 QStringLiteral("3"));
    }

    void aRefusedUnitIsSetAside_data() { test::TestDatabase::addEngineRows(); }
    void aRefusedUnitIsSetAside()
    {
        QFETCH(QString, engine);
        test::TestDatabase tdb(engine);
        QVERIFY(tdb.ok());
        tdb.open()->exec(QStringLiteral("INSERT INTO SBO表 (S) VALUES ('0')"));
        const QString game = db::gameIdentity(*tdb.open()).value().game;
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("j.jsonl"));
        // Left by an earlier run: three actions, the second of which the
        // database refuses.
        {
            Journal j(file, sboNames());
            j.setGame(game, QStringLiteral("test"));
            const QDateTime at = QDateTime::currentDateTime();
            QVERIFY(j.append({1, game, at, {archive("甲")}}));
            QVERIFY(j.append({2, game, at, {archive("乙"), {kMissing, {QStringLiteral("1")}}}}));
            QVERIFY(j.append({3, game, at, {archive("丙")}}));
        }
        console::ConsoleDatabase db([&] { return tdb.connectionString(); });
        db.setPreparation(&console::preparation);
        QSignalSpy failed(&db, &console::ConsoleDatabase::failed);
        QSignalSpy forwarded(&db, &console::ConsoleDatabase::forwarded);
        db.setJournal(std::make_unique<Journal>(file, sboNames()));
        QTRY_COMPARE_WITH_TIMEOUT(db.waitingUnits(), 0, 5000);
        // The other two were stored in order, the refused one not at all.
        auto d = tdb.open();
        QStringList names;
        const auto rows = d->query(QStringLiteral("SELECT 姓名 FROM 退場打者今日 ORDER BY Seq"));
        QVERIFY(rows);
        for (const db::Row& r : *rows)
            names << r.value(QStringLiteral("姓名"));
        QCOMPARE(names, (QStringList{QStringLiteral("甲"), QStringLiteral("丙")}));
        QCOMPARE(db::gameIdentity(*d).value().lastSeq, 3);
        const Journal after(file, sboNames());
        const auto rejected = after.readRejected();
        QCOMPARE(rejected.size(), 1);
        QCOMPARE(rejected[0].unit.value(QStringLiteral("statements")).toArray().size(), 2);
        QVERIFY2(rejected[0].error.contains(QStringLiteral("沒有這個表")),
                 qPrintable(rejected[0].error));
        QTRY_COMPARE_WITH_TIMEOUT(forwarded.count(), 1, 3000);
        QCOMPARE(forwarded.first().first().toInt(), 2);
        QVERIFY(!failed.isEmpty());
        QVERIFY(failed.last().first().toString().contains(after.rejectedFileName()));

        // Refused as it is made: set aside too, the tables untouched.
        db.keepGameTables();
        db.store({archive("丁"), {kMissing, {QStringLiteral("1")}}});
        d.reset();
        QCOMPARE(tdb.open()->query(QStringLiteral("SELECT * FROM 退場打者今日")).value().size(), 2);
        QCOMPARE(after.readRejected().size(), 2);
        QCOMPARE(db.waitingUnits(), 0);
    }

    // Left by a console stopped while the database was away, then a new game
    // (GO with other teams) or another database: never applied there.
    void aJournalOfAnotherGameIsNeverApplied_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("newGame");
        for (const QString& e : test::TestDatabase::engines()) {
            QTest::addRow("%s GO", qPrintable(e)) << e << true;
            QTest::addRow("%s other database", qPrintable(e)) << e << false;
        }
    }
    void aJournalOfAnotherGameIsNeverApplied()
    {
        QFETCH(QString, engine);
        QFETCH(bool, newGame);
        Game f(engine);
        QVERIFY(f.tdb.ok());
        f.takeAway();
        db::Database::closePool();
        for (const char* step : {"S", "B", "一壘"})
            QVERIFY(f.step(QString::fromUtf8(step)));
        QVERIFY(f.waiting() > 0);
        f.closeConsole();
        f.bringBack();
        std::unique_ptr<test::TestDatabase> other;
        QString firstTeam;
        if (newGame) {
            auto d = f.tdb.open();
            const QStringList teams = setup::loadTeams(*d).value();
            setup::Selection s{Game::team(*d, teams[2]), Game::team(*d, teams[3])};
            QVERIFY(d->transaction([&] { return setup::initialiseGame(*d, s); }));
            firstTeam = teams[2];
            for (const char* key : {"Round", "Half", "StrikeSF", "StrikeSL", "StrikeNow"})
                f.h.settings.store.erase(QString::fromLatin1(key));
        } else {
            other = std::make_unique<test::TestDatabase>(engine, test::TestDatabase::Content::Demo);
            auto d = other->open();
            QVERIFY(d->transaction([&] { return setup::initialiseGame(*d, f.selection); }));
            f.h.settings.store.set(QStringLiteral("ODBC"), other->connectionString());
            firstTeam = f.selection.first.team;
        }
        const QString tables = newGame ? f.tdb.connectionString() : other->connectionString();
        f.open();
        // Said in a message and in red, and the file renamed, not deleted.
        const QStringList messages = f.h.messages();
        QVERIFY2(messages.join(u'\n').contains(QStringLiteral("另一場比賽")),
                 qPrintable(messages.join(u'\n')));
        QVERIFY(f.panel3()->autoFillBackground());
        QVERIFY(!QFile::exists(f.journalFile()));
        const QStringList aside =
            QDir(f.h.settings.dir.path()).entryList({QStringLiteral("*.journal.jsonl.aside-*")});
        QCOMPARE(aside.size(), 1);
        QTest::qWait(300);
        // The new game's tables and screen know nothing of the old one.
        auto d = std::move(db::Database::open(tables, db::Database::Pooling::Fresh).value());
        const db::Row sbo = d->query(QStringLiteral("SELECT * FROM SBO表")).value().first();
        QCOMPARE(sbo.value(QStringLiteral("Item1")), firstTeam);
        QCOMPARE(sbo.value(QStringLiteral("S")), QStringLiteral("0"));
        const db::Row leadoff =
            d->query(QStringLiteral("SELECT * FROM SF今日成績 WHERE 棒次='1'")).value().first();
        QCOMPARE(leadoff.value(QStringLiteral("安打")), QStringLiteral("0"));
        QCOMPARE(leadoff.value(QStringLiteral("1")), QStringLiteral("\u3000"));
        QCOMPARE(f.text(QStringLiteral("TimesS_txt(1)")), QStringLiteral("\u3000"));
        QCOMPARE(f.text(QStringLiteral("RHE1_txt(2)")), QStringLiteral("0"));
        QCOMPARE(f.waiting(), 0);
    }

    // A journal stored already but left in place (it could not be removed)
    // and read again after newer actions: nothing goes back.
    void aStoredJournalReadAgainChangesNothing_data() { test::TestDatabase::addEngineRows(); }
    void aStoredJournalReadAgainChangesNothing()
    {
        QFETCH(QString, engine);
        Game f(engine);
        QVERIFY(f.tdb.ok());
        f.takeAway();
        db::Database::closePool();
        for (const char* step : {"B", "S", "B"}) // 1-2 on screen
            QVERIFY(f.step(QString::fromUtf8(step)));
        const QByteArray kept = readAll(f.journalFile());
        QVERIFY(!kept.isEmpty());
        f.bringBack();
        QTRY_COMPARE_WITH_TIMEOUT(f.waiting(), 0, 5000);
        QVERIFY(f.step(QStringLiteral("S"))); // 2-2
        const QStringList before = f.tables();
        f.closeConsole();
        QFile back(f.journalFile());
        QVERIFY(back.open(QIODevice::WriteOnly));
        back.write(kept);
        back.close();
        f.open();
        QTRY_COMPARE_WITH_TIMEOUT(f.waiting(), 0, 5000);
        // (下三棒 is rebuilt by the opening: its row numbers move on.)
        auto game = [](QStringList lines) {
            lines.removeIf(
                [](const QString& l) { return l.startsWith(QStringLiteral("下三棒:")); });
            return lines;
        };
        QCOMPARE(game(f.tables()), game(before));
        QCOMPARE(f.row(QStringLiteral("SELECT S,B FROM SBO表")).values(),
                 (QStringList{QStringLiteral("2"), QStringLiteral("2")}));
        QVERIFY(!QFile::exists(f.journalFile()));
    }

    // A journal that cannot be written (a file-size limit stands for a full
    // folder): said as it is, kept in memory, written at the next tick.
    void aJournalThatCannotBeWrittenIsSaidSo()
    {
        Game f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        f.takeAway();
        db::Database::closePool();
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit full{0, limit.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &full), 0);
        const bool s = f.step(QStringLiteral("S"));
        const bool b = f.step(QStringLiteral("B"));
        const QString panel = f.h.panels(test::C).value(2);
        // Not even an empty file, which would read as a broken journal.
        const bool exists = QFile::exists(f.journalFile());
        setrlimit(RLIMIT_FSIZE, &limit);
        QVERIFY(s && b);
        QVERIFY2(panel.contains(QStringLiteral("動作日誌無法寫入")) &&
                     panel.contains(QStringLiteral("動作只在記憶體中")) &&
                     panel.contains(QStringLiteral("2筆動作等待")),
                 qPrintable(panel));
        QVERIFY2(!panel.contains(QStringLiteral("已存入")), qPrintable(panel));
        QVERIFY(f.panel3()->autoFillBackground());
        QVERIFY(!exists);
        // The next tick writes both.
        QTRY_COMPARE_WITH_TIMEOUT(f.waiting(), 2, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(f.h.panels(test::C).value(2).contains(QStringLiteral("已存入")),
                                 5000);
        f.bringBack();
        QTRY_COMPARE_WITH_TIMEOUT(f.waiting(), 0, 5000);
        QCOMPARE(f.row(QStringLiteral("SELECT S,B FROM SBO表")).values(),
                 (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
    }

    // A PostgreSQL backend frozen in the middle of the game: the window
    // waits a quarter of a second, the action waits in the journal.
    void aFrozenBackendHoldsTheWindowBriefly()
    {
        if (qEnvironmentVariable("HOMEPLATE_TEST_PG").isEmpty())
            QSKIP("no PostgreSQL server");
        Game f(QStringLiteral("postgresql"));
        QVERIFY(f.tdb.ok());
        QVERIFY(f.step(QStringLiteral("S")));
        // The console's own pooled connection, asked for its backend.
        const qint64 backend = db::Database::open(f.tdb.connectionString())
                                   .value()
                                   ->query(QStringLiteral("SELECT pg_backend_pid() AS pid"))
                                   .value()
                                   .first()
                                   .value(QStringLiteral("pid"))
                                   .toLongLong();
        QVERIFY(backend > 0);
        QCOMPARE(::kill(pid_t(backend), SIGSTOP), 0);
        // Whatever happens below, the backend goes on within 10 s.
        std::thread([backend] {
            std::this_thread::sleep_for(std::chrono::seconds(10));
            ::kill(pid_t(backend), SIGCONT);
        }).detach();
        QElapsedTimer t;
        t.start();
        const bool pressed = f.step(QStringLiteral("B"));
        const qint64 first = t.restart();
        const bool again = f.step(QStringLiteral("B"));
        const qint64 second = t.elapsed();
        const QString balls = f.text(QStringLiteral("SBO_Lab(2)"));
        const int waiting = f.waiting();
        ::kill(pid_t(backend), SIGCONT);
        qInfo("frozen backend: the window waited %lld ms, then %lld ms", first, second);
        QVERIFY(pressed && again);
        QVERIFY2(first < 600 && second < 100, qPrintable(QString::number(first)));
        QCOMPARE(balls, QStringLiteral("2"));
        // Stored on a new connection, or waiting for the drain: never lost.
        QVERIFY(waiting == 0 || waiting == 2);
        QTRY_COMPARE_WITH_TIMEOUT(f.waiting(), 0, 8000);
        QCOMPARE(f.row(QStringLiteral("SELECT S,B FROM SBO表")).values(),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    }

    // The journal is appended to, one synced line a unit: with 600 units
    // waiting, one more costs what it costs with a few, in the file and at
    // the console (a count click while the database is away).
    void oneMoreUnitCostsTheSameWithManyWaiting()
    {
        constexpr int kWaiting = 600;
        constexpr int kTimed = 25;
        auto median = [](QList<qint64> us) {
            std::sort(us.begin(), us.end());
            return us.isEmpty() ? 0 : us[us.size() / 2];
        };
        Game f(QStringLiteral("sqlite"), false);
        QVERIFY(f.tdb.ok());
        const db::GameIdentity game = db::gameIdentity(*f.tdb.open()).value();
        console::TodayCache rows;
        {
            auto d = f.tdb.open();
            for (const QString& table : TodayCache::keptTables())
                rows.keep(table, d->query(QStringLiteral("SELECT * FROM ") + table).value());
        }
        auto unit = [&](int i) {
            console::SboState sbo;
            sbo.strikes = QString::number(i % 3);
            sbo.balls = QString::number(i % 4);
            sbo.outs = QString::number(i % 3);
            return Journal::Unit{
                i, game.game, QDateTime::currentDateTime(), {console::saveSboState(sbo)}};
        };
        QList<qint64> few;
        QList<qint64> many;
        {
            Journal j(f.journalFile(), console::statementNames());
            j.setGame(game.game, QStringLiteral("test"));
            j.setTables(rows.snapshot(), 0);
            for (int i = 1; i <= kWaiting + kTimed; ++i) {
                QElapsedTimer t;
                t.start();
                QVERIFY(j.append(unit(i)));
                if (i <= kTimed)
                    few << t.nsecsElapsed() / 1000;
                else if (i > kWaiting)
                    many << t.nsecsElapsed() / 1000;
            }
        }
        QCOMPARE(f.waiting(), kWaiting + kTimed);
        // At the console, the database away: clicks with a few waiting, then
        // with the same 600 units waiting before them.
        auto click = [&] {
            QList<qint64> out;
            for (int i = 0; i < kTimed; ++i) {
                QElapsedTimer t;
                t.start();
                if (!f.step(QStringLiteral("S")))
                    return QList<qint64>{};
                out << t.nsecsElapsed() / 1000;
            }
            return out;
        };
        QVERIFY(QFile::remove(f.journalFile()));
        f.open(); // on the game's rows, which the actions are kept with
        f.takeAway();
        db::Database::closePool();
        const QList<qint64> fewClicks = click();
        QCOMPARE(f.waiting(), kTimed);
        f.closeConsole();
        QVERIFY(QFile::remove(f.journalFile()));
        {
            Journal j(f.journalFile(), console::statementNames());
            j.setGame(game.game, QStringLiteral("test"));
            j.setTables(rows.snapshot(), 0);
            for (int i = 1; i <= kWaiting; ++i)
                QVERIFY(j.append(unit(i)));
        }
        f.open();
        const int before = f.waiting(); // the opening's own unit joins them
        QVERIFY(before >= kWaiting);
        const QList<qint64> manyClicks = click();
        QCOMPARE(f.waiting(), before + kTimed);
        f.closeConsole();
        f.bringBack();
        QCOMPARE(fewClicks.size(), kTimed);
        QCOMPARE(manyClicks.size(), kTimed);
        qInfo("one more unit in the file: %.2f ms with a few waiting, %.2f ms with %d (medians); "
              "a count click: %.2f ms with a few waiting, %.2f ms with %d (medians), %.2f ms "
              "worst",
              median(few) / 1000.0, median(many) / 1000.0, kWaiting, median(fewClicks) / 1000.0,
              median(manyClicks) / 1000.0, kWaiting,
              *std::max_element(manyClicks.begin(), manyClicks.end()) / 1000.0);
        // Loose, for a loaded machine: a rewrite of the file would cost
        // tens of milliseconds more for each unit waiting.
        QVERIFY2(median(many) < 3 * median(few) + 5000, qPrintable(QString::number(median(many))));
        QVERIFY2(median(manyClicks) < 3 * median(fewClicks) + 10000,
                 qPrintable(QString::number(median(manyClicks))));
    }

    // Many waiting units are stored while the window goes on answering.
    void manyWaitingUnitsDrainWhileTheWindowAnswers()
    {
        const int units = qEnvironmentVariableIntValue("HOMEPLATE_DRAIN_UNITS") > 0
                              ? qEnvironmentVariableIntValue("HOMEPLATE_DRAIN_UNITS")
                              : 3000;
        // What the drain did is in the log when the figure is not met.
        QLoggingCategory::setFilterRules(QStringLiteral("homeplate.console.drain.debug=true"));
        const auto quietAgain = qScopeGuard([] { QLoggingCategory::setFilterRules({}); });
        Game f(QStringLiteral("sqlite"), false);
        QVERIFY(f.tdb.ok());
        const db::GameIdentity game = db::gameIdentity(*f.tdb.open()).value();
        {
            Journal j(f.journalFile(), console::statementNames());
            j.setGame(game.game, QStringLiteral("test"));
            QByteArray lines;
            for (int i = 1; i <= units; ++i) {
                console::SboState sbo;
                sbo.strikes = QString::number(i % 3);
                sbo.balls = QString::number(i % 4);
                sbo.outs = QString::number(i);
                QVERIFY(j.append(
                    {i, game.game, QDateTime::currentDateTime(), {console::saveSboState(sbo)}}));
            }
        }
        // The same clicks with nothing waiting, for comparison.
        auto p99Of = [](QList<qint64> clicks) {
            std::sort(clicks.begin(), clicks.end());
            return clicks.isEmpty() ? 0 : clicks[qsizetype(clicks.size() * 0.99)];
        };
        QList<qint64> quiet;
        {
            Game g(QStringLiteral("sqlite"));
            for (int i = 0; i < 60; ++i) {
                QElapsedTimer t;
                t.start();
                QVERIFY(g.step(QStringLiteral("S")));
                quiet << t.nsecsElapsed() / 1000;
            }
            g.closeConsole();
        }
        QElapsedTimer drain;
        drain.start();
        f.open();
        // The clicks go on until the journal's units are in the tables. Each
        // click joins the journal behind them, so the journal itself empties
        // only once the clicks stop (the drain is always a unit behind a
        // window that never pauses).
        auto storedThrough = [&] {
            const auto identity = db::gameIdentity(*f.tdb.open());
            return identity ? identity->lastSeq : 0;
        };
        QList<qint64> clicks;
        while (storedThrough() < units && drain.elapsed() < 60000) {
            QElapsedTimer t;
            t.start();
            QVERIFY(f.step(QStringLiteral("S")));
            clicks << t.nsecsElapsed() / 1000;
            QTest::qWait(5);
        }
        const qint64 spent = drain.elapsed();
        QTRY_COMPARE_WITH_TIMEOUT(f.waiting(), 0, 20000);
        const qint64 p99 = p99Of(clicks);
        const qint64 quietP99 = p99Of(quiet);
        qInfo("%d waiting units stored in %lld ms; %lld count clicks meanwhile, p99 %.1f ms "
              "(%.1f ms with nothing waiting)",
              units, spent, qint64(clicks.size()), p99 / 1000.0, quietP99 / 1000.0);
        QVERIFY2(spent < 30000, qPrintable(QString::number(spent)));
        // The drain does not slow the window: a click costs what it costs
        // with nothing waiting (the machine's load decides that).
        QVERIFY2(p99 < qMax<qint64>(16700, 2 * quietP99 + 5000), qPrintable(QString::number(p99)));
        QVERIFY(db::gameIdentity(*f.tdb.open()).value().lastSeq >= units);
    }
};

QTEST_MAIN(TstConsoleJournal)
#include "tst_console_journal.moc"
