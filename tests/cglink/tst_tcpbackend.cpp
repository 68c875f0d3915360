#include "CgCommands.h"
#include "CgLink.h"
#include "Clock.h"
#include "Cp950.h"
#include "FakeQpxNet.h"
#include "LinkWatcher.h"
#include "TcpQpxNet.h"
#include "WireProtocol.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <memory>
#include <optional>

using namespace hp::cglink;
namespace test = hp::test;

namespace {

// A CG server on 127.0.0.1 in a thread of its own: replies with the code as
// result and the text with "!" appended, or never replies when told to hang
// (hangSends: to anything but a ping), or replies late.
class ThreadedServer : public QThread {
public:
    std::atomic<bool> hang{false};
    std::atomic<bool> hangSends{false};
    std::atomic<int> replyDelayMs{0};
    std::atomic<int> requests{0};
    // Connections the server holds open.
    std::atomic<int> open{0};

    // A test that failed half-way still stops its server.
    ~ThreadedServer() override { stop(); }

    quint16 start()
    {
        QThread::start();
        m_ready.acquire();
        return m_port;
    }
    void stop()
    {
        quit();
        wait();
    }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_port = server.serverPort();
        QList<QTcpSocket*> sockets;
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket* s = server.nextPendingConnection();
            sockets << s;
            ++open;
            QObject::connect(s, &QTcpSocket::disconnected, s, [this] { --open; });
            auto reader = std::make_shared<wire::FrameReader>();
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, reader] {
                reader->append(s->readAll());
                QByteArray payload;
                while (reader->next(payload) == wire::FrameReader::Status::Frame) {
                    ++requests;
                    const auto r = wire::decodeRequest(payload);
                    if (hang || (hangSends && r->op != wire::Op::Ping))
                        continue;
                    const QByteArray reply = wire::encodeReply({r->code, r->text + '!'});
                    if (const int ms = replyDelayMs; ms > 0)
                        QTimer::singleShot(ms, s, [s, reply] { s->write(reply); });
                    else
                        s->write(reply);
                }
            });
        });
        m_ready.release();
        exec();
        qDeleteAll(sockets);
    }

private:
    QSemaphore m_ready;
    quint16 m_port = 0;
};

QString address(quint16 port)
{
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

} // namespace

class TstTcpBackend : public QObject {
    Q_OBJECT
private slots:
    void init() { qputenv("HOMEPLATE_LOOPBACK_ONLY", "1"); }

    void sendsAndReadsTheChangedBufferBack()
    {
        ThreadedServer server;
        const quint16 port = server.start();
        CgLink link(std::make_shared<TcpQpxNet>());
        QVERIFY(test::connectWait(link, address(port)) >= 1);
        QVERIFY(test::linkUp(link));
        QString text = QStringLiteral("[BYNAME][打者今日成績][1]EFFECT\r\n[NAME][0][許功蓋]\r\n");
        QCOMPARE(test::sendWait(link, 9, text), 9);
        QCOMPARE(text, QStringLiteral("[BYNAME][打者今日成績][1]EFFECT\r\n[NAME][0][許功蓋]\r\n!"));
        server.stop();
    }

    void serverGoneMeansLinkDownWithinTwoSeconds()
    {
        ThreadedServer server;
        const quint16 port = server.start();
        CgLink link(std::make_shared<TcpQpxNet>());
        QVERIFY(test::connectWait(link, address(port)) >= 1);
        server.stop();
        QElapsedTimer t;
        t.start();
        link.send(0, QStringLiteral("-1"));
        QVERIFY(!test::linkUp(link));
        QVERIFY(link.isDown());
        QVERIFY2(t.elapsed() < 2500, qPrintable(QString::number(t.elapsed())));
    }

    void serverThatAcceptsButNeverAnswersIsNoConnection()
    {
        ThreadedServer server;
        server.hang = true;
        const quint16 port = server.start();
        CgLink link(std::make_shared<TcpQpxNet>(300));
        QElapsedTimer t;
        t.start();
        QCOMPARE(test::connectWait(link, address(port)), 0);
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
        server.stop();
    }

    void everyCommandNoticesTheLostLinkOnce()
    {
        ThreadedServer server;
        const quint16 port = server.start();
        CgLink link(std::make_shared<TcpQpxNet>(300));
        QSignalSpy lost(&link, &CgLink::linkLost);
        QVERIFY(test::connectWait(link, address(port)) >= 1);
        link.send(0, QStringLiteral("-1"));
        QVERIFY(test::settled(link));
        QCOMPARE(lost.count(), 0);
        server.hang = true;
        link.colorBar(); // times out: the connection is closed
        QVERIFY(test::settled(link));
        QCOMPARE(lost.count(), 1);
        // Nothing later goes out on that connection, and nothing is reported twice.
        const int seen = server.requests;
        server.hang = false;
        QCOMPARE(test::sendWait(link, 20, QStringLiteral("[BYNAME][主播][E]")), -1);
        QCOMPARE(int(server.requests), seen);
        QCOMPARE(lost.count(), 1);
        server.stop();
    }

    void serverThatStopsAnsweringMarksTheLinkDown()
    {
        ThreadedServer server;
        const quint16 port = server.start();
        auto net = std::make_shared<TcpQpxNet>(300);
        CgLink link(net);
        QVERIFY(test::connectWait(link, address(port)) >= 1);
        server.hang = true;
        QElapsedTimer t;
        t.start();
        QCOMPARE(test::sendWait(link, 20, QStringLiteral("[BYNAME][主播][E]")), -1);
        QVERIFY(t.elapsed() < 1000);
        QCOMPARE(net->isConnected(link.handle()), 0);
        server.stop();
    }

    void addressThatDoesNotAnswerFailsQuickly()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close(); // nothing listens there now
        CgLink link(std::make_shared<TcpQpxNet>());
        QElapsedTimer t;
        t.start();
        QCOMPARE(test::connectWait(link, address(port)), 0);
        QVERIFY(t.elapsed() < 2500);
        QVERIFY(!test::linkUp(link));
        QCOMPARE(test::sendWait(link, 0, QStringLiteral("-1")), -1);
    }

    void nonLoopbackAddressIsRefusedWithoutASocket()
    {
        TcpQpxNet net;
        QElapsedTimer t;
        t.start();
        QCOMPARE(net.connectQpxSystem("198.51.100.7"), 0);
        QCOMPARE(net.connectQpxSystem("cg.example"), 0);
        QCOMPARE(net.connectQpxSystem("127.0.0.1:notaport"), 0);
        QVERIFY(t.elapsed() < 100);
    }

    void handlesAreDistinctPerConnect()
    {
        ThreadedServer server;
        const quint16 port = server.start();
        TcpQpxNet net;
        const qint32 a = net.connectQpxSystem(address(port).toLatin1());
        const qint32 b = net.connectQpxSystem(address(port).toLatin1());
        QVERIFY(a >= 1 && b >= 1 && a != b);
        QCOMPARE(net.colorBar(b), 0);
        QCOMPARE(net.isConnected(a), 1);
        QCOMPARE(net.isConnected(99), 0);
        server.stop();
    }

    // A background connect returns at once and reports through the event
    // loop: a handle once the ping is answered, nothing from a silent server.
    void backgroundConnectNeverWaitsAndHandsOverAnAnsweredConnection()
    {
        ThreadedServer server;
        const quint16 port = server.start();
        CgLink link(std::make_shared<TcpQpxNet>(300));
        QCOMPARE(test::connectWait(link, address(port)), 1);
        server.hang = true;
        QCOMPARE(test::sendWait(link, 0, QStringLiteral("-1")), -1); // waits out the bound
        QVERIFY(link.isDown());

        QSignalSpy done(&link, &CgLink::backgroundConnected);
        QElapsedTimer t;
        t.start();
        link.connectInBackground();
        QVERIFY(t.elapsed() < 50);
        // The link's thread goes on with other commands meanwhile.
        QVERIFY(!test::linkUp(link));
        QVERIFY(t.elapsed() < 250);
        QVERIFY(done.wait(1000));
        QCOMPARE(done.first().first().toInt(), 0);
        QVERIFY(t.elapsed() >= 250);
        QVERIFY(link.isDown());

        server.hang = false;
        done.clear();
        link.connectInBackground();
        QVERIFY(done.wait(1000));
        const qint32 handle = done.first().first().toInt();
        QVERIFY(handle >= 2);
        QVERIFY(link.isDown()); // until adopted, in turn
        link.adopt(handle);
        QVERIFY(test::settled(link));
        QVERIFY(!link.isDown());
        QString text = QStringLiteral("x");
        QCOMPARE(test::sendWait(link, 9, text), 9);
        QCOMPARE(text, QStringLiteral("x!"));
        server.stop();
    }

    void backgroundConnectRefusesWhatAWaitingConnectRefuses()
    {
        TcpQpxNet net;
        for (const QByteArray& address :
             {QByteArray("198.51.100.7"), QByteArray("127.0.0.1:notaport")}) {
            auto attempt = net.connectInBackground(address);
            QSignalSpy done(attempt.get(), &PendingConnect::finished);
            QCOMPARE(done.count(), 0); // reported from the loop, once connected to
            QVERIFY(done.wait(100));
            QCOMPARE(done.first().first().toInt(), 0);
        }
    }

    // The CG closed the connection while the link was idle (it was
    // restarted): the next command, whatever it is, finds the link gone and
    // says it did not go out.
    void aConnectionTheCgClosedIsALostLinkAtTheNextCommand()
    {
        ThreadedServer server;
        const quint16 port = server.start();
        CgLink link(std::make_shared<TcpQpxNet>());
        QSignalSpy lost(&link, &CgLink::linkLost);
        QVERIFY(test::connectWait(link, address(port)) >= 1);
        server.stop();
        QTest::qWait(200); // the link's thread sees the connection end
        std::optional<CgReply> reply;
        link.send(kPlayWithFields, QStringLiteral("[BYNAME][主播][E]"), &link,
                  [&reply](const CgReply& r) { reply = r; });
        QVERIFY(test::settled(link));
        QCOMPARE(lost.count(), 1);
        QVERIFY(link.isDown());
        QVERIFY(reply);
        QVERIFY(!reply->wentOut);
        QCOMPARE(reply->result, -1);
    }

    // The ping is answered but a command is not: the graphic is refused as a
    // down link is, and no command of it counts as sent.
    void aGraphicWhoseCommandsFindTheLinkGoneIsRefused()
    {
        ThreadedServer server;
        const quint16 port = server.start();
        CgLink link(std::make_shared<TcpQpxNet>(300));
        QVERIFY(test::connectWait(link, address(port)) >= 1);
        QSignalSpy sent(&link, &CgLink::sent);
        QSignalSpy lost(&link, &CgLink::linkLost);
        server.hangSends = true;
        const int before = server.requests;
        std::optional<std::optional<Notice>> answer;
        link.prepare({QStringLiteral("/t/a.PRJ"), QStringLiteral("/t/")},
                     {{kLoadFields, QStringLiteral("[BYNAME][SBO][0]EFFECT\r\n")},
                      {kPreview, QStringLiteral("[BYNAME][SBO][/t/TempImageB.BMP][A][BMP]\r\n")}},
                     &link, [&answer](const std::optional<Notice>& n) { answer = n; });
        QVERIFY(test::settled(link));
        QVERIFY(answer);
        QVERIFY(answer->has_value());
        QCOMPARE((*answer)->title, CgLink::linkDownNotice().title);
        QCOMPARE((*answer)->text, CgLink::linkDownNotice().text);
        QCOMPARE(sent.count(), 0);
        QCOMPARE(lost.count(), 1);
        // The ping and the load; the preview was not tried on a link known gone.
        QCOMPARE(server.requests - before, 2);
        server.stop();
    }

    // One session on the CG per link: a connect closes the connection it
    // replaces, and a background connect that is not taken is closed.
    void replacedAndUntakenConnectionsAreClosed()
    {
        ThreadedServer server;
        const quint16 port = server.start();
        CgLink link(std::make_shared<TcpQpxNet>(300));
        for (int i = 0; i < 3; ++i)
            QVERIFY(test::connectWait(link, address(port)) >= 1);
        QTRY_COMPARE(int(server.open), 1);

        // Connected, then forgotten: another connect came first.
        QSignalSpy done(&link, &CgLink::backgroundConnected);
        link.connectInBackground();
        QVERIFY(done.wait(1000));
        QVERIFY(done.takeFirst().first().toInt() >= 1);
        QCOMPARE(int(server.open), 2);
        link.abandonBackgroundConnect();
        QVERIFY(test::settled(link));
        QTRY_COMPARE(int(server.open), 1);

        // Taken: it replaces the link's connection.
        link.connectInBackground();
        QVERIFY(done.wait(1000));
        link.adopt(done.takeFirst().first().toInt());
        QVERIFY(test::settled(link));
        QTRY_COMPARE(int(server.open), 1);
        QCOMPARE(test::sendWait(link, kLoadFields, QStringLiteral("x")), kLoadFields);
        server.stop();
    }

    // The console closed while its watcher's attempt waited for the CG's
    // answer: the attempt ends with it instead of leaving a connection open.
    void aWatcherThatGoesTakesItsAttemptWithIt()
    {
        ThreadedServer server;
        const quint16 port = server.start();
        CgLink link(std::make_shared<TcpQpxNet>(300));
        QVERIFY(test::connectWait(link, address(port)) >= 1);
        TemplateProject project;
        hp::app::FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(19, 0, 0))};
        auto watcher =
            std::make_unique<LinkWatcher>(link, project, clock, [](int, const QString&, bool) {});
        watcher->setInterval(20);
        server.hang = true;
        link.colorBar(); // times out: the link is lost and the watcher tries again
        QVERIFY(test::settled(link));
        const int before = server.requests;
        server.replyDelayMs = 150;
        server.hang = false;
        // The attempt's ping is in; its answer is on the way.
        QTRY_VERIFY_WITH_TIMEOUT(server.requests > before, 1000);
        watcher.reset();
        QTest::qWait(400);
        QVERIFY(test::settled(link));
        QCOMPARE(int(server.open), 0);
        server.stop();
    }

    void abandonedBackgroundConnectReportsNothing()
    {
        ThreadedServer server;
        server.hang = true;
        const quint16 port = server.start();
        TcpQpxNet net(200);
        auto attempt = net.connectInBackground(address(port).toLatin1());
        QSignalSpy done(attempt.get(), &PendingConnect::finished);
        QTest::qWait(50);
        attempt.reset();
        QTest::qWait(300);
        QCOMPARE(done.count(), 0);
        server.stop();
    }
};

QTEST_GUILESS_MAIN(TstTcpBackend)
#include "tst_tcpbackend.moc"
