#pragma once

#include "ControlDriver.h"
#include "EventLog.h"

#include <QHash>
#include <QTcpServer>

namespace hp::app {
class ScriptedDialogs;
}

namespace hp::remote {

// Newline-delimited JSON over TCP on 127.0.0.1: one response line per request.
class RemoteServer : public QObject {
    Q_OBJECT
public:
    RemoteServer(app::EventLog& log, app::ScriptedDialogs* dialogs, QObject* parent = nullptr);

    bool listen(quint16 port);
    quint16 port() const;
    QString errorString() const { return m_server.errorString(); }

    // One request line in, one response object out.
    QJsonObject handle(const QByteArray& line);

private:
    QJsonObject dispatch(const QJsonObject& request);
    void onNewConnection();

    app::EventLog& m_log;
    app::ScriptedDialogs* m_dialogs;
    ControlDriver m_driver;
    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

} // namespace hp::remote
