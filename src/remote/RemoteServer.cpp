#include "RemoteServer.h"

#include "ScriptedDialogs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>

namespace hp::remote {

namespace {
constexpr qsizetype kMaxLine = 1 << 20;

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
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            QByteArray& buffer = m_buffers[socket];
            buffer += socket->readAll();
            qsizetype end;
            while ((end = buffer.indexOf('\n')) >= 0) {
                const QByteArray line = buffer.left(end).trimmed();
                buffer.remove(0, end + 1);
                if (line.isEmpty())
                    continue;
                const QJsonObject response = handle(line);
                // The handler may have run a nested event loop; the client may be gone.
                if (!m_buffers.contains(socket))
                    return;
                socket->write(QJsonDocument(response).toJson(QJsonDocument::Compact) + '\n');
            }
            if (buffer.size() > kMaxLine) {
                socket->write(QJsonDocument(error(QStringLiteral("request line too long")))
                                  .toJson(QJsonDocument::Compact) +
                              '\n');
                buffer.clear();
            }
        });
    }
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
            return error(QStringLiteral("kind must be input, file or connection"));
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
        if (control == window && !window->isVisible())
            return error(QStringLiteral("window is hidden"));
        const QString failure =
            m_driver.act(control, request.value(QStringLiteral("action")).toString(), request);
        return failure.isEmpty() ? ok : error(failure);
    }
    return error(QStringLiteral("unknown op ") + op);
}

} // namespace hp::remote
