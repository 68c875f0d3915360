#include "LibraryQpxNet.h"

#include <cstring>

namespace hp::cglink {

Result<std::shared_ptr<QpxNet>> LibraryQpxNet::load(const QString& path)
{
    std::shared_ptr<LibraryQpxNet> net(new LibraryQpxNet);
    net->m_library = std::make_unique<QLibrary>(path);
    if (!net->m_library->load())
        return Result<std::shared_ptr<QpxNet>>::failure(net->m_library->errorString());
    auto resolve = [&](const char* name) { return net->m_library->resolve(name); };
    net->m_connect = reinterpret_cast<ConnectFn>(resolve("QPXNET_ConnectQPXSystem"));
    net->m_isConnected = reinterpret_cast<HandleFn>(resolve("QPXNET_IsConnected"));
    net->m_send = reinterpret_cast<SendFn>(resolve("QPXNET_SendCommand"));
    net->m_colorBar = reinterpret_cast<HandleFn>(resolve("QPXNET_ColorBar"));
    if (!net->m_connect || !net->m_isConnected || !net->m_send || !net->m_colorBar)
        return Result<std::shared_ptr<QpxNet>>::failure(
            QStringLiteral("%1 does not export the four QPXNET functions").arg(path));
    return std::shared_ptr<QpxNet>(net);
}

qint32 LibraryQpxNet::connectQpxSystem(const QByteArray& address)
{
    return m_connect(address.constData());
}

qint32 LibraryQpxNet::isConnected(qint32 handle)
{
    return m_isConnected(handle);
}

qint32 LibraryQpxNet::sendCommand(qint32 handle, qint32 code, QByteArray& buffer)
{
    QByteArray writable(buffer.size() + 1 + kSpare, '\0');
    std::memcpy(writable.data(), buffer.constData(), size_t(buffer.size()));
    const qint32 result = m_send(handle, code, writable.data());
    const qsizetype end = qsizetype(::strnlen(writable.constData(), size_t(writable.size())));
    buffer = writable.left(end);
    return result;
}

qint32 LibraryQpxNet::colorBar(qint32 handle)
{
    return m_colorBar(handle);
}

} // namespace hp::cglink
