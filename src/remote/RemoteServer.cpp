#include "RemoteServer.h"

#include "ScriptedDialogs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>

namespace hp::remote {

namespace {
// Read from a client at most this much at a time; the socket holds no more.
constexpr qint64 kReadChunk = 64 * 1024;

QJsonObject error(const QString& text)
{
    return {{QStringLiteral("ok"), false}, {QStringLiteral("error"), text}};
}
} // namespace

RemoteServer::RemoteServer(app::EventLog& log, app::ScriptedDialogs* dialogs, QObject* parent)
    : QObject(parent)
    , m_log(log)
    , m_dialogs(dialogs)
{
    connect(&m_server, &QTcpServer::newConnection, this, &RemoteServer::onNewConnection);
}

RemoteServer::~RemoteServer()
{
    // Closing a socket signals its disconnection; not to a server half gone.
    for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>()) {
        socket->disconnect(this);
        delete socket;
    }
}

bool RemoteServer::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

quint16 RemoteServer::port() const
{
    return m_server.serverPort();
}

void RemoteServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setReadBufferSize(kReadChunk);
        m_clients.insert(socket, Client{});
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { letGo(socket); });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { serve(socket); });
    }
}

// A socket whose request is being handled is not deleted: the handler may be
// in a nested event loop with the socket's own readyRead below it on the stack.
void RemoteServer::letGo(QTcpSocket* socket)
{
    const auto found = m_clients.find(socket);
    if (found == m_clients.end())
        return;
    if (found->serving) {
        found->gone = true;
        return;
    }
    m_clients.erase(found);
    socket->deleteLater();
}

// Answers the client's complete lines, one at a time, until none is left or
// its unsent replies pass the bound (bytesWritten brings it back here).
void RemoteServer::serve(QTcpSocket* socket)
{
    const auto found = m_clients.find(socket);
    // Called again from a nested event loop inside handle(): the outer call
    // goes on with this client's lines when the handler has returned.
    if (found == m_clients.end() || found->serving)
        return;
    found->serving = true;
    while (socket->bytesToWrite() <= kMaxUnsent) {
        QByteArray line;
        const Taken taken = takeLine(socket, line);
        if (taken == Taken::Nothing)
            break;
        QJsonObject response;
        if (taken == Taken::TooLong) {
            response = error(QStringLiteral("request line too long"));
            response.insert(QStringLiteral("id"), QJsonValue::Null);
        } else {
            line = line.trimmed();
            if (line.isEmpty())
                continue;
            response = handle(line);
            // The handler may have run a nested event loop in which the client
            // left and others came and went (the hash may have been rebuilt).
            if (m_clients[socket].gone)
                break;
        }
        socket->write(QJsonDocument(response).toJson(QJsonDocument::Compact) + '\n');
    }
    m_clients[socket].serving = false;
    if (m_clients[socket].gone)
        letGo(socket);
}

// The next complete line from the client without its newline, read from the
// socket as far as needed. A line over kMaxLine is reported once, when it
// passes the bound, and the rest of it is dropped as it comes.
RemoteServer::Taken RemoteServer::takeLine(QTcpSocket* socket, QByteArray& line)
{
    Client& client = m_clients[socket]; // nothing below can run an event loop
    while (socket->bytesAvailable() > 0) {
        // Room for the rest of a line of kMaxLine bytes and its newline.
        const qint64 room = client.skipping ? kReadChunk : kMaxLine + 1 - client.partial.size();
        // readLine(n) takes at most n - 1 bytes.
        const QByteArray piece = socket->readLine(std::min(room, socket->bytesAvailable()) + 1);
        const bool complete = piece.endsWith('\n');
        if (client.skipping) {
            client.skipping = !complete;
            continue;
        }
        client.partial += piece;
        if (complete) {
            line = std::exchange(client.partial, {});
            line.chop(1);
            return Taken::Line;
        }
        if (client.partial.size() > kMaxLine) {
            client.partial.clear();
            client.skipping = true;
            return Taken::TooLong;
        }
    }
    return Taken::Nothing;
}

QJsonObject RemoteServer::handle(const QByteArray& line)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        QJsonObject r = error(QStringLiteral("malformed request: ") + parseError.errorString());
        r.insert(QStringLiteral("id"), QJsonValue::Null);
        return r;
    }
    const QJsonObject request = doc.object();
    QJsonObject response = dispatch(request);
    response.insert(QStringLiteral("id"), request.value(QStringLiteral("id")));
    return response;
}

QJsonObject RemoteServer::dispatch(const QJsonObject& request)
{
    const QString op = request.value(QStringLiteral("op")).toString();
    const QJsonObject ok{{QStringLiteral("ok"), true}};

    if (op == QStringLiteral("windows")) {
        QJsonObject r = ok;
        r.insert(QStringLiteral("windows"), m_driver.windows());
        return r;
    }
    if (op == QStringLiteral("events")) {
        QJsonObject r = ok;
        r.insert(QStringLiteral("events"), m_log.take());
        return r;
    }
    if (op == QStringLiteral("answer")) {
        if (!m_dialogs)
            return error(QStringLiteral("answers are taken only in automation mode"));
        const auto kind =
            app::ScriptedDialogs::kindFromName(request.value(QStringLiteral("kind")).toString());
        if (!kind)
            return error(QStringLiteral("kind must be input, file, connection or confirm"));
        const QJsonValue value = request.value(QStringLiteral("value"));
        if (!value.isNull() && !value.isString())
            return error(QStringLiteral("value must be a string or null"));
        m_dialogs->enqueue(*kind, value.isString() ? std::optional<QString>(value.toString())
                                                   : std::nullopt);
        return ok;
    }

    const QString windowName = request.value(QStringLiteral("window")).toString();
    QWidget* window = m_driver.findWindow(windowName);
    if (op == QStringLiteral("get") || op == QStringLiteral("dump") ||
        op == QStringLiteral("act") || op == QStringLiteral("menu")) {
        if (!window)
            return error(QStringLiteral("no window ") + windowName);
    }
    if (op == QStringLiteral("dump")) {
        QJsonObject r = ok;
        r.insert(QStringLiteral("controls"), m_driver.dump(window));
        return r;
    }
    if (op == QStringLiteral("menu")) {
        const QString failure =
            m_driver.triggerMenu(window, request.value(QStringLiteral("action")).toString());
        return failure.isEmpty() ? ok : error(failure);
    }
    if (op == QStringLiteral("get") || op == QStringLiteral("act")) {
        const QString controlName = request.value(QStringLiteral("control")).toString();
        QObject* control = m_driver.findControl(window, controlName);
        if (!control)
            return error(QStringLiteral("no control ") + controlName + QStringLiteral(" in ") +
                         windowName);
        if (op == QStringLiteral("get")) {
            QJsonObject r = ok;
            r.insert(QStringLiteral("state"), ControlDriver::state(control));
            return r;
        }
        const QString failure = m_driver.act(
            window, control, request.value(QStringLiteral("action")).toString(), request);
        return failure.isEmpty() ? ok : error(failure);
    }
    return error(QStringLiteral("unknown op ") + op);
}

} // namespace hp::remote
