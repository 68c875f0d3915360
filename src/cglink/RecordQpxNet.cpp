#include "RecordQpxNet.h"

#include "Cp950.h"
#include "LibraryQpxNet.h"
#include "TcpQpxNet.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace hp::cglink {

Result<std::shared_ptr<QpxNet>> RecordQpxNet::open(const QString& path)
{
    std::shared_ptr<RecordQpxNet> net(new RecordQpxNet);
    net->m_file.setFileName(path);
    if (!net->m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return Result<std::shared_ptr<QpxNet>>::failure(
            QStringLiteral("cannot write %1: %2").arg(path, net->m_file.errorString()));
    return std::shared_ptr<QpxNet>(net);
}

void RecordQpxNet::record(const QString& fn, qint32 handle, qint32 code, const QByteArray& text)
{
    const QJsonObject line{{QStringLiteral("fn"), fn},
                           {QStringLiteral("handle"), handle},
                           {QStringLiteral("code"), code},
                           {QStringLiteral("text"), fromCp950(text)}};
    m_file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
    m_file.flush();
}

qint32 RecordQpxNet::connectQpxSystem(const QByteArray& address)
{
    record(QStringLiteral("ConnectQPXSystem"), 0, 0, address);
    return 1;
}

qint32 RecordQpxNet::isConnected(qint32 handle)
{
    record(QStringLiteral("IsConnected"), handle, 0, {});
    return 1;
}

qint32 RecordQpxNet::sendCommand(qint32 handle, qint32 code, QByteArray& buffer)
{
    record(QStringLiteral("SendCommand"), handle, code, buffer);
    return 1;
}

qint32 RecordQpxNet::colorBar(qint32 handle)
{
    record(QStringLiteral("ColorBar"), handle, 0, {});
    return 1;
}

Result<std::shared_ptr<QpxNet>> makeQpxNet(const QString& backend)
{
    if (backend.isEmpty() || backend == QStringLiteral("tcp"))
        return std::shared_ptr<QpxNet>(std::make_shared<TcpQpxNet>());
    if (backend.startsWith(QStringLiteral("library:")))
        return LibraryQpxNet::load(backend.mid(8));
    if (backend.startsWith(QStringLiteral("record:")))
        return RecordQpxNet::open(backend.mid(7));
    return Result<std::shared_ptr<QpxNet>>::failure(
        QStringLiteral("unknown CG backend \"%1\" (tcp, library:PATH or record:FILE)")
            .arg(backend));
}

} // namespace hp::cglink
