#pragma once

#include "ServerState.h"
#include "WireProtocol.h"

#include <QFile>
#include <QHash>
#include <QTcpServer>

namespace hp::cg {

// Serves the CG wire protocol: one client after another or several at once.
// A malformed frame costs only that client its connection.
class CgServer : public QObject {
    Q_OBJECT
public:
    CgServer(ServerState& state, QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }
    // Every command received, as one JSON line {"fn","handle","code","text"}.
    bool setLog(const QString& path);

private:
    struct Client {
        int id = 0;
        cglink::wire::FrameReader reader;
    };
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    cglink::wire::Reply handle(int client, const cglink::wire::Request& request);
    void log(const QString& fn, int client, qint32 code, const QString& text);

    ServerState& m_state;
    QTcpServer m_server;
    QHash<QTcpSocket*, Client> m_clients;
    int m_nextClient = 1;
    QFile m_log;
};

} // namespace hp::cg
