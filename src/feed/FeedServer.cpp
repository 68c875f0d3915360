#include "FeedServer.h"

#include "GameStateFormat.h"
#include "HttpGate.h"
#include "WebSocketClients.h"

namespace hp::feed {

namespace {
const QString kJson = QStringLiteral("/game.json");
const QString kXml = QStringLiteral("/game.xml");
const QString kEvents = QStringLiteral("/events");
} // namespace

FeedServer::FeedServer(QObject* parent)
    : QObject(parent)
    , m_clients(new WebSocketClients(m_http, this))
{
    m_gate = new HttpGate(
        [this](const RequestHead& head, QTcpSocket& socket) {
            if (head.path == kEvents) {
                if (!head.webSocket)
                    return 400;
                return m_clients->reserve(socket) ? 0 : 503;
            }
            if (head.webSocket || (head.path != kJson && head.path != kXml))
                return 404;
            return 0;
        },
        this);
    m_json = jsonText(m_state);
    m_xml = xmlText(m_state);
    m_http.route(kJson, [this] { return answer(m_json, "application/json"); });
    m_http.route(kXml, [this] { return answer(m_xml, "application/xml; charset=utf-8"); });
    // The upgrade is made by the HTTP server once a route takes the request.
    m_http.route(kEvents, [](QHttpServerResponder&&) {});
    m_clients->setGreeting([this] { return QList<WebSocketClients::Message>{{0, m_json, false}}; });
}

FeedServer::~FeedServer() = default;

bool FeedServer::listen(quint16 port)
{
    return m_gate->listenFor(m_http, QHostAddress::LocalHost, port);
}

quint16 FeedServer::port() const
{
    return m_gate->serverPort();
}

QString FeedServer::errorString() const
{
    return m_gate->errorString();
}

int FeedServer::clients() const
{
    return m_clients->connected();
}

QHttpServerResponse FeedServer::answer(const QByteArray& body, const QByteArray& type) const
{
    QHttpServerResponse r(type, body);
    r.addHeader("Cache-Control", "no-store");
    r.addHeader("Access-Control-Allow-Origin", "*");
    r.addHeader("Connection", "close");
    return r;
}

void FeedServer::publish(GameState state)
{
    state.sequence = m_state.sequence + 1;
    m_state = std::move(state);
    m_json = jsonText(m_state);
    m_xml = xmlText(m_state);
    m_clients->publish({0, m_json, false});
}

} // namespace hp::feed
