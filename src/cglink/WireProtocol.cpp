#include "WireProtocol.h"

#include <QHostAddress>
#include <QtEndian>

namespace hp::cglink::wire {

namespace {
void putInt(QByteArray& out, qint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

qint32 getInt(const QByteArray& in, qsizetype at)
{
    return qFromBigEndian<qint32>(in.constData() + at);
}

QByteArray framed(const QByteArray& payload)
{
    QByteArray out;
    out.reserve(payload.size() + 4);
    putInt(out, qint32(payload.size()));
    out += payload;
    return out;
}
} // namespace

QByteArray encodeRequest(const Request& request)
{
    QByteArray payload;
    payload.append(char(request.op));
    putInt(payload, request.code);
    payload += request.text;
    return framed(payload);
}

QByteArray encodeReply(const Reply& reply)
{
    QByteArray payload;
    putInt(payload, reply.result);
    payload += reply.text;
    return framed(payload);
}

std::optional<Request> decodeRequest(const QByteArray& payload)
{
    if (payload.size() < 5)
        return std::nullopt;
    const char op = payload[0];
    if (op != char(Op::Send) && op != char(Op::ColorBar) && op != char(Op::Ping))
        return std::nullopt;
    return Request{Op(op), getInt(payload, 1), payload.mid(5)};
}

std::optional<Reply> decodeReply(const QByteArray& payload)
{
    if (payload.size() < 4)
        return std::nullopt;
    return Reply{getInt(payload, 0), payload.mid(4)};
}

FrameReader::Status FrameReader::next(QByteArray& payload)
{
    if (m_buffer.size() < 4)
        return Status::NeedMore;
    const qint32 length = getInt(m_buffer, 0);
    if (length < 0 || length > kMaxPayload)
        return Status::TooLarge;
    if (m_buffer.size() < 4 + length)
        return Status::NeedMore;
    payload = m_buffer.mid(4, length);
    m_buffer.remove(0, 4 + length);
    return Status::Frame;
}

std::optional<Endpoint> parseEndpoint(const QString& address)
{
    const QString a = address.trimmed();
    Endpoint ep;
    QString portText;
    if (a.startsWith(u'[')) {
        const qsizetype close = a.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        ep.host = a.mid(1, close - 1);
        const QString rest = a.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(u':'))
                return std::nullopt;
            portText = rest.mid(1);
        }
    } else if (a.count(u':') == 1) {
        const qsizetype colon = a.indexOf(u':');
        ep.host = a.left(colon);
        portText = a.mid(colon + 1);
    } else {
        ep.host = a;
    }
    if (ep.host.isEmpty())
        return std::nullopt;
    if (!portText.isNull()) {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        ep.port = quint16(port);
    }
    return ep;
}

bool isLoopbackHost(const QString& host)
{
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress addr(host);
    return !addr.isNull() && addr.isLoopback();
}

} // namespace hp::cglink::wire
