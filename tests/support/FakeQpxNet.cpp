#include "FakeQpxNet.h"

#include "CgLink.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace hp::test {

void FakeQpxNet::keep(Call call)
{
    if (const int ms = delayMs.load(); ms > 0)
        QThread::msleep(ulong(ms));
    const QMutexLocker lock(&m_mutex);
    m_calls.append(std::move(call));
}

qint32 FakeQpxNet::connectQpxSystem(const QByteArray& address)
{
    keep({QStringLiteral("connect"), 0, 0, address});
    const qint32 handle = connectResult;
    const QMutexLocker lock(&m_mutex);
    m_dropped.remove(handle);
    return handle;
}

qint32 FakeQpxNet::isConnected(qint32 handle)
{
    keep({QStringLiteral("isConnected"), handle, 0, {}});
    return dropped(handle) ? 0 : qint32(connectedAnswer);
}

bool FakeQpxNet::dropped(qint32 handle) const
{
    const QMutexLocker lock(&m_mutex);
    return m_dropped.contains(handle);
}

qint32 FakeQpxNet::sendCommand(qint32 handle, qint32 code, QByteArray& buffer)
{
    keep({QStringLiteral("send"), handle, code, buffer});
    if (dropSends) {
        const QMutexLocker lock(&m_mutex);
        m_dropped.insert(handle);
        return -1;
    }
    if (onSend)
        onSend(code, buffer);
    if (sendReplacement)
        buffer = *sendReplacement;
    return sendResult;
}

qint32 FakeQpxNet::colorBar(qint32 handle)
{
    keep({QStringLiteral("colorBar"), handle, 0, {}});
    return 1;
}

QList<FakeQpxNet::Call> FakeQpxNet::calls() const
{
    const QMutexLocker lock(&m_mutex);
    return m_calls;
}

void FakeQpxNet::clearCalls()
{
    const QMutexLocker lock(&m_mutex);
    m_calls.clear();
}

QList<FakeQpxNet::Call> FakeQpxNet::sends() const
{
    QList<Call> out;
    for (const Call& c : calls())
        if (c.fn == QStringLiteral("send"))
            out << c;
    return out;
}

bool settled(cglink::CgLink& link, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!link.idle()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QObject::connect(&link, &cglink::CgLink::settled, &loop, &QEventLoop::quit);
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

namespace {
template <typename T> std::optional<T> await(cglink::CgLink& link, std::optional<T>& answer)
{
    const QDeadlineTimer deadline(10000);
    while (!answer && !deadline.hasExpired()) {
        QEventLoop loop;
        QObject::connect(&link, &cglink::CgLink::settled, &loop, &QEventLoop::quit);
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return answer;
}
} // namespace

bool linkUp(cglink::CgLink& link)
{
    std::optional<bool> up;
    QObject context;
    link.query(&context, [&up](bool answer) { up = answer; });
    return await(link, up).value_or(false);
}

qint32 connectWait(cglink::CgLink& link, const QString& address)
{
    std::optional<qint32> handle;
    QObject context;
    link.connectTo(address, &context, [&handle](qint32 h) { handle = h; });
    return await(link, handle).value_or(-99);
}

qint32 sendWait(cglink::CgLink& link, qint32 code, QString& text)
{
    std::optional<cglink::CgReply> reply;
    QObject context;
    link.send(code, text, &context, [&reply](const cglink::CgReply& r) { reply = r; });
    if (!await(link, reply))
        return -99;
    text = reply->buffer;
    return reply->result;
}

qint32 sendWait(cglink::CgLink& link, qint32 code, const QString& text)
{
    QString copy = text;
    return sendWait(link, code, copy);
}

} // namespace hp::test
