#include "ConsoleDatabase.h"
#include "ConsoleStatements.h"
#include "TestDatabase.h"

#include <QSignalSpy>
#include <QtTest>

using namespace hp;
using console::ConsoleDatabase;

namespace {

// Read on a connection of its own, as another reader of the database would.
QString sboStrikes(test::TestDatabase& tdb)
{
    auto d = db::Database::open(tdb.connectionString(), db::Database::Pooling::Fresh);
    return d.value()
        ->query(QStringLiteral("SELECT S FROM SBO表"))
        .value()
        .first()
        .value(QStringLiteral("S"));
}

console::Statement setStrikes(const QString& s)
{
    return {QStringLiteral("UPDATE SBO表 SET S=?"), {s}};
}

} // namespace

class TstConsoleDatabase : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void anActionIsStoredWholeOrNotAtAll_data() { test::TestDatabase::addEngineRows(); }
    void anActionIsStoredWholeOrNotAtAll()
    {
        QFETCH(QString, engine);
        test::TestDatabase tdb(engine);
        QVERIFY(tdb.ok());
        tdb.open()->exec(QStringLiteral("INSERT INTO SBO表 (Item1) VALUES ('甲')"));
        const QString connection = tdb.connectionString();
        ConsoleDatabase db([&] { return connection; });
        QSignalSpy failed(&db, &ConsoleDatabase::failed);
        QSignalSpy recovered(&db, &ConsoleDatabase::recovered);
        {
            const ConsoleDatabase::Action action(db);
            db.store(setStrikes(QStringLiteral("1")));
            {
                const ConsoleDatabase::Action inner(db); // joins the outer action
                db.store(setStrikes(QStringLiteral("2")));
            }
            // Reads inside the action see its own writes; nothing is committed yet.
            QCOMPARE(db.firstRow(QStringLiteral("SELECT S FROM SBO表"))->value(QStringLiteral("S")),
                     QStringLiteral("2"));
            QCOMPARE(sboStrikes(tdb), QStringLiteral("0"));
        }
        QCOMPARE(sboStrikes(tdb), QStringLiteral("2"));

        // A failing statement rolls back what the action wrote before it, and
        // what comes after it in the same action is not run; it is told once.
        {
            const ConsoleDatabase::Action action(db);
            db.store(setStrikes(QStringLiteral("3")));
            db.store({QStringLiteral("UPDATE 沒有這個表 SET S='1'"), {}});
            db.store(setStrikes(QStringLiteral("4")));
            QVERIFY(!db.query(QStringLiteral("SELECT S FROM SBO表")));
        }
        QCOMPARE(failed.count(), 1);
        QCOMPARE(sboStrikes(tdb), QStringLiteral("2"));
        QCOMPARE(recovered.count(), 0);

        // The next action goes through and says that the database is back.
        db.store(setStrikes(QStringLiteral("5")));
        QCOMPARE(sboStrikes(tdb), QStringLiteral("5"));
        QCOMPARE(recovered.count(), 1);
    }

    void olderDatabasesGetTheArchiveTables_data() { test::TestDatabase::addEngineRows(); }
    void olderDatabasesGetTheArchiveTables()
    {
        QFETCH(QString, engine);
        test::TestDatabase tdb(engine);
        QVERIFY(tdb.ok());
        {
            auto d = tdb.open();
            d->exec(QStringLiteral("INSERT INTO 退場打者今日 (姓名) VALUES ('留下')"));
            d->exec(QStringLiteral("DROP TABLE 退場投手今日"));
        }
        const QString connection = tdb.connectionString();
        ConsoleDatabase db([&] { return connection; });
        db.setPreparation(&console::preparation);
        QVERIFY(db.query(QStringLiteral("SELECT * FROM 退場投手今日")));
        // Nothing that was there is dropped.
        QCOMPARE(db.query(QStringLiteral("SELECT * FROM 退場打者今日"))->size(), 1);
    }

    void aMissingDatabaseIsReportedOncePerAction()
    {
        ConsoleDatabase db(
            [] { return QStringLiteral("Provider=SQLite;Data Source=/nonexistent/none.db"); });
        QSignalSpy failed(&db, &ConsoleDatabase::failed);
        {
            const ConsoleDatabase::Action action(db);
            QVERIFY(!db.query(QStringLiteral("SELECT 1")));
            db.store(setStrikes(QStringLiteral("1")));
        }
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.first().first().toString().contains(QStringLiteral("none.db")));
    }
};

QTEST_GUILESS_MAIN(TstConsoleDatabase)
#include "tst_console_database.moc"
