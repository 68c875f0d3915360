#include "CgServer.h"

#include "Cp950.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QScopedValueRollback>
#include <poll.h>

Q_LOGGING_CATEGORY(lcCg, "homeplate.cg")

namespace hp::cg {

using namespace cglink;

namespace {

// Bytes the socket takes from the network ahead of the server reading them.
constexpr qint64 kSocketReadBuffer = 64 * 1024;

// Whether the client is still there to take the reply. Its closing may wait,
// unread, behind requests already received: the kernel knows of it before the
// socket does.
bool stillConnected(QTcpSocket* socket)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return false;
    pollfd p{int(socket->socketDescriptor()), POLLIN | POLLRDHUP, 0};
    if (::poll(&p, 1, 0) < 0)
        return true;
    return (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) == 0;
}

} // namespace

CgServer::CgServer(ServerState& state, QObject* parent)
    : QObject(parent)
    , m_state(state)
{
    connect(&m_acceptor, &Acceptor::accepted, this, &CgServer::onAccepted);
}

bool CgServer::listen(const QHostAddress& address, quint16 port)
{
    return m_acceptor.listen(address, port);
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

void CgServer::onAccepted(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        qCWarning(lcCg) << "cannot take a connection:" << socket->errorString();
        delete socket;
        return;
    }
    const int id = m_nextClient++;
    m_clients.insert(socket, Client{id, {}, false});
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setReadBufferSize(kSocketReadBuffer);
    qCInfo(lcCg) << "client" << id << "connected from" << socket->peerAddress().toString();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { onBytesWritten(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        qCInfo(lcCg) << "client" << m_clients.value(socket).id << "left";
        m_clients.remove(socket);
        socket->deleteLater();
        m_acceptor.retry(); // a descriptor is free again
    });
}

void CgServer::drop(QTcpSocket* socket)
{
    socket->disconnect(this);
    m_clients.remove(socket);
    socket->abort();
    socket->deleteLater();
    m_acceptor.retry();
}

void CgServer::onBytesWritten(QTcpSocket* socket)
{
    const auto it = m_clients.find(socket);
    if (it == m_clients.end() || !it->waiting || socket->bytesToWrite() > kMaxUnsent / 2)
        return;
    it->waiting = false;
    onReadyRead(socket); // what arrived meanwhile is parked and signals nothing
}

void CgServer::onReadyRead(QTcpSocket* socket)
{
    const auto it = m_clients.find(socket);
    if (it == m_clients.end() || it->waiting || it->acting)
        return;
    const QScopedValueRollback<QTcpSocket*> reading(m_reading, socket);
    Client& client = it.value();
    QByteArray payload;
    for (;;) {
        if (client.acting)
            return; // resumed by answer()
        if (socket->bytesToWrite() > kMaxUnsent) {
            client.waiting = true; // resumed by onBytesWritten
            return;
        }
        const auto status = client.reader.next(payload);
        if (status == wire::FrameReader::Status::NeedMore) {
            // Read no more than one frame can need; the rest waits in the
            // socket and, once its buffer is full, in the network.
            const QByteArray more = socket->read(kMaxParked - client.reader.buffered());
            if (more.isEmpty())
                return;
            client.reader.append(more);
            continue;
        }
        if (status == wire::FrameReader::Status::TooLarge) {
            qCWarning(lcCg) << "client" << client.id << "sent an absurd frame length; closing it";
            drop(socket);
            return;
        }
        const auto request = wire::decodeRequest(payload);
        if (!stillConnected(socket)) {
            // It gave up waiting: acting now would put a graphic on air late.
            qCWarning(lcCg) << "client" << client.id << "left before its request"
                            << (request ? request->code : -1) << "was acted on; dropped";
            drop(socket);
            return;
        }
        if (!request) {
            qCWarning(lcCg) << "client" << client.id << "sent a malformed request";
            socket->write(wire::encodeReply({-2, {}}));
            continue;
        }
        client.acting = true;
        handle(socket, client.id, *request,
               [this, socket, id = client.id](const wire::Reply& r) { answer(socket, id, r); });
    }
}

void CgServer::answer(QTcpSocket* socket, int client, const wire::Reply& reply)
{
    // The socket is not touched unless it is still this client's.
    const auto it = m_clients.find(socket);
    if (it == m_clients.end() || it->id != client)
        return;
    socket->write(wire::encodeReply(reply));
    // Out now, before whatever the command set off (the monitor's picture).
    socket->flush();
    it->acting = false;
    if (m_reading != socket)
        onReadyRead(socket); // what came while the request waited
}

bool CgServer::stillWaiting(QTcpSocket* socket, int client, qint32 code)
{
    const auto it = m_clients.find(socket);
    if (it == m_clients.end() || it->id != client)
        return false;
    if (stillConnected(socket))
        return true;
    qCWarning(lcCg) << "client" << client << "left while its request" << code << "waited; dropped";
    drop(socket);
    return false;
}

void CgServer::handle(QTcpSocket* socket, int client, const wire::Request& request, Answer answer)
{
    if (request.op == wire::Op::Ping)
        return answer({1, {}});
    if (request.op == wire::Op::ColorBar) {
        log(QStringLiteral("ColorBar"), client, 0, {});
        return answer({m_state.colourBar().result, {}});
    }
    if (!isValidCp950(request.text)) {
        log(QStringLiteral("SendCommand"), client, request.code,
            QString::fromLatin1(request.text.toPercentEncoding()));
        qCWarning(lcCg) << "client" << client << "code" << request.code
                        << "text is not code page 950";
        return answer({-1, request.text});
    }
    const QString text = fromCp950(request.text);
    log(QStringLiteral("SendCommand"), client, request.code, text);
    m_state.submit(
        request.code, text,
        [client, code = request.code, buffer = request.text,
         answer = std::move(answer)](const ServerState::Outcome& outcome) {
            for (const QString& note : outcome.notes)
                qCInfo(lcCg).noquote() << "client" << client << "code" << code << note;
            if (outcome.result < 0)
                qCWarning(lcCg).noquote()
                    << "client" << client << "code" << code << "refused:" << outcome.error;
            answer({outcome.result, buffer});
        },
        [this, socket, client, code = request.code] { return stillWaiting(socket, client, code); });
}

} // namespace hp::cg
