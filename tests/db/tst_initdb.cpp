#include "ConnectionString.h"
#include "TestDatabase.h"

#include <QProcess>
#include <QtTest>

// homeplate --init-db as an operator runs it, on both engines.
class TstInitDb : public QObject {
    Q_OBJECT
private slots:
    void createsOnceThenRefuses_data() { hp::test::TestDatabase::addEngineRows(); }
    void createsOnceThenRefuses()
    {
        QFETCH(QString, engine);
        hp::test::TestDatabase tdb(engine, hp::test::TestDatabase::Content::Empty);
        QVERIFY2(tdb.ok(), qPrintable(tdb.error()));
        const QString bin = qEnvironmentVariable("HOMEPLATE_BINARY");
        QProcess first;
        first.start(
            bin, {QStringLiteral("--init-db"), tdb.connectionString(), QStringLiteral("--demo")});
        QVERIFY(first.waitForFinished(60000));
        QCOMPARE(first.exitCode(), 0);
        QProcess second;
        second.start(bin, {QStringLiteral("--init-db"), tdb.connectionString()});
        QVERIFY(second.waitForFinished(60000));
        QVERIFY(second.exitCode() != 0);
        QVERIFY(second.readAllStandardError().contains("nothing was changed"));
        auto db = tdb.open();
        QVERIFY(db);
        QCOMPARE(
            db->query(QStringLiteral("Select 隊名 From 打擊整隊表年度 Group By 隊名 "))->size(), 4);
    }
};

QTEST_GUILESS_MAIN(TstInitDb)
#include "tst_initdb.moc"
