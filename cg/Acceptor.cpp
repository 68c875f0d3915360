#include "Acceptor.h"

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>

Q_DECLARE_LOGGING_CATEGORY(lcCg)

namespace hp::cg {

namespace {
constexpr int kRetryMs = 1000;
// Connections taken in one go before the event loop has its turn again.
constexpr int kBurst = 64;
} // namespace

Acceptor::Acceptor(QObject* parent)
    : QObject(parent)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &Acceptor::retry);
}

Acceptor::~Acceptor() = default;

bool Acceptor::listen(const QHostAddress& address, quint16 port)
{
    if (!m_server.listen(address, port))
        return false;
    m_server.pauseAccepting(); // for good: connections are taken here
    m_notifier =
        std::make_unique<QSocketNotifier>(m_server.socketDescriptor(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &Acceptor::acceptPending);
    return true;
}

void Acceptor::retry()
{
    if (!m_paused)
        return;
    m_paused = false;
    m_retry.stop();
    m_notifier->setEnabled(true);
}

void Acceptor::acceptPending()
{
    const int listening = int(m_server.socketDescriptor());
    for (int n = 0; n < kBurst; ++n) {
        const int fd = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            m_warned = false;
            emit accepted(fd);
            continue;
        }
        const int error = errno;
        if (error == EAGAIN || error == EWOULDBLOCK)
            return; // nothing more waiting
        if (error == EINTR || error == ECONNABORTED || error == EPROTO)
            continue; // that one connection is gone; the next may be fine
        // Out of descriptors or memory, or worse: trying again at once would
        // fail again at once.
        if (!m_warned)
            qCWarning(lcCg).noquote()
                << "cannot accept a connection:" << QString::fromLocal8Bit(std::strerror(error))
                << "- waiting for a descriptor to be freed";
        m_warned = true;
        m_paused = true;
        m_notifier->setEnabled(false);
        m_retry.start();
        return;
    }
}

} // namespace hp::cg
