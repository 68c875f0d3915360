#pragma once

#include "QpxNet.h"

#include <QFile>

namespace hp::cglink {

// Writes every call as one JSON line {"fn","handle","code","text"} (text in
// UTF-8) and reports the link as up. Never touches the network.
class RecordQpxNet final : public QpxNet {
public:
    static Result<std::shared_ptr<QpxNet>> open(const QString& path);

    qint32 connectQpxSystem(const QByteArray& address) override;
    qint32 isConnected(qint32 handle) override;
    qint32 sendCommand(qint32 handle, qint32 code, QByteArray& buffer) override;
    qint32 colorBar(qint32 handle) override;

private:
    RecordQpxNet() = default;
    void record(const QString& fn, qint32 handle, qint32 code, const QByteArray& text);

    QFile m_file;
};

} // namespace hp::cglink
