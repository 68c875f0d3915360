#pragma once

#include "Acceptor.h"
#include "ServerState.h"
#include "WireProtocol.h"

#include <QFile>
#include <QHash>
#include <QTcpSocket>

namespace hp::cg {

// Serves the CG wire protocol: one client after another or several at once.
// A malformed frame costs only that client its connection. A client that does
// not take its replies is not read from until it does; a request whose client
// has already gone is dropped, not executed. A client's requests are acted on
// in turn: while one waits on the database, that client's next ones wait too,
// and other clients are served.
class CgServer : public QObject {
    Q_OBJECT
public:
    // Replies a client has not taken yet, beyond which it is not read from.
    static constexpr qint64 kMaxUnsent = 1 << 20;
    // What is read from a client and not yet acted on: one whole frame at most.
    static constexpr qint64 kMaxParked = cglink::wire::kMaxPayload + 4;

    CgServer(ServerState& state, QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return m_acceptor.port(); }
    QString errorString() const { return m_acceptor.errorString(); }
    // Every command received, as one JSON line {"fn","handle","code","text"}.
    bool setLog(const QString& path);

private:
    struct Client {
        int id = 0;
        cglink::wire::FrameReader reader;
        bool waiting = false; // for the client to take its replies
        bool acting = false;  // on a request, not answered yet
    };
    void onAccepted(qintptr descriptor);
    void onReadyRead(QTcpSocket* socket);
    void onBytesWritten(QTcpSocket* socket);
    void drop(QTcpSocket* socket);
    using Answer = std::function<void(const cglink::wire::Reply&)>;
    void handle(QTcpSocket* socket, int client, const cglink::wire::Request& request,
                Answer answer);
    void answer(QTcpSocket* socket, int client, const cglink::wire::Reply& reply);
    // Whether the client is still there for the request it waits on; if not,
    // its connection is dropped.
    bool stillWaiting(QTcpSocket* socket, int client, qint32 code);
    void log(const QString& fn, int client, qint32 code, const QString& text);

    ServerState& m_state;
    Acceptor m_acceptor;
    QHash<QTcpSocket*, Client> m_clients;
    int m_nextClient = 1;
    QTcpSocket* m_reading = nullptr; // whose requests onReadyRead is acting on
    QFile m_log;
};

} // namespace hp::cg
