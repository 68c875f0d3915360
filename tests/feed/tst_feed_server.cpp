#include "ExampleState.h"
#include "FeedServer.h"
#include "GameStateFormat.h"
#include "HttpGate.h"
#include "HttpProbe.h"
#include "WebSocketClients.h"

#include <QHttpServer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <memory>

using namespace hp;
using test::getStatus;
using test::rawExchange;
using test::statusOf;

namespace {

quint64 sequenceOf(const QString& message)
{
    return quint64(QJsonDocument::fromJson(message.toUtf8())[u"sequence"].toInteger());
}

} // namespace

class TestFeedServer : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        server = std::make_unique<feed::FeedServer>();
        QVERIFY(server->listen(0));
    }
    void cleanup() { server.reset(); }

    // Each publication is the state now, in both forms, under the next
    // sequence number, and only on 127.0.0.1.
    void servesTheCurrentState()
    {
        const quint16 port = server->port();
        const QByteArray before = rawExchange(port, "GET /game.json HTTP/1.1\r\nHost: x\r\n\r\n");
        QCOMPARE(statusOf(before), 200);
        QCOMPARE(QJsonDocument::fromJson(test::bodyOf(before))[u"sequence"].toInt(), 0);

        server->publish(test::exampleState());
        server->publish(test::exampleState());
        const QByteArray json = rawExchange(port, "GET /game.json HTTP/1.1\r\nHost: x\r\n\r\n");
        QCOMPARE(statusOf(json), 200);
        QVERIFY(json.contains("Content-Type: application/json"));
        feed::GameState expected = test::exampleState();
        expected.sequence = 2;
        QCOMPARE(QJsonDocument::fromJson(test::bodyOf(json)).object(), feed::toJson(expected));
        const QByteArray xml = rawExchange(port, "GET /game.xml HTTP/1.1\r\nHost: x\r\n\r\n");
        QCOMPARE(statusOf(xml), 200);
        QCOMPARE(test::bodyOf(xml), feed::xmlText(expected));
        // A query string does not change the path.
        QCOMPARE(getStatus(port, "/game.json?x=1"), 200);

        QTcpSocket outside;
        outside.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), port);
        QVERIFY(!QTest::qWaitFor([&] { return outside.state() == QAbstractSocket::ConnectedState; },
                                 500));
    }

    // What is not a request to serve is answered, and the connection ends.
    void refusesWhatItDoesNotServe_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        const QByteArray big(HttpGate_kHeadLimit() + 10, 'a');
        QTest::newRow("unknown path") << QByteArray("GET /secret HTTP/1.1\r\n\r\n") << 404;
        QTest::newRow("path outside") << QByteArray("GET /../etc/passwd HTTP/1.1\r\n\r\n") << 404;
        QTest::newRow("events without upgrade")
            << QByteArray("GET /events HTTP/1.1\r\n\r\n") << 400;
        QTest::newRow("upgrade elsewhere") << test::webSocketUpgrade("/game.json") << 404;
        // An upgrade the HTTP server would not make is refused, not held.
        QTest::newRow("upgrade without connection")
            << QByteArray("GET /events HTTP/1.1\r\nUpgrade: websocket\r\n"
                          "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n")
            << 400;
        QTest::newRow("upgrade with connection close")
            << QByteArray("GET /events HTTP/1.1\r\nUpgrade: websocket\r\nConnection: close\r\n"
                          "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n")
            << 400;
        QTest::newRow("upgrade without key")
            << QByteArray("GET /events HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                          "Sec-WebSocket-Version: 13\r\n\r\n")
            << 400;
        QTest::newRow("upgrade by head")
            << "HEAD" + test::webSocketUpgrade("/events").mid(3) << 400;
        QTest::newRow("post") << QByteArray("POST /game.json HTTP/1.1\r\nContent-Length: 0\r\n\r\n")
                              << 405;
        QTest::newRow("garbage") << QByteArray("\x16\x03\x01\x02\x05\x01\r\n\r\n") << 400;
        QTest::newRow("no version") << QByteArray("GET /game.json\r\n\r\n") << 400;
        QTest::newRow("other protocol") << QByteArray("GET /game.json SPDY/3\r\n\r\n") << 400;
        QTest::newRow("absolute target")
            << QByteArray("GET http://example.com/game.json HTTP/1.1\r\n\r\n") << 400;
        QTest::newRow("header without colon")
            << QByteArray("GET /game.json HTTP/1.1\r\nHost x\r\n\r\n") << 400;
        QTest::newRow("a body") << QByteArray(
                                       "GET /game.json HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello")
                                << 400;
        QTest::newRow("chunked")
            << QByteArray("GET /game.json HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n") << 400;
        QTest::newRow("long request line") << "GET /" + big + " HTTP/1.1\r\n\r\n" << 414;
        QTest::newRow("long header") << "GET /game.json HTTP/1.1\r\nX-A: " + big + "\r\n\r\n"
                                     << 431;
        QTest::newRow("many headers")
            << "GET /game.json HTTP/1.1\r\n" + QByteArray("X-A: b\r\n").repeated(1200) + "\r\n"
            << 431;
    }
    void refusesWhatItDoesNotServe()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        const QByteArray reply = rawExchange(server->port(), request, 3000);
        QCOMPARE(statusOf(reply), status);
        QVERIFY(reply.contains("Connection: close"));
        // The server is still there.
        QCOMPARE(getStatus(server->port(), "/game.json"), 200);
    }

    // One request per connection: a second one on it gets nothing.
    void oneRequestPerConnection()
    {
        const QByteArray reply = rawExchange(
            server->port(), "GET /game.json HTTP/1.1\r\n\r\nGET /game.xml HTTP/1.1\r\n\r\n");
        QCOMPARE(reply.count("HTTP/1.1 200"), 1);
    }

    // A client of /events is sent the state on joining and then every
    // publication, once each and in order.
    void eventsInOrder()
    {
        server->publish(test::exampleState());
        test::SocketClient c;
        QVERIFY(c.open(server->port(), QStringLiteral("/events")));
        QVERIFY(c.waitFor(1));
        QCOMPARE(sequenceOf(c.messages[0]), quint64(1));
        for (int i = 0; i < 50; ++i) {
            feed::GameState s = test::exampleState();
            s.balls = i % 4;
            server->publish(s);
        }
        QVERIFY(c.waitFor(51));
        QTest::qWait(100);
        QCOMPARE(c.messages.size(), 51);
        for (int i = 0; i < 51; ++i)
            QCOMPARE(sequenceOf(c.messages[i]), quint64(i + 1));
        QCOMPARE(QJsonDocument::fromJson(c.messages.last().toUtf8())[u"count"][u"balls"].toInt(),
                 49 % 4);
    }

    // Sixteen clients at most: the seventeenth is refused with 503, and a
    // place that is left can be taken again.
    void sixteenClients()
    {
        std::vector<std::unique_ptr<test::SocketClient>> clients;
        for (int i = 0; i < 16; ++i) {
            clients.push_back(std::make_unique<test::SocketClient>());
            QVERIFY2(clients.back()->open(server->port(), QStringLiteral("/events")),
                     qPrintable(QString::number(i)));
        }
        QTRY_COMPARE(server->clients(), 16);
        QCOMPARE(statusOf(rawExchange(server->port(), test::webSocketUpgrade("/events"), 3000)),
                 503);
        // Plain requests are still served.
        QCOMPARE(getStatus(server->port(), "/game.json"), 200);
        clients[3]->socket.close();
        QTRY_COMPARE(server->clients(), 15);
        QTest::qWait(50);
        test::SocketClient late;
        QVERIFY(late.open(server->port(), QStringLiteral("/events")));
        QVERIFY(late.waitFor(1));
    }

    // Upgrades that are not made never keep a place: sixteen of them leave
    // /events open to a client; a connection token list is an upgrade.
    void halfUpgradesKeepNoPlace()
    {
        std::vector<std::unique_ptr<QTcpSocket>> half;
        for (int i = 0; i < feed::WebSocketClients::kClientLimit; ++i) {
            half.push_back(std::make_unique<QTcpSocket>());
            half.back()->connectToHost(QHostAddress::LocalHost, server->port());
            QVERIFY(half.back()->waitForConnected(2000));
            half.back()->write("GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                               "Sec-WebSocket-Version: 13\r\n\r\n");
        }
        QTest::qWait(300);
        test::SocketClient c;
        QVERIFY(c.open(server->port(), QStringLiteral("/events")));
        QVERIFY(c.waitFor(1));
        const QByteArray reply =
            rawExchange(server->port(),
                        "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: WebSocket\r\n"
                        "Connection: keep-alive, Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n",
                        500);
        QCOMPARE(statusOf(reply), 101);
    }

    // A place whose connection never becomes a WebSocket is given back,
    // the connection ended, within the upgrade's time.
    void unmadeUpgradeGivesItsPlaceBack()
    {
        QHttpServer http;
        feed::WebSocketClients clients(http);
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        std::vector<std::unique_ptr<QTcpSocket>> peers;
        for (int i = 0; i < feed::WebSocketClients::kClientLimit; ++i) {
            peers.push_back(std::make_unique<QTcpSocket>());
            peers.back()->connectToHost(QHostAddress::LocalHost, listener.serverPort());
            QVERIFY(listener.waitForNewConnection(2000));
            QVERIFY(clients.reserve(*listener.nextPendingConnection()));
        }
        QTcpSocket last;
        last.connectToHost(QHostAddress::LocalHost, listener.serverPort());
        QVERIFY(listener.waitForNewConnection(2000));
        QTcpSocket* lastServed = listener.nextPendingConnection();
        QVERIFY(!clients.reserve(*lastServed));
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(peers.begin(), peers.end(),
                                             [](const auto& s) {
                                                 return s->state() ==
                                                        QAbstractSocket::UnconnectedState;
                                             }),
                                 feed::WebSocketClients::kUpgradeTimeoutMs + 2000);
        QVERIFY(clients.reserve(*lastServed));
    }

    // A client that never reads is sent only the latest state: memory stays
    // flat over 2,000 publications, and when it reads at last, the last
    // message it gets is the latest state.
    void clientThatDoesNotRead()
    {
        QTcpSocket sleeper;
        sleeper.setReadBufferSize(1); // reads nothing the kernel does not hold
        sleeper.connectToHost(QHostAddress::LocalHost, server->port());
        QVERIFY(QTest::qWaitFor([&] { return sleeper.state() == QAbstractSocket::ConnectedState; },
                                2000));
        sleeper.write(test::webSocketUpgrade("/events"));
        QTRY_COMPARE(server->clients(), 1);

        feed::GameState s = test::exampleState();
        s.batter.name = QString(20000, u'林'); // some 60 KB a message
        const auto publishSome = [&](int n) {
            for (int i = 0; i < n; ++i) {
                s.balls = i % 4;
                server->publish(s);
                if (i % 50 == 0)
                    QCoreApplication::processEvents();
            }
        };
        publishSome(200);
        QTest::qWait(200);
        const qint64 before = test::ownResidentKiB();
        publishSome(2000);
        QTest::qWait(200);
        const qint64 grown = test::ownResidentKiB() - before;
        qInfo("resident memory over 2000 publications of %lld bytes: %+lld KiB",
              qlonglong(feed::jsonText(s).size()), qlonglong(grown));
        QVERIFY2(grown < 16 * 1024, qPrintable(QString::number(grown)));

        // Now it reads: the stream ends with the latest state.
        QByteArray received;
        sleeper.setReadBufferSize(0);
        const QByteArray last = feed::jsonText(server->current());
        QVERIFY(QTest::qWaitFor(
            [&] {
                received += sleeper.readAll();
                return received.endsWith(last);
            },
            20000));
        QVERIFY(received.size() < 40 * last.size());
    }

    // Connections that never send a head are few and short-lived.
    void silentConnectionsAreBounded()
    {
        std::vector<std::unique_ptr<QTcpSocket>> silent;
        for (int i = 0; i < feed::HttpGate::kWaitingLimit; ++i) {
            silent.push_back(std::make_unique<QTcpSocket>());
            silent.back()->connectToHost(QHostAddress::LocalHost, server->port());
        }
        // (The listening socket's backlog lets them in a few at a time.)
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(silent.begin(), silent.end(),
                                             [](const auto& s) {
                                                 return s->state() ==
                                                        QAbstractSocket::ConnectedState;
                                             }),
                                 4000);
        QTest::qWait(100);
        QCOMPARE(statusOf(rawExchange(server->port(), "GET /game.json HTTP/1.1\r\n\r\n", 1000)),
                 503);
        // After the head timeout they are closed, and requests are served.
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(silent.begin(), silent.end(),
                                             [](const auto& s) {
                                                 return s->state() ==
                                                        QAbstractSocket::UnconnectedState;
                                             }),
                                 feed::HttpGate::kHeadTimeoutMs + 3000);
        QCOMPARE(getStatus(server->port(), "/game.json"), 200);
    }

private:
    static qsizetype HttpGate_kHeadLimit() { return feed::HttpGate::kHeadLimit; }
    std::unique_ptr<feed::FeedServer> server;
};

QTEST_GUILESS_MAIN(TestFeedServer)
#include "tst_feed_server.moc"
