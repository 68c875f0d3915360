#include "HttpGate.h"

#include <QAbstractHttpServer>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace hp::feed {

namespace {

const char* reason(int status)
{
    switch (status) {
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 414:
        return "URI Too Long";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

bool isToken(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    for (const char c : text)
        if (c <= 32 || c >= 127 || QByteArrayView("()<>@,;:\\\"/[]?={}").contains(c))
            return false;
    return true;
}

} // namespace

HttpGate::HttpGate(Admission admission, QObject* parent)
    : QTcpServer(parent)
    , m_admission(std::move(admission))
{
}

bool HttpGate::listenFor(QAbstractHttpServer& server, const QHostAddress& address, quint16 port)
{
    if (!listen(address, port))
        return false;
    server.bind(this);
    return true;
}

QByteArray HttpGate::refusal(int status)
{
    const QByteArray text = QByteArray::number(status) + ' ' + reason(status);
    return "HTTP/1.1 " + text + "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(text.size() + 1) + "\r\nConnection: close\r\n\r\n" + text + '\n';
}

std::variant<RequestHead, int> HttpGate::parseHead(const QByteArray& head)
{
    const QList<QByteArray> lines = head.split('\n');
    const auto strip = [](QByteArray line) {
        if (line.endsWith('\r'))
            line.chop(1);
        return line;
    };
    const QByteArray requestLine = strip(lines.value(0));
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || !parts[1].startsWith('/') ||
        !(parts[2] == "HTTP/1.1" || parts[2] == "HTTP/1.0"))
        return 400;
    for (const char c : parts[1])
        if (c <= 32 || c >= 127)
            return 400;
    RequestHead r;
    r.method = parts[0];
    const QUrl url(QString::fromLatin1(parts[1]), QUrl::StrictMode);
    if (!url.isValid() || !url.isRelative() || !url.host().isEmpty())
        return 400;
    r.path = url.path(QUrl::FullyDecoded);
    r.query = QUrlQuery(url);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = strip(lines[i]);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.left(colon)))
            return 400;
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        // A read-only server takes no body.
        if (name == "transfer-encoding" || (name == "content-length" && value != "0"))
            return 400;
        if (r.headers.contains(name))
            r.headers[name] += ", " + value;
        else
            r.headers.insert(name, value);
    }
    if (r.method != "GET" && r.method != "HEAD")
        return 405;
    // An upgrade to a WebSocket is one only with all the handshake asks
    // for; the HTTP server would take anything less for a plain request,
    // which no WebSocket path answers.
    if (r.headers.value("upgrade").toLower() == "websocket") {
        bool connectionUpgrade = false;
        for (const QByteArray& token : r.headers.value("connection").split(','))
            connectionUpgrade = connectionUpgrade || token.trimmed().toLower() == "upgrade";
        if (!connectionUpgrade || r.headers.value("sec-websocket-key").isEmpty() ||
            r.method != "GET")
            return 400;
        r.webSocket = true;
    }
    return r;
}

void HttpGate::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    if (m_waiting.size() >= kWaitingLimit) {
        refuse(socket, 503);
        return;
    }
    m_waiting.insert(socket);
    connect(socket, &QObject::destroyed, this, [this, socket] { m_waiting.remove(socket); });
    // Nothing past the head is kept while it is read.
    socket->setReadBufferSize(kHeadLimit + 4);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { inspect(socket); });
    QTimer::singleShot(kHeadTimeoutMs, socket, [this, socket] {
        if (m_waiting.contains(socket))
            socket->abort();
    });
}

void HttpGate::inspect(QTcpSocket* socket)
{
    const QByteArray data = socket->peek(kHeadLimit + 4);
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0 || end > kHeadLimit) {
        if (data.size() <= kHeadLimit)
            return; // more to come
        const qsizetype lineEnd = data.indexOf('\n');
        refuse(socket, lineEnd < 0 || lineEnd > kHeadLimit ? 414 : 431);
        return;
    }
    const auto parsed = parseHead(data.left(end));
    if (const int* status = std::get_if<int>(&parsed)) {
        refuse(socket, *status);
        return;
    }
    const RequestHead& head = std::get<RequestHead>(parsed);
    if (const int status = m_admission(head, *socket)) {
        refuse(socket, status);
        return;
    }
    handOver(socket, head.webSocket);
}

void HttpGate::refuse(QTcpSocket* socket, int status)
{
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    m_waiting.remove(socket);
    socket->write(refusal(status));
    socket->disconnectFromHost();
    // A peer that reads nothing does not keep the connection.
    QTimer::singleShot(kHeadTimeoutMs, socket, [socket] { socket->abort(); });
}

void HttpGate::handOver(QTcpSocket* socket, bool webSocket)
{
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    m_waiting.remove(socket);
    if (webSocket)
        socket->setReadBufferSize(0);
    addPendingConnection(socket);
    emit newConnection();
    if (!webSocket) {
        // Served once, after the server's own reading of the head: what
        // else the client sent is dropped, and the connection ends when the
        // answer is out.
        connect(socket, &QTcpSocket::readyRead, this, [socket] {
            socket->readAll();
            socket->disconnectFromHost();
        });
        QTimer::singleShot(kServedLifetimeMs, this, [held = QPointer<QTcpSocket>(socket)] {
            if (held)
                held->abort();
        });
    }
    // The head is still unread in the socket: the server reads it now.
    emit socket->readyRead();
}

} // namespace hp::feed
