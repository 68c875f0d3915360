#pragma once

#include "QpxNet.h"
#include "WireProtocol.h"

#include <QHash>
#include <QTcpSocket>
#include <memory>

namespace hp::cglink {

// Talks to a CG server over TCP. Every wait is bounded by two seconds; a reply
// that does not come in time marks the link down. With
// HOMEPLATE_LOOPBACK_ONLY=1 every address outside the loopback range is refused
// without opening a socket.
class TcpQpxNet final : public QpxNet {
public:
    explicit TcpQpxNet(int timeoutMs = wire::kTimeoutMs);
    ~TcpQpxNet() override;

    qint32 connectQpxSystem(const QByteArray& address) override;
    qint32 isConnected(qint32 handle) override;
    qint32 sendCommand(qint32 handle, qint32 code, QByteArray& buffer) override;
    qint32 colorBar(qint32 handle) override;
    bool dropped(qint32 handle) const override;
    void release(qint32 handle) override;
    bool connectsInBackground() const override { return true; }
    // Connects and pings through the socket's signals, each step bounded like
    // a waiting connect; the connection becomes a handle once the ping is
    // answered. The attempt must not outlive this backend.
    std::unique_ptr<PendingConnect> connectInBackground(const QByteArray& address) override;

    static bool loopbackOnly();

private:
    friend class TcpConnectAttempt;
    // The endpoint of an address, or nullopt (logged) when it may not be used.
    std::optional<wire::Endpoint> endpointOf(const QByteArray& address) const;
    // Takes over a connected socket whose ping was answered.
    qint32 adopt(std::shared_ptr<QTcpSocket> socket);
    std::optional<wire::Reply> roundTrip(qint32 handle, const wire::Request& request);

    int m_timeoutMs;
    qint32 m_nextHandle = 1;
    QHash<qint32, std::shared_ptr<QTcpSocket>> m_sockets;
};

} // namespace hp::cglink
