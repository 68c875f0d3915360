#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Framing between the console's tcp backend and a CG server: a 4-byte
// big-endian length, then the payload. Request payload: 1 byte operation,
// 4-byte big-endian signed code, code page 950 text. Reply payload: 4-byte
// big-endian signed result, then the text buffer as it stands after the call.
namespace hp::cglink::wire {

inline constexpr quint16 kDefaultPort = 7250;
inline constexpr qint32 kMaxPayload = 1 << 20;
inline constexpr int kTimeoutMs = 2000;

enum class Op : char { Send = 'S', ColorBar = 'B', Ping = 'P' };

struct Request {
    Op op = Op::Ping;
    qint32 code = 0;
    QByteArray text;
};

struct Reply {
    qint32 result = 0;
    QByteArray text;
};

QByteArray encodeRequest(const Request& request);
QByteArray encodeReply(const Reply& reply);
std::optional<Request> decodeRequest(const QByteArray& payload);
std::optional<Reply> decodeReply(const QByteArray& payload);

// Collects bytes from a stream and hands out whole payloads.
class FrameReader {
public:
    enum class Status { NeedMore, Frame, TooLarge };
    void append(const QByteArray& bytes) { m_buffer += bytes; }
    Status next(QByteArray& payload);
    qsizetype buffered() const { return m_buffer.size(); }

private:
    QByteArray m_buffer;
};

struct Endpoint {
    QString host;
    quint16 port = kDefaultPort;
};

// "host", "host:port", "[v6]" or "[v6]:port"; nullopt for a malformed port.
std::optional<Endpoint> parseEndpoint(const QString& address);
// Whether the host is a loopback address (127.0.0.0/8, ::1) or "localhost".
bool isLoopbackHost(const QString& host);

} // namespace hp::cglink::wire
