// Fields whose values come from the game database, on both engines.
#include "FieldQueries.h"
#include "ServerState.h"
#include "TestDatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace hp::cg;
using hp::test::TestDatabase;

namespace {

QString quoted(const QString& text)
{
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// A project with one page of three queried fields beside the folder's
// previews; written with the database named, or without.
QString writeProject(const QTemporaryDir& dir, const QString& connection)
{
    const QString path = dir.filePath(QStringLiteral("q.PRJ"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QString text;
    if (!connection.isEmpty())
        text += QStringLiteral("database ") + quoted(connection) + u'\n';
    text += QStringLiteral(
        "page BUG\n"
        "rect 40 30 300 100 #ff101a33\n"
        "field TEAM1 50 40 200 30 20 #ffffffff\n"
        "field TEAM2 50 80 200 30 20 #ffffffff\n"
        "field NUMBER 260 40 60 30 20 #ffffffff\n"
        "field BROKEN 260 80 60 30 20 #ffffffff\n"
        "query TEAM1 \"SELECT Item1 FROM SBO表\"\n"
        "query TEAM2 \"SELECT Item2 FROM SBO表\"\n"
        "query NUMBER \"SELECT 背號 FROM 打擊整隊表年度 WHERE 姓名 = ? AND 隊名 = ?\" "
        "\"歐'尼爾\" \"北岸海鷗\"\n"
        "query BROKEN \"SELECT 沒有這欄 FROM SBO表\"\n");
    file.write(text.toUtf8());
    return path;
}

QString preview(const QTemporaryDir& dir)
{
    return QStringLiteral("[BYNAME][BUG][%1][A][BMP]\r\n")
        .arg(dir.filePath(QStringLiteral("B.BMP")));
}

void fill(hp::db::Database& db)
{
    QVERIFY(db.exec(QStringLiteral("INSERT INTO SBO表 (Item1, Item2) VALUES (?, ?)"),
                    {QStringLiteral("北岸海鷗"), QStringLiteral("山城雷豹")}));
    QVERIFY(
        db.exec(QStringLiteral("INSERT INTO 打擊整隊表年度 (隊名, 背號, 姓名) VALUES (?, ?, ?)"),
                {QStringLiteral("北岸海鷗"), QStringLiteral("13"), QStringLiteral("歐'尼爾")}));
}

} // namespace

class TstCgQueries : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { hp::db::Database::closePool(); }

    void queriedValuesAndConsoleValues_data() { TestDatabase::addEngineRows(); }
    void queriedValuesAndConsoleValues()
    {
        QFETCH(QString, engine);
        TestDatabase database(engine);
        QVERIFY2(database.ok(), qPrintable(database.error()));
        fill(*database.open());
        QTemporaryDir dir;
        ServerState state;
        QCOMPARE(state.execute(17, writeProject(dir, database.connectionString())).result, 1);
        const auto shown = state.execute(24, preview(dir));
        QCOMPARE(shown.result, 1);
        Values v = state.values(QStringLiteral("BUG"));
        QCOMPARE(v.value(QStringLiteral("TEAM1")), QStringLiteral("北岸海鷗"));
        QCOMPARE(v.value(QStringLiteral("TEAM2")), QStringLiteral("山城雷豹"));
        QCOMPARE(v.value(QStringLiteral("NUMBER")), QStringLiteral("13")); // bound, quote and all
        // A failing query leaves its own field empty, in the engine's words.
        QVERIFY(!v.contains(QStringLiteral("BROKEN")));
        QCOMPARE(shown.notes.size(), 1);
        QVERIFY2(shown.notes.first().contains(QStringLiteral("BROKEN")) &&
                     shown.notes.first().contains(QStringLiteral("沒有這欄")),
                 qPrintable(shown.notes.first()));

        // What the console sends wins, at once and after the next preview.
        QCOMPARE(state.execute(9, QStringLiteral("[BYNAME][BUG][1]EFFECT\r\n[TEAM1][0][客隊]\r\n"))
                     .result,
                 1);
        QCOMPARE(state.values(QStringLiteral("BUG")).value(QStringLiteral("TEAM1")),
                 QStringLiteral("客隊"));
        database.open()->exec(QStringLiteral("UPDATE SBO表 SET Item1 = ?, Item2 = ?"),
                              {QStringLiteral("港都鯨魚"), QStringLiteral("平原野馬")});
        QCOMPARE(state.execute(20, QStringLiteral("[BYNAME][BUG][0][FO][3]\r\n")).result, 1);
        v = state.layers().value(3).values;
        QCOMPARE(v.value(QStringLiteral("TEAM1")), QStringLiteral("客隊"));
        QCOMPARE(v.value(QStringLiteral("TEAM2")), QStringLiteral("平原野馬")); // read again

        // The server's own database replaces the project's.
        ServerState other;
        other.setDatabase(database.connectionString());
        QCOMPARE(other.execute(17, writeProject(dir, QString())).result, 1);
        other.execute(24, preview(dir));
        QCOMPARE(other.values(QStringLiteral("BUG")).value(QStringLiteral("TEAM1")),
                 QStringLiteral("港都鯨魚"));
    }

    void withoutADatabaseFieldsStayEmpty()
    {
        QTemporaryDir dir;
        ServerState state;
        QCOMPARE(state.execute(17, writeProject(dir, QString())).result, 1);
        const auto shown = state.execute(24, preview(dir));
        QCOMPARE(shown.result, 1); // the page is still drawn
        QCOMPARE(shown.notes.size(), 4);
        QVERIFY(state.values(QStringLiteral("BUG")).isEmpty());
        const QString missing =
            QStringLiteral("Provider=SQLite;Data Source=no-such.db;Persist Security Info=False");
        QCOMPARE(state.execute(17, writeProject(dir, missing)).result, 1);
        const auto refused = state.execute(24, preview(dir));
        QVERIFY2(refused.notes.first().contains(dir.filePath(QStringLiteral("no-such.db"))),
                 qPrintable(refused.notes.first())); // found in the project's folder
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("no-such.db"))));
    }

    void aLockedDatabaseStallsNoOne_data() { TestDatabase::addEngineRows(); }
    void aLockedDatabaseStallsNoOne()
    {
        QFETCH(QString, engine);
        TestDatabase database(engine);
        QVERIFY2(database.ok(), qPrintable(database.error()));
        fill(*database.open());
        QTemporaryDir dir;
        ServerState state;
        QCOMPARE(state.execute(17, writeProject(dir, database.connectionString())).result, 1);

        // Another session holds the tables the page reads.
        auto holder =
            hp::db::Database::open(database.connectionString(), hp::db::Database::Pooling::Fresh);
        QVERIFY(holder);
        hp::db::Database& h = **holder;
        if (h.engine() == hp::db::ConnectionSettings::Engine::SQLite) {
            QVERIFY(h.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        } else {
            QVERIFY(h.begin());
            QVERIFY(h.exec(
                QStringLiteral("LOCK TABLE SBO表, 打擊整隊表年度 IN ACCESS EXCLUSIVE MODE")));
        }
        QElapsedTimer clock;
        clock.start();
        const auto shown = state.execute(24, preview(dir));
        const qint64 first = clock.restart();
        QCOMPARE(shown.result, 1);
        QVERIFY2(first < FieldQueries::kBudgetMs + 300, qPrintable(QString::number(first)));
        QVERIFY(state.values(QStringLiteral("BUG")).isEmpty());
        QCOMPARE(shown.notes.size(), 4);
        // Straight after, the database is left alone: no second wait.
        const auto again = state.execute(24, preview(dir));
        QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(again.notes.size(), 4);
        if (h.engine() == hp::db::ConnectionSettings::Engine::SQLite)
            QVERIFY(h.exec(QStringLiteral("ROLLBACK")));
        else
            h.rollback();
    }

    // Whatever a page's query says, the game database is only read: a
    // statement that would write is refused, its field stays empty, and the
    // fields after it are read as usual.
    void writingQueriesAreRefused_data() { TestDatabase::addEngineRows(); }
    void writingQueriesAreRefused()
    {
        QFETCH(QString, engine);
        TestDatabase database(engine);
        QVERIFY2(database.ok(), qPrintable(database.error()));
        fill(*database.open());
        const bool sqlite = engine == QStringLiteral("sqlite");
        QTemporaryDir dir;
        const QString attached = dir.filePath(QStringLiteral("other.db"));
        // Each statement, and whether it is refused: what only changes a
        // setting may run, and changes nothing after it.
        QList<std::pair<QString, bool>> writes{
            {QStringLiteral("UPDATE SBO表 SET Item1 = 'x'"), true},
            {QStringLiteral("DROP TABLE 打擊整隊表年度"), true},
            {QStringLiteral("DELETE FROM SBO表 RETURNING Item1"), true},
            // More than one statement in the text.
            {QStringLiteral("SELECT 1; DELETE FROM SBO表"), true},
            {QStringLiteral("SELECT 1; COMMIT; SET default_transaction_read_only = off; COMMIT; "
                            "DELETE FROM SBO表"),
             true},
        };
        if (sqlite) {
            writes.append({{QStringLiteral("ATTACH DATABASE '%1' AS other").arg(attached), true},
                           {QStringLiteral("CREATE TABLE other.t (a)"), true},
                           {QStringLiteral("PRAGMA query_only = 0"), false},
                           {QStringLiteral("DELETE FROM SBO表"), true}});
        } else {
            writes.append(
                {{QStringLiteral("WITH w AS (DELETE FROM SBO表 RETURNING Item1) "
                                 "SELECT Item1 FROM w"),
                  true},
                 {QStringLiteral("SELECT set_config('default_transaction_read_only', 'off', "
                                 "false)"),
                  false},
                 {QStringLiteral("DELETE FROM SBO表"), true},
                 {QStringLiteral("SELECT set_config('transaction_read_only', 'off', true)"), false},
                 {QStringLiteral("DELETE FROM SBO表"), true}});
        }
        QString text = QStringLiteral("page W\n");
        for (qsizetype i = 0; i < writes.size(); ++i)
            text += QStringLiteral("field F%1 0 0 10 10 10 #ffffffff\nquery F%1 %2\n")
                        .arg(i)
                        .arg(quoted(writes[i].first));
        text += QStringLiteral("field TEAM1 0 0 10 10 10 #ffffffff\n"
                               "query TEAM1 \"SELECT Item1 FROM SBO表\"\n");
        const QString path = dir.filePath(QStringLiteral("w.PRJ"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text.toUtf8());
        }
        ServerState state;
        state.setDatabase(database.connectionString());
        QCOMPARE(state.execute(17, path).result, 1);
        for (int round = 0; round < 2; ++round) { // the same session again
            const auto shown = state.execute(24, QStringLiteral("[BYNAME][W][%1][A][BMP]\r\n")
                                                     .arg(dir.filePath(QStringLiteral("W.BMP"))));
            QCOMPARE(shown.result, 1);
            for (qsizetype i = 0; i < writes.size(); ++i)
                if (writes[i].second)
                    QVERIFY2(
                        shown.notes.filter(QStringLiteral("field F%1 left empty").arg(i)).size() ==
                            1,
                        qPrintable(writes[i].first + u'\n' + shown.notes.join(u'\n')));
            const Values v = state.values(QStringLiteral("W"));
            QCOMPARE(v.value(QStringLiteral("TEAM1")), QStringLiteral("北岸海鷗"));
        }
        hp::db::Database::closePool();
        auto db = database.open();
        const auto teams = db->query(QStringLiteral("SELECT Item1, Item2 FROM SBO表"));
        QVERIFY2(teams, qPrintable(teams.error()));
        QCOMPARE(teams->size(), 1);
        QCOMPARE(teams->first().at(0), QStringLiteral("北岸海鷗"));
        QVERIFY(db->query(QStringLiteral("SELECT count(*) FROM 打擊整隊表年度")));
        QVERIFY(!QFile::exists(attached));
    }

    // The demo projects' score bug, match-up and line-up pages read what GO
    // and 比賽開始 write.
    void demoPagesReadTheGame_data() { TestDatabase::addEngineRows(); }
    void demoPagesReadTheGame()
    {
        QFETCH(QString, engine);
        TestDatabase database(engine);
        QVERIFY2(database.ok(), qPrintable(database.error()));
        {
            auto db = database.open();
            fill(*db);
            for (int n = 1; n <= 9; ++n)
                QVERIFY(db->exec(QStringLiteral("INSERT INTO 先攻打者今日 (隊名, 背號, 姓名, 棒次, "
                                                "守位) VALUES (?, ?, ?, ?, ?)"),
                                 {QStringLiteral("北岸海鷗"), QString::number(10 + n),
                                  QStringLiteral("打者%1").arg(n), n, QStringLiteral("CF")}));
            QVERIFY(db->exec(
                QStringLiteral("INSERT INTO 後攻投手今日 (隊名, 背號, 姓名) VALUES "
                               "(?, ?, ?)"),
                {QStringLiteral("山城雷豹"), QStringLiteral("51"), QStringLiteral("投手乙")}));
        }
        for (const QString& project :
             {QStringLiteral(DEMO_PROJECT), QStringLiteral(DEMO_HD_PROJECT)}) {
            QTemporaryDir dir;
            ServerState state;
            state.setDatabase(database.connectionString());
            state.setPreviewFolder(dir.path());
            QCOMPARE(state.execute(17, project).result, 1);
            const auto show = [&](const QString& page) {
                state.execute(24, QStringLiteral("[BYNAME][%1][%2][A][BMP]\r\n")
                                      .arg(page, dir.filePath(QStringLiteral("A.BMP"))));
                return state.values(page);
            };
            const Values bug = show(QStringLiteral("SBO"));
            QCOMPARE(bug.value(QStringLiteral("TEAM1")), QStringLiteral("北岸海鷗"));
            QCOMPARE(bug.value(QStringLiteral("TEAM2")), QStringLiteral("山城雷豹"));
            const Values match = show(QStringLiteral("對戰表"));
            QCOMPARE(match.value(QStringLiteral("TEAM2")), QStringLiteral("山城雷豹"));
            QCOMPARE(match.value(QStringLiteral("P2")), QStringLiteral("投手乙"));
            QVERIFY(!match.contains(QStringLiteral("P1"))); // no row in 先攻投手今日
            const Values lineup = show(QStringLiteral("備用一"));
            QCOMPARE(lineup.value(QStringLiteral("TEAM")), QStringLiteral("北岸海鷗"));
            QCOMPARE(lineup.value(QStringLiteral("91")), QStringLiteral("打者9"));
            QCOMPARE(lineup.value(QStringLiteral("93")), QStringLiteral("19"));
            QCOMPARE(lineup.value(QStringLiteral("52")), QStringLiteral("CF"));
        }
    }
};

QTEST_MAIN(TstCgQueries)
#include "tst_cg_queries.moc"
