#pragma once

#include "Result.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

namespace hp::cglink {

// A connect that runs on the event loop instead of waiting: it reports once,
// with the new handle or a value below 1 when no CG answered. Destroying it
// before then abandons the attempt.
class PendingConnect : public QObject {
    Q_OBJECT
signals:
    void finished(qint32 handle);
};

// The four functions of the CG client library. Text crosses this seam as code
// page 950 bytes; the send buffer is writable and holds, after the call, the
// text as the library left it.
class QpxNet {
public:
    virtual ~QpxNet() = default;
    virtual qint32 connectQpxSystem(const QByteArray& address) = 0;
    virtual qint32 isConnected(qint32 handle) = 0;
    virtual qint32 sendCommand(qint32 handle, qint32 code, QByteArray& buffer) = 0;
    virtual qint32 colorBar(qint32 handle) = 0;

    // Whether the backend knows that this handle has no link, so that nothing
    // sent on it reaches the CG (tcp: no connection was made for it, or it was
    // closed after a failed exchange or by the server). Backends that cannot
    // tell answer false and leave it to isConnected.
    virtual bool dropped(qint32 handle) const
    {
        Q_UNUSED(handle);
        return false;
    }

    // The program no longer uses this handle: another connect replaced it, or
    // a background connect was not taken. A backend that keeps a connection
    // per handle closes it, so that the CG does not keep a session per
    // reconnect. The client library is never asked to disconnect.
    virtual void release(qint32 handle) { Q_UNUSED(handle); }

    // Whether connectInBackground() can start a connect without waiting.
    virtual bool connectsInBackground() const { return false; }
    // Starts a connect that does not block the caller; nullptr when the
    // backend can only connect by waiting for its own call to return.
    virtual std::unique_ptr<PendingConnect> connectInBackground(const QByteArray& address)
    {
        Q_UNUSED(address);
        return nullptr;
    }
};

// "tcp" (the default), "library:PATH" or "record:FILE".
Result<std::shared_ptr<QpxNet>> makeQpxNet(const QString& backend);

} // namespace hp::cglink
