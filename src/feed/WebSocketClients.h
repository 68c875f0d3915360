#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <functional>

class QAbstractHttpServer;
class QWebSocket;

namespace hp::feed {

// The WebSocket clients of one HTTP server, at most 16. Each message has a
// key (a layer, or one for the whole state): a client that does not read
// keeps at most 256 KiB in flight and, behind it, only the latest message
// of each key; older ones are dropped.
//
// A place is held from the request on, and given back when the connection
// ends; a connection that has not become a WebSocket within
// kUpgradeTimeoutMs is ended, so that no request can keep a place for good.
class WebSocketClients : public QObject {
    Q_OBJECT
public:
    static constexpr int kClientLimit = 16;
    static constexpr qint64 kBacklogLimit = 256 * 1024;
    static constexpr int kUpgradeTimeoutMs = 5000;

    struct Message {
        int key = 0;
        QByteArray data;
        bool binary = false;
    };

    WebSocketClients(QAbstractHttpServer& server, QObject* parent = nullptr);
    ~WebSocketClients() override;

    // An upgrade asks for a place: false when all are taken. The place is
    // held from here on, while the connection lasts.
    bool reserve(QTcpSocket& socket);
    int connected() const { return int(m_clients.size()); }

    // What a client that has just joined is sent first.
    void setGreeting(std::function<QList<Message>()> greeting) { m_greeting = std::move(greeting); }
    void publish(const Message& message);

signals:
    void joined();

private:
    struct Client {
        QWebSocket* socket = nullptr;
        QMap<int, Message> waiting; // by key, the latest only
    };
    struct Place {
        QPointer<QTcpSocket> socket;
        QWebSocket* taken = nullptr; // the WebSocket made of it
    };
    void take();
    void leave(Client* client);
    void send(Client& client, const Message& message);
    void flush(Client& client);

    QAbstractHttpServer& m_server;
    QList<Place> m_places;
    QList<Client*> m_clients;
    std::function<QList<Message>()> m_greeting;
};

} // namespace hp::feed
