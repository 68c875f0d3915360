#include "CgServer.h"

#include "Cp950.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTcpSocket>

Q_LOGGING_CATEGORY(lcCg, "homeplate.cg")

namespace hp::cg {

using namespace cglink;

CgServer::CgServer(ServerState& state, QObject* parent)
    : QObject(parent)
    , m_state(state)
{
    connect(&m_server, &QTcpServer::newConnection, this, &CgServer::onNewConnection);
}

bool CgServer::listen(const QHostAddress& address, quint16 port)
{
    return m_server.listen(address, port);
}

bool CgServer::setLog(const QString& path)
{
    m_log.setFileName(path);
    return m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void CgServer::log(const QString& fn, int client, qint32 code, const QString& text)
{
    if (!m_log.isOpen())
        return;
    const QJsonObject line{{QStringLiteral("fn"), fn},
                           {QStringLiteral("handle"), client},
                           {QStringLiteral("code"), code},
                           {QStringLiteral("text"), text}};
    m_log.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
    m_log.flush();
}

void CgServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        const int id = m_nextClient++;
        m_clients.insert(socket, Client{id, {}});
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        qCInfo(lcCg) << "client" << id << "connected from" << socket->peerAddress().toString();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            qCInfo(lcCg) << "client" << m_clients.value(socket).id << "left";
            m_clients.remove(socket);
            socket->deleteLater();
        });
    }
}

void CgServer::onReadyRead(QTcpSocket* socket)
{
    auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    Client& client = it.value();
    client.reader.append(socket->readAll());
    QByteArray payload;
    for (;;) {
        const auto status = client.reader.next(payload);
        if (status == wire::FrameReader::Status::NeedMore)
            return;
        if (status == wire::FrameReader::Status::TooLarge) {
            qCWarning(lcCg) << "client" << client.id << "sent an absurd frame length; closing it";
            m_clients.erase(it);
            socket->abort();
            socket->deleteLater();
            return;
        }
        const auto request = wire::decodeRequest(payload);
        wire::Reply reply;
        if (!request) {
            qCWarning(lcCg) << "client" << client.id << "sent a malformed request";
            reply = {-2, {}};
        } else {
            reply = handle(client.id, *request);
        }
        socket->write(wire::encodeReply(reply));
    }
}

wire::Reply CgServer::handle(int client, const wire::Request& request)
{
    if (request.op == wire::Op::Ping)
        return {1, {}};
    if (request.op == wire::Op::ColorBar) {
        log(QStringLiteral("ColorBar"), client, 0, {});
        return {m_state.colourBar().result, {}};
    }
    if (!isValidCp950(request.text)) {
        log(QStringLiteral("SendCommand"), client, request.code,
            QString::fromLatin1(request.text.toPercentEncoding()));
        qCWarning(lcCg) << "client" << client << "code" << request.code
                        << "text is not code page 950";
        return {-1, request.text};
    }
    const QString text = fromCp950(request.text);
    log(QStringLiteral("SendCommand"), client, request.code, text);
    const ServerState::Outcome outcome = m_state.execute(request.code, text);
    for (const QString& note : outcome.notes)
        qCInfo(lcCg).noquote() << "client" << client << "code" << request.code << note;
    if (outcome.result < 0)
        qCWarning(lcCg).noquote() << "client" << client << "code" << request.code
                                  << "refused:" << outcome.error;
    return {outcome.result, request.text};
}

} // namespace hp::cg
