#include "WebSocketClients.h"

#include <QAbstractHttpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>

namespace hp::feed {

WebSocketClients::WebSocketClients(QAbstractHttpServer& server, QObject* parent)
    : QObject(parent)
    , m_server(server)
{
    connect(&m_server, &QAbstractHttpServer::newWebSocketConnection, this, &WebSocketClients::take);
}

WebSocketClients::~WebSocketClients()
{
    for (Client* c : std::as_const(m_clients)) {
        c->socket->disconnect(this);
        c->socket->abort();
        c->socket->deleteLater();
        delete c;
    }
}

bool WebSocketClients::reserve(QTcpSocket& socket)
{
    // A place is free again when the connection's socket is gone, whatever
    // became of the upgrade. (The HTTP server takes the socket's signals
    // over on an upgrade: the places are watched with guards instead.)
    m_places.removeIf([](const Place& p) { return p.socket.isNull(); });
    if (m_places.size() >= kClientLimit)
        return false;
    m_places << Place{QPointer<QTcpSocket>(&socket), nullptr};
    QTimer::singleShot(kUpgradeTimeoutMs, this, [this, held = QPointer<QTcpSocket>(&socket)] {
        const auto place = std::find_if(m_places.begin(), m_places.end(),
                                        [&](const Place& p) { return p.socket == held; });
        if (place == m_places.end() || place->taken)
            return;
        m_places.erase(place);
        if (held)
            held->abort();
    });
    return true;
}

void WebSocketClients::take()
{
    while (m_server.hasPendingWebSocketConnections()) {
        QWebSocket* socket = m_server.nextPendingWebSocketConnection().release();
        if (!socket)
            return;
        // Clients have nothing to say but pings: small frames only.
        socket->setMaxAllowedIncomingFrameSize(4096);
        socket->setMaxAllowedIncomingMessageSize(4096);
        // Its place: the connection reserved from the same peer.
        const auto place = std::find_if(m_places.begin(), m_places.end(), [&](const Place& p) {
            return p.socket && !p.taken && p.socket->peerPort() == socket->peerPort() &&
                   p.socket->peerAddress() == socket->peerAddress();
        });
        if (place == m_places.end()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        place->taken = socket;
        // The greeting first: what it publishes goes to the others only.
        const QList<Message> greeting = m_greeting ? m_greeting() : QList<Message>{};
        auto* client = new Client{socket, {}};
        m_clients << client;
        connect(socket, &QWebSocket::bytesWritten, this, [this, client] { flush(*client); });
        connect(socket, &QWebSocket::disconnected, this, [this, client] { leave(client); });
        for (const Message& m : greeting)
            send(*client, m);
        emit joined();
    }
}

void WebSocketClients::leave(Client* client)
{
    m_places.removeIf([client](const Place& p) { return p.taken == client->socket; });
    m_clients.removeOne(client);
    client->socket->deleteLater();
    delete client;
}

void WebSocketClients::publish(const Message& message)
{
    for (Client* c : std::as_const(m_clients))
        send(*c, message);
}

void WebSocketClients::send(Client& client, const Message& message)
{
    // Behind a backlog, a message waits (replacing an older one of its key),
    // so that the order of what is sent stays the order of publishing.
    if (!client.waiting.isEmpty() || client.socket->bytesToWrite() > kBacklogLimit) {
        client.waiting.insert(message.key, message);
        return;
    }
    if (message.binary)
        client.socket->sendBinaryMessage(message.data);
    else
        client.socket->sendTextMessage(QString::fromUtf8(message.data));
}

void WebSocketClients::flush(Client& client)
{
    if (client.waiting.isEmpty() || client.socket->bytesToWrite() > kBacklogLimit / 2)
        return;
    const QMap<int, Message> waiting = std::exchange(client.waiting, {});
    for (const Message& m : waiting)
        send(client, m);
}

} // namespace hp::feed
