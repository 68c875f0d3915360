// A real homeplate-cg reading a game database, on both engines, while the
// database's answer is slow in coming.
#include "CgProcess.h"
#include "TestDatabase.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using hp::test::TestDatabase;

namespace {

// A statement that never ends on either engine, in constant memory.
constexpr char kEndless[] = "WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) "
                            "SELECT count(*) FROM r";

// The reply must come within the two seconds the console waits for it, or
// the console takes the link for lost.
constexpr qint64 kBound = 2000;

QString writeProject(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("slow.PRJ"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QByteArray("page SLOW 200 100\n"
                          "field TEAM 0 0 200 50 20 #ffffffff\n"
                          "field COUNT 0 50 200 50 20 #ffffffff\n"
                          "query TEAM \"SELECT Item1 FROM SBO表\"\n"
                          "query COUNT \"") +
               kEndless + "\"\n");
    return path;
}

} // namespace

class TstCgDatabase : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("HOMEPLATE_LOOPBACK_ONLY", "1"); }
    void cleanup() { hp::db::Database::closePool(); }

    // While one client's page waits on an endless query, others are served;
    // the waiting client has its reply within the bound, the field empty and
    // the reason in the log, and the statement does not run on.
    void anEndlessQueryStallsNoOne_data() { TestDatabase::addEngineRows(); }
    void anEndlessQueryStallsNoOne()
    {
        QFETCH(QString, engine);
        TestDatabase database(engine);
        QVERIFY2(database.ok(), qPrintable(database.error()));
        QVERIFY(database.open()->exec(QStringLiteral("INSERT INTO SBO表 (Item1) VALUES (?)"),
                                      {QStringLiteral("北岸海鷗")}));
        hp::db::Database::closePool();
        QTemporaryDir dir;
        const QString project = writeProject(dir);
        CgProcess cg;
        QVERIFY(cg.start({QStringLiteral("--database"), database.connectionString(),
                          QStringLiteral("--project"), project}));

        QTcpSocket waiting, other;
        for (QTcpSocket* s : {&waiting, &other}) {
            s->connectToHost(QHostAddress::LocalHost, cg.port());
            QVERIFY(s->waitForConnected(2000));
        }
        const QByteArray preview =
            command(24, "[BYNAME][SLOW][" + dir.filePath(QStringLiteral("S.BMP")).toUtf8() +
                            "][A][BMP]\r\n");
        QByteArray frame(4, '\0');
        qToBigEndian(qint32(preview.size()), frame.data());
        QElapsedTimer clock;
        clock.start();
        waiting.write(frame + preview);
        QVERIFY(waiting.waitForBytesWritten(1000));

        // The other client is answered at once, again and again, meanwhile.
        qint64 slowest = 0;
        int served = 0;
        while (clock.elapsed() < 1200) {
            QElapsedTimer ping;
            ping.start();
            QCOMPARE(exchange(other, QByteArray("P\0\0\0\0", 5)), 1);
            slowest = qMax(slowest, ping.elapsed());
            ++served;
            QTest::qWait(100);
        }
        qInfo("%d pings while the page waited, the slowest %lld ms", served, qlonglong(slowest));
        QVERIFY2(slowest < 300, qPrintable(QString::number(slowest)));

        // The reply may have come in while the pings ran the event loop: take
        // what the socket holds before waiting for more.
        QByteArray in = waiting.readAll();
        while (in.size() < 8 && clock.elapsed() < kBound + 2000) {
            waiting.waitForReadyRead(100);
            in += waiting.readAll();
        }
        const qint64 replied = clock.elapsed();
        qInfo("the page's reply came after %lld ms", qlonglong(replied));
        QVERIFY2(in.size() >= 8, "no reply");
        QVERIFY2(replied < kBound, qPrintable(QString::number(replied)));
        QCOMPARE(qFromBigEndian<qint32>(in.constData() + 4), 1); // drawn all the same
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("S.BMP"))));
        const QString log = cg.output();
        QVERIFY2(log.contains(QStringLiteral("field COUNT left empty")), qPrintable(log));

        // Nothing spins on in the server, and its database answers again.
        const double before = cg.cpuSeconds();
        QTest::qWait(1000);
        const double spent = cg.cpuSeconds() - before;
        QVERIFY2(spent < 0.3, qPrintable(QString::number(spent)));
        QCOMPARE(exchange(other, QByteArray("P\0\0\0\0", 5)), 1);
        cg.stop();
    }

    // A database that does not answer at all, not even to cancel the
    // statement: the page's reply still comes, its fields empty, and once
    // the database answers again so do the fields.
    void aFrozenServerStallsNoOne()
    {
        if (!TestDatabase::engines().contains(QStringLiteral("postgresql")))
            QSKIP("HOMEPLATE_TEST_PG is not set");
        TestDatabase database(QStringLiteral("postgresql"));
        QVERIFY2(database.ok(), qPrintable(database.error()));
        QVERIFY(database.open()->exec(QStringLiteral("INSERT INTO SBO表 (Item1) VALUES (?)"),
                                      {QStringLiteral("北岸海鷗")}));
        hp::db::Database::closePool();
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("bug.PRJ"));
        {
            QFile file(project);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("page BUG 200 50\nfield TEAM 0 0 200 50 20 #ffffffff\n"
                       "query TEAM \"SELECT Item1 FROM SBO表\"\n");
        }
        CgProcess cg;
        QVERIFY(cg.start({QStringLiteral("--database"), database.connectionString(),
                          QStringLiteral("--project"), project}));
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, cg.port());
        QVERIFY(s.waitForConnected(2000));
        const QByteArray play = command(20, "[BYNAME][BUG][0][FO][2]\r\n");
        const QByteArray load = command(9, "[BYNAME][BUG][0]EFFECT\r\n");
        QCOMPARE(exchange(s, load), 1); // the server's session is open now

        // The server's backend, stopped.
        auto admin = database.open();
        const auto backends = admin->query(
            QStringLiteral("SELECT pid FROM pg_stat_activity WHERE datname = current_database() "
                           "AND pid <> pg_backend_pid()"));
        QVERIFY2(backends && backends->size() == 1, "no single backend of homeplate-cg");
        const pid_t backend = backends->first().at(0).toInt();
        if (::kill(backend, SIGSTOP) != 0)
            QSKIP("the test cannot signal the database server's processes");
        QElapsedTimer clock;
        clock.start();
        QByteArray frame(4, '\0');
        qToBigEndian(qint32(load.size()), frame.data());
        s.write(frame + load);
        QByteArray in;
        while (in.size() < 8 && clock.elapsed() < 5000)
            if (s.waitForReadyRead(100))
                in += s.readAll();
        const qint64 replied = clock.elapsed();
        ::kill(backend, SIGCONT);
        qInfo("the reply came after %lld ms with the database stopped", qlonglong(replied));
        QVERIFY2(in.size() >= 8 && replied < kBound + 250, qPrintable(QString::number(replied)));
        QCOMPARE(qFromBigEndian<qint32>(in.constData() + 4), 1);
        QVERIFY(cg.output().contains(QStringLiteral("field TEAM left empty: the database did not "
                                                    "answer")));

        // Answering again, the database fills the field: no field is left empty.
        const qsizetype seen = cg.output().size();
        QCOMPARE(exchange(s, play), 1);
        QTest::qWait(300);
        const QString after = cg.output().mid(seen);
        QVERIFY2(!after.contains(QStringLiteral("left empty")), qPrintable(after));
        cg.stop();
    }
};

QTEST_MAIN(TstCgDatabase)
#include "tst_cg_database.moc"
