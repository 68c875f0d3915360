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

// The page's queries have two seconds; a reply a little after that is the
// server finishing its work, not waiting on the database.
constexpr qint64 kBound = 2000 + 500;

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
        while (clock.elapsed() < 1500) {
            QElapsedTimer ping;
            ping.start();
            QCOMPARE(exchange(other, QByteArray("P\0\0\0\0", 5)), 1);
            slowest = qMax(slowest, ping.elapsed());
            ++served;
            QTest::qWait(100);
        }
        qInfo("%d pings while the page waited, the slowest %lld ms", served, qlonglong(slowest));
        QVERIFY2(slowest < 300, qPrintable(QString::number(slowest)));

        QByteArray in;
        while (in.size() < 8 && clock.elapsed() < kBound + 2000)
            if (waiting.waitForReadyRead(100))
                in += waiting.readAll();
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
};

QTEST_MAIN(TstCgDatabase)
#include "tst_cg_database.moc"
