#pragma once

#include "QpxNet.h"

#include <QList>
#include <functional>

namespace hp::test {

// A client library stand-in that keeps every call.
class FakeQpxNet final : public cglink::QpxNet {
public:
    struct Call {
        QString fn;
        qint32 handle = 0;
        qint32 code = 0;
        QByteArray text;
    };

    qint32 connectResult = 1;
    qint32 connectedAnswer = 1;
    qint32 sendResult = 1;
    // When set, the buffer of a send comes back as this.
    std::optional<QByteArray> sendReplacement;
    QList<Call> calls;
    // Acts as the CG would on a send (writes a preview, …).
    std::function<void(qint32 code, const QByteArray& text)> onSend;

    qint32 connectQpxSystem(const QByteArray& address) override;
    qint32 isConnected(qint32 handle) override;
    qint32 sendCommand(qint32 handle, qint32 code, QByteArray& buffer) override;
    qint32 colorBar(qint32 handle) override;

    QList<Call> sends() const;
};

} // namespace hp::test
