#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QUrlQuery>
#include <functional>
#include <variant>

class QAbstractHttpServer;
class QTcpSocket;

namespace hp::feed {

// A request's head as the gate read it.
struct RequestHead {
    QByteArray method;
    QString path;
    QUrlQuery query;
    QHash<QByteArray, QByteArray> headers; // names in lower case
    bool webSocket = false;                // an upgrade to a WebSocket
};

// The listening socket in front of an HTTP server: it reads each
// connection's request head itself, within bounds, and answers what is not
// to be served — 400 for a malformed request (an upgrade too, unless it is
// to a WebSocket with "Connection: upgrade" and a key), 405 for a method other than
// GET or HEAD, 414 and 431 for a request line or head over 8 KiB, and
// whatever the admission says (404, 401, 503) — before the HTTP server sees
// the connection. One request per connection: the server's answer carries
// "Connection: close" and the connection is ended after it in any case.
class HttpGate : public QTcpServer {
    Q_OBJECT
public:
    static constexpr qsizetype kHeadLimit = 8 * 1024;
    // Connections whose head has not come in yet; more are refused with 503.
    static constexpr int kWaitingLimit = 64;
    static constexpr int kHeadTimeoutMs = 5000;
    // How long a served connection may stay open (not a WebSocket).
    static constexpr int kServedLifetimeMs = 10000;

    // 0 lets the request through; otherwise the status to refuse it with.
    using Admission = std::function<int(const RequestHead&, QTcpSocket&)>;

    HttpGate(Admission admission, QObject* parent = nullptr);

    // Listens and hands what it lets through to `server`.
    bool listenFor(QAbstractHttpServer& server, const QHostAddress& address, quint16 port);

    // Parses a request head (up to and without the empty line), or gives the
    // status to refuse it with.
    static std::variant<RequestHead, int> parseHead(const QByteArray& head);
    // A complete refusal: status line, a short text, "Connection: close".
    static QByteArray refusal(int status);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void inspect(QTcpSocket* socket);
    void refuse(QTcpSocket* socket, int status);
    void handOver(QTcpSocket* socket, bool webSocket);

    Admission m_admission;
    QSet<const QTcpSocket*> m_waiting; // head not read yet
};

} // namespace hp::feed
