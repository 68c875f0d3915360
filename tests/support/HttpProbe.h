#pragma once

#include "ResidentMemory.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QWebSocket>

// Raw HTTP and WebSocket clients of the project's servers on 127.0.0.1.
namespace hp::test {

// Writes `request` and reads until the server closes (or `ms` pass). Runs
// the event loop: the server may be in this process.
inline QByteArray rawExchange(quint16 port, const QByteArray& request, int ms = 5000)
{
    QTcpSocket s;
    QByteArray reply;
    QObject::connect(&s, &QTcpSocket::readyRead, &s, [&] { reply += s.readAll(); });
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return s.state() == QAbstractSocket::ConnectedState; }, 2000))
        return {};
    s.write(request);
    (void)QTest::qWaitFor([&] { return s.state() != QAbstractSocket::ConnectedState; }, ms);
    return reply + s.readAll();
}

// The status code of a reply, 0 when there is none.
inline int statusOf(const QByteArray& reply)
{
    if (!reply.startsWith("HTTP/1."))
        return 0;
    return reply.mid(9, 3).toInt();
}

inline int getStatus(quint16 port, const QByteArray& target, const QByteArray& headers = {})
{
    return statusOf(
        rawExchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n"));
}

// The body of a complete reply.
inline QByteArray bodyOf(const QByteArray& reply)
{
    return reply.mid(reply.indexOf("\r\n\r\n") + 4);
}

inline QByteArray webSocketUpgrade(const QByteArray& target)
{
    return "GET " + target +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

// Nanoseconds on one monotonic clock of the test process.
inline qint64 monotonicNs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.nsecsElapsed();
}

// A WebSocket client that keeps every text message it is sent, and when.
struct SocketClient {
    QWebSocket socket;
    QStringList messages;
    QList<qint64> arrivals; // monotonicNs()
    SocketClient()
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, &socket,
                         [this](const QString& m) {
                             messages << m;
                             arrivals << monotonicNs();
                         });
    }
    bool open(quint16 port, const QString& target)
    {
        socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(port).arg(target)));
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; },
                               5000);
    }
    // Waits in an event loop of its own, which wakes at the message (a
    // polling wait would add its own sleeps to the time of arrival).
    bool waitFor(qsizetype n, int ms = 5000)
    {
        if (messages.size() >= n)
            return true;
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        QObject::connect(&socket, &QWebSocket::textMessageReceived, &loop, [&] {
            if (messages.size() >= n)
                loop.quit();
        });
        QObject::connect(&socket, &QWebSocket::disconnected, &loop, &QEventLoop::quit);
        loop.exec();
        return messages.size() >= n;
    }
};

// The resident memory of this process in KiB.
inline qint64 ownResidentKiB()
{
    return residentKiBOf(QStringLiteral("/proc/self/status"));
}

} // namespace hp::test
