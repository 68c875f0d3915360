#pragma once

#include "ControlDriver.h"
#include "EventLog.h"

#include <QHash>
#include <QTcpServer>

class QTcpSocket;

namespace hp::app {
class ScriptedDialogs;
}

namespace hp::remote {

// Newline-delimited JSON over TCP on 127.0.0.1: one response line per request,
// each client's in the order of its requests.
class RemoteServer : public QObject {
    Q_OBJECT
public:
    // The longest request line, without its newline.
    static constexpr qsizetype kMaxLine = 1 << 20;
    // Past this many bytes of replies a client has not taken, its further
    // requests wait unread until it takes them.
    static constexpr qint64 kMaxUnsent = 1 << 20;

    RemoteServer(app::EventLog& log, app::ScriptedDialogs* dialogs, QObject* parent = nullptr);
    ~RemoteServer() override;

    bool listen(quint16 port);
    quint16 port() const;
    QString errorString() const { return m_server.errorString(); }

    // One request line in, one response object out. The action may run a
    // nested event loop (a modal message) before it returns.
    QJsonObject handle(const QByteArray& line);

private:
    struct Client {
        QByteArray partial;    // the start of a line whose newline has not come yet
        bool skipping = false; // inside an over-long line, answered already: dropped to its end
        bool serving = false;  // one of its requests is being handled
        bool gone = false;     // disconnected while serving: let go when that ends
    };
    enum class Taken { Nothing, Line, TooLong };

    void onNewConnection();
    void serve(QTcpSocket* socket);
    void letGo(QTcpSocket* socket);
    Taken takeLine(QTcpSocket* socket, QByteArray& line);
    QJsonObject dispatch(const QJsonObject& request);

    app::EventLog& m_log;
    app::ScriptedDialogs* m_dialogs;
    ControlDriver m_driver;
    QHash<QTcpSocket*, Client> m_clients;
    QTcpServer m_server{this};
};

} // namespace hp::remote
