#pragma once

#include "QpxNet.h"

#include <QList>
#include <QMutex>
#include <QSet>
#include <atomic>
#include <functional>

namespace hp::cglink {
class CgLink;
}

namespace hp::test {

// A client library stand-in that keeps every call. It is called on the CG
// link's thread: what a test sets is read there, what it reads is kept under
// a lock.
class FakeQpxNet final : public cglink::QpxNet {
public:
    struct Call {
        QString fn;
        qint32 handle = 0;
        qint32 code = 0;
        QByteArray text;
    };

    std::atomic<qint32> connectResult = 1;
    std::atomic<qint32> connectedAnswer = 1;
    std::atomic<qint32> sendResult = 1;
    // Every call waits this long before it returns, as a slow CG would.
    std::atomic<int> delayMs = 0;
    // Every send finds the link gone, as a tcp exchange that failed: the
    // handle is dropped (and answers 0 to isConnected) until it is connected again.
    std::atomic<bool> dropSends = false;
    // When set (before the sends it is for), the buffer of a send comes back as this.
    std::optional<QByteArray> sendReplacement;
    // Acts as the CG would on a send (writes a preview, …); set before the
    // sends it is for.
    std::function<void(qint32 code, const QByteArray& text)> onSend;

    qint32 connectQpxSystem(const QByteArray& address) override;
    qint32 isConnected(qint32 handle) override;
    qint32 sendCommand(qint32 handle, qint32 code, QByteArray& buffer) override;
    qint32 colorBar(qint32 handle) override;
    bool dropped(qint32 handle) const override;

    QList<Call> calls() const;
    void clearCalls();
    QList<Call> sends() const;

private:
    void keep(Call call);

    mutable QMutex m_mutex;
    QList<Call> m_calls;
    QSet<qint32> m_dropped;
};

// Spins the event loop until every command posted on the link is done and
// its result handled; false when that took longer than the bound.
bool settled(cglink::CgLink& link, int timeoutMs = 10000);
// Asks the link whether it is up and waits for the answer.
bool linkUp(cglink::CgLink& link);
// Connects and waits for the connect to be carried out: the new handle.
qint32 connectWait(cglink::CgLink& link, const QString& address);
// Sends and waits for the reply: the library's result; the text becomes the
// buffer as the library left it.
qint32 sendWait(cglink::CgLink& link, qint32 code, QString& text);
qint32 sendWait(cglink::CgLink& link, qint32 code, const QString& text);

} // namespace hp::test
