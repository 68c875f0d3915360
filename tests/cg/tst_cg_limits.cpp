#include "CgLink.h"
#include "CgProcess.h"
#include "FakeQpxNet.h"
#include "TcpQpxNet.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sys/stat.h>

using namespace hp::cglink;

// What homeplate-cg does when a client or a project asks for too much: it
// refuses, or waits, and goes on serving everyone else.
class TstCgLimits : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("HOMEPLATE_LOOPBACK_ONLY", "1"); }

    void onlyModestRegularFilesOpenAsProjects()
    {
        CgProcess cg;
        QVERIFY(cg.start({}));
        const QString fifo = m_dir.filePath(QStringLiteral("fifo.PRJ"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        // A well-formed project, only too large.
        const QString large = m_dir.filePath(QStringLiteral("large.PRJ"));
        {
            QFile f(large);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("page A\n");
            const QByteArray comment = "# " + QByteArray(1021, 'x') + '\n';
            for (int i = 0; i < 5 * 1024; ++i)
                f.write(comment);
        }
        const QString fits = m_dir.filePath(QStringLiteral("fits.PRJ"));
        {
            QFile f(fits);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("page A\n");
        }

        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, cg.port());
        QVERIFY(s.waitForConnected(2000));
        for (const QString& path : {fifo, QStringLiteral("/dev/zero"), large, m_dir.path()}) {
            QElapsedTimer t;
            t.start();
            QCOMPARE(exchange(s, command(17, path.toUtf8())), -1); // 99: no reply in time
            QVERIFY2(t.elapsed() < 1000, qPrintable(path));
        }
        QCOMPARE(exchange(s, command(17, fits.toUtf8())), 1);
        const QString out = cg.output();
        QVERIFY(out.contains(QStringLiteral("is not a regular file")));
        QVERIFY(out.contains(QStringLiteral("is larger than")));
        QVERIFY(cg.running());
    }

    void pageSizesAreBounded()
    {
        CgProcess cg;
        QVERIFY(cg.start({}));
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, cg.port());
        QVERIFY(s.waitForConnected(2000));
        auto open = [&](const QByteArray& text) {
            const QString path = m_dir.filePath(QStringLiteral("size.PRJ"));
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return 98;
            f.write(text);
            f.close();
            return exchange(s, command(17, path.toUtf8()));
        };
        QCOMPARE(open("page HUGE 30000 30000\n"), -1);
        QCOMPARE(open("canvas 7681 100\npage WIDE\n"), -1);
        QCOMPARE(open("page TALL 100 4321\n"), -1);
        QCOMPARE(open("canvas 7680 4320\npage UHD\n"), 1);
        QVERIFY(cg.output().contains(QStringLiteral("7680 x 4320")));
    }

    void aClientThatDoesNotReadIsNotReadFrom()
    {
        CgProcess cg;
        QVERIFY(cg.start({}));
        QTest::qWait(200);
        const qint64 before = cg.residentKiB();
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, cg.port());
        QVERIFY(s.waitForConnected(2000));
        s.setReadBufferSize(64 * 1024); // and no more taken from the network
        // Large requests whose replies echo their text, not read for now.
        const QByteArray text(1000 * 1000, 'x');
        QByteArray frame(4, '\0');
        const QByteArray payload = command(99, text);
        qToBigEndian(qint32(payload.size()), frame.data());
        frame += payload;
        constexpr int kFrames = 64;
        for (int i = 0; i < kFrames; ++i)
            s.write(frame);
        const qint64 total = qint64(frame.size()) * kFrames;
        QDeadlineTimer pushing(3000);
        while (!pushing.hasExpired() && s.bytesToWrite() > 0)
            s.waitForBytesWritten(100);
        const qint64 taken = total - s.bytesToWrite();
        const qint64 grown = cg.residentKiB() - before;
        qInfo("the network took %lld of %lld bytes; the server grew by %lld KiB", taken, total,
              grown);
        QVERIFY(taken < total / 2);
        QVERIFY(grown < 40 * 1024);

        // Once the client reads, it is served in full.
        int replies = 0;
        QByteArray in;
        QDeadlineTimer reading(15000);
        while (replies < kFrames && !reading.hasExpired()) {
            in += s.readAll();
            while (in.size() >= 4 && in.size() >= 4 + qFromBigEndian<qint32>(in.constData())) {
                const qint32 length = qFromBigEndian<qint32>(in.constData());
                QCOMPARE(qFromBigEndian<qint32>(in.constData() + 4), -1); // unknown code
                QCOMPARE(length, 4 + text.size());
                in.remove(0, 4 + length);
                ++replies;
            }
            if (replies < kFrames)
                s.waitForReadyRead(1000);
        }
        QCOMPARE(replies, kFrames);
    }

    void outOfDescriptorsItWaitsAndThenServesAgain()
    {
        CgProcess cg;
        QVERIFY(cg.start({}, QStringLiteral("ulimit -n 48")));
        // More connections than the server has descriptors for.
        std::vector<std::unique_ptr<QTcpSocket>> hoard;
        for (int i = 0; i < 70; ++i) {
            auto s = std::make_unique<QTcpSocket>();
            s->connectToHost(QHostAddress::LocalHost, cg.port());
            if (s->waitForConnected(300))
                hoard.push_back(std::move(s));
        }
        QTest::qWait(300);
        const double cpu = cg.cpuSeconds();
        QTest::qWait(1000);
        const double spent = cg.cpuSeconds() - cpu;
        qInfo("%zu connections; %.2f s of processor time in a second", hoard.size(), spent);
        QVERIFY(spent < 0.2);
        QVERIFY(cg.output().contains(QStringLiteral("cannot accept a connection")));

        hoard.clear();
        CgLink link(std::make_shared<TcpQpxNet>());
        bool served = false;
        for (int i = 0; i < 10 && !served; ++i)
            served = hp::test::connectWait(link, cg.address()) >= 1 &&
                     hp::test::sendWait(link, 0, QStringLiteral("-1")) == 1;
        QVERIFY(served);
        QVERIFY(cg.running());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TstCgLimits)
#include "tst_cg_limits.moc"
