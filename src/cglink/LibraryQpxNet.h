#pragma once

#include "QpxNet.h"

#include <QLibrary>

namespace hp::cglink {

// Calls a shared library that exports the four functions with C linkage:
//   int32_t QPXNET_ConnectQPXSystem(const char* address);
//   int32_t QPXNET_IsConnected(int32_t handle);
//   int32_t QPXNET_SendCommand(int32_t handle, int32_t code, char* text);
//   int32_t QPXNET_ColorBar(int32_t handle);
// The send buffer is zero-terminated and has kSpare writable bytes beyond the
// text; what the library leaves there up to the first zero is read back.
class LibraryQpxNet final : public QpxNet {
public:
    static constexpr qsizetype kSpare = 4096;

    static Result<std::shared_ptr<QpxNet>> load(const QString& path);

    qint32 connectQpxSystem(const QByteArray& address) override;
    qint32 isConnected(qint32 handle) override;
    qint32 sendCommand(qint32 handle, qint32 code, QByteArray& buffer) override;
    qint32 colorBar(qint32 handle) override;

private:
    using ConnectFn = qint32 (*)(const char*);
    using HandleFn = qint32 (*)(qint32);
    using SendFn = qint32 (*)(qint32, qint32, char*);

    LibraryQpxNet() = default;

    std::unique_ptr<QLibrary> m_library;
    ConnectFn m_connect = nullptr;
    HandleFn m_isConnected = nullptr;
    SendFn m_send = nullptr;
    HandleFn m_colorBar = nullptr;
};

} // namespace hp::cglink
