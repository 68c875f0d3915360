#pragma once

#include "GameState.h"

#include <QByteArray>
#include <QHttpServer>
#include <QObject>

namespace hp::feed {

class HttpGate;
class WebSocketClients;

// The console's game feed on 127.0.0.1: GET /game.json and /game.xml give
// the state now; a WebSocket on /events is sent the whole state (JSON) on
// joining and after every change. Answers come from memory only.
class FeedServer : public QObject {
    Q_OBJECT
public:
    explicit FeedServer(QObject* parent = nullptr);
    ~FeedServer() override;

    // Port 0 takes a free one.
    bool listen(quint16 port);
    quint16 port() const;
    QString errorString() const;

    // The state becomes the current one with the next sequence number.
    void publish(GameState state);
    const GameState& current() const { return m_state; }
    int clients() const;

private:
    QHttpServerResponse answer(const QByteArray& body, const QByteArray& type) const;

    QHttpServer m_http;
    HttpGate* m_gate;
    WebSocketClients* m_clients;
    GameState m_state;
    QByteArray m_json, m_xml;
};

} // namespace hp::feed
