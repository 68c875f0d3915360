#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>
#include <memory>

class QSocketNotifier;

namespace hp::cg {

// Takes connections off a listening socket. Out of descriptors, it stops
// trying until one is freed (or a second has passed) rather than failing as
// fast as the event loop turns; the connection waits in the queue meanwhile.
// QTcpServer only binds and listens here: it cannot be relied on to report
// running out of descriptors once any accept has come back empty-handed.
class Acceptor : public QObject {
    Q_OBJECT
public:
    explicit Acceptor(QObject* parent = nullptr);
    ~Acceptor() override;

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }
    // A descriptor may have been freed: try again now.
    void retry();

signals:
    void accepted(qintptr descriptor);

private:
    void acceptPending();

    QTcpServer m_server;
    std::unique_ptr<QSocketNotifier> m_notifier; // gone before the socket it watches
    QTimer m_retry;
    bool m_paused = false;
    bool m_warned = false;
};

} // namespace hp::cg
