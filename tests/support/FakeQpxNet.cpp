#include "FakeQpxNet.h"

namespace hp::test {

qint32 FakeQpxNet::connectQpxSystem(const QByteArray& address)
{
    calls.append({QStringLiteral("connect"), 0, 0, address});
    return connectResult;
}

qint32 FakeQpxNet::isConnected(qint32 handle)
{
    calls.append({QStringLiteral("isConnected"), handle, 0, {}});
    return connectedAnswer;
}

qint32 FakeQpxNet::sendCommand(qint32 handle, qint32 code, QByteArray& buffer)
{
    calls.append({QStringLiteral("send"), handle, code, buffer});
    if (onSend)
        onSend(code, buffer);
    if (sendReplacement)
        buffer = *sendReplacement;
    return sendResult;
}

qint32 FakeQpxNet::colorBar(qint32 handle)
{
    calls.append({QStringLiteral("colorBar"), handle, 0, {}});
    return 1;
}

QList<FakeQpxNet::Call> FakeQpxNet::sends() const
{
    QList<Call> out;
    for (const Call& c : calls)
        if (c.fn == QStringLiteral("send"))
            out << c;
    return out;
}

} // namespace hp::test
