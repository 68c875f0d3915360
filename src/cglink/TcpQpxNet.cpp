#include "TcpQpxNet.h"

#include "Cp950.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QTimer>
#include <utility>

Q_LOGGING_CATEGORY(lcCgTcp, "homeplate.cglink.tcp")

namespace hp::cglink {

TcpQpxNet::TcpQpxNet(int timeoutMs)
    : m_timeoutMs(timeoutMs)
{
}

TcpQpxNet::~TcpQpxNet()
{
    for (auto& s : m_sockets)
        s->abort();
}

bool TcpQpxNet::loopbackOnly()
{
    return qEnvironmentVariable("HOMEPLATE_LOOPBACK_ONLY") == QStringLiteral("1");
}

std::optional<wire::Endpoint> TcpQpxNet::endpointOf(const QByteArray& address) const
{
    const auto ep = wire::parseEndpoint(fromCp950(address));
    if (!ep) {
        qCWarning(lcCgTcp) << "malformed CG address" << address;
        return std::nullopt;
    }
    if (loopbackOnly() && !wire::isLoopbackHost(ep->host)) {
        qCWarning(lcCgTcp) << "refused non-loopback CG address" << ep->host;
        return std::nullopt;
    }
    return ep;
}

qint32 TcpQpxNet::adopt(std::shared_ptr<QTcpSocket> socket)
{
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const qint32 handle = m_nextHandle++;
    m_sockets.insert(handle, std::move(socket));
    return handle;
}

qint32 TcpQpxNet::connectQpxSystem(const QByteArray& address)
{
    const auto ep = endpointOf(address);
    if (!ep)
        return 0;
    auto socket = std::make_shared<QTcpSocket>();
    socket->connectToHost(ep->host, ep->port);
    if (!socket->waitForConnected(m_timeoutMs)) {
        qCWarning(lcCgTcp) << "cannot connect to" << ep->host << ep->port << socket->errorString();
        socket->abort();
        return 0;
    }
    const qint32 handle = adopt(socket);
    // A server that accepts the connection but never answers is no CG: the
    // connection counts only once a ping is answered within the bound.
    if (!roundTrip(handle, {wire::Op::Ping, 0, {}})) {
        qCWarning(lcCgTcp) << "CG at" << ep->host << ep->port << "does not answer";
        return 0;
    }
    return handle;
}

std::optional<wire::Reply> TcpQpxNet::roundTrip(qint32 handle, const wire::Request& request)
{
    const auto it = m_sockets.constFind(handle);
    if (it == m_sockets.constEnd())
        return std::nullopt;
    QTcpSocket& socket = **it;
    auto fail = [&](const char* what) -> std::optional<wire::Reply> {
        qCWarning(lcCgTcp) << "CG link down:" << what << socket.errorString();
        socket.abort();
        m_sockets.remove(handle);
        return std::nullopt;
    };
    // The server closed the connection (it was restarted, say) while the
    // link was idle: the handle is as gone as after a failed exchange.
    if (socket.state() != QAbstractSocket::ConnectedState)
        return fail("connection closed by the CG");

    // Anything left over from an earlier, abandoned exchange is stale.
    socket.readAll();
    QDeadlineTimer deadline(m_timeoutMs);

    socket.write(wire::encodeRequest(request));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return fail("write");
    }
    wire::FrameReader reader;
    QByteArray payload;
    for (;;) {
        reader.append(socket.readAll());
        const auto status = reader.next(payload);
        if (status == wire::FrameReader::Status::Frame)
            break;
        if (status == wire::FrameReader::Status::TooLarge)
            return fail("oversized reply");
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return fail("no reply");
    }
    const auto reply = wire::decodeReply(payload);
    if (!reply)
        return fail("malformed reply");
    return reply;
}

qint32 TcpQpxNet::isConnected(qint32 handle)
{
    return roundTrip(handle, {wire::Op::Ping, 0, {}}) ? 1 : 0;
}

qint32 TcpQpxNet::sendCommand(qint32 handle, qint32 code, QByteArray& buffer)
{
    const auto reply = roundTrip(handle, {wire::Op::Send, code, buffer});
    if (!reply)
        return -1;
    buffer = reply->text;
    return reply->result;
}

bool TcpQpxNet::dropped(qint32 handle) const
{
    // A request that timed out closed its connection, so that a late reply
    // cannot be mistaken for the next one and the server drops what is left.
    // A handle of a failed connect never had one.
    return !m_sockets.contains(handle);
}

void TcpQpxNet::release(qint32 handle)
{
    if (const auto socket = m_sockets.take(handle))
        socket->abort();
}

// One background connect: connect, then ping, each within the bound; the
// outcome is reported from the event loop, never from the constructor.
class TcpConnectAttempt final : public PendingConnect {
public:
    TcpConnectAttempt(TcpQpxNet& net, const QByteArray& address)
        : m_net(net)
    {
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] { fail("no answer in time"); });
        const auto ep = net.endpointOf(address);
        if (!ep) {
            QMetaObject::invokeMethod(
                this, [this] { finish(0); }, Qt::QueuedConnection);
            return;
        }
        m_socket = std::make_shared<QTcpSocket>();
        QTcpSocket* s = m_socket.get();
        connect(s, &QTcpSocket::connected, this, [this] {
            m_deadline.start(m_net.m_timeoutMs);
            m_socket->write(wire::encodeRequest({wire::Op::Ping, 0, {}}));
        });
        connect(s, &QTcpSocket::readyRead, this, &TcpConnectAttempt::read);
        connect(s, &QTcpSocket::errorOccurred, this, [this] { fail("connect"); });
        m_deadline.start(m_net.m_timeoutMs);
        s->connectToHost(ep->host, ep->port);
    }

    ~TcpConnectAttempt() override
    {
        // An abandoned attempt: the socket must not call back into a half-destroyed object.
        if (m_socket) {
            m_socket->disconnect(this);
            m_socket->abort();
        }
    }

private:
    void read()
    {
        m_reader.append(m_socket->readAll());
        QByteArray payload;
        const auto status = m_reader.next(payload);
        if (status == wire::FrameReader::Status::NeedMore)
            return;
        if (status == wire::FrameReader::Status::TooLarge || !wire::decodeReply(payload))
            return fail("malformed reply");
        m_socket->disconnect(this);
        finish(m_net.adopt(std::exchange(m_socket, nullptr)));
    }

    void fail(const char* what)
    {
        if (m_done)
            return;
        const bool socketError =
            m_socket && m_socket->error() != QAbstractSocket::UnknownSocketError;
        qCInfo(lcCgTcp) << "background connect failed:" << what
                        << (socketError ? m_socket->errorString() : QString());
        if (m_socket) {
            m_socket->disconnect(this);
            m_socket->abort();
        }
        finish(0);
    }

    void finish(qint32 handle)
    {
        if (m_done)
            return;
        m_done = true;
        m_deadline.stop();
        emit finished(handle);
    }

    TcpQpxNet& m_net;
    std::shared_ptr<QTcpSocket> m_socket;
    QTimer m_deadline;
    wire::FrameReader m_reader;
    bool m_done = false;
};

std::unique_ptr<PendingConnect> TcpQpxNet::connectInBackground(const QByteArray& address)
{
    return std::make_unique<TcpConnectAttempt>(*this, address);
}

qint32 TcpQpxNet::colorBar(qint32 handle)
{
    const auto reply = roundTrip(handle, {wire::Op::ColorBar, 0, {}});
    return reply ? reply->result : -1;
}

} // namespace hp::cglink
