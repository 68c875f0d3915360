#pragma once

#include <QHttpServer>
#include <QImage>
#include <QMap>
#include <QObject>

namespace hp::feed {
class HttpGate;
class WebSocketClients;
} // namespace hp::feed

namespace hp::cg {
class ServerState;
}

namespace hp::cg::http {

// homeplate-cg's output for browsers, read only: GET /program (the page of
// a browser source), /program.png (the program now, with alpha),
// /preview/PAGE.png (a page with its current values) and the WebSocket
// /program/socket, which is sent each layer's new picture and effect after
// every play, take-off and clear, and on joining what is on air now. With
// a token, every request must carry ?token=T (401 otherwise).
class ProgramHttp : public QObject {
    Q_OBJECT
public:
    // A normal play fades in over this time, as on the program monitor.
    static constexpr int kFadeMs = 250;

    explicit ProgramHttp(const ServerState& state, QObject* parent = nullptr);
    ~ProgramHttp() override;

    bool listen(const QHostAddress& address, quint16 port, const QString& token);
    quint16 port() const;
    QString errorString() const;
    int clients() const;

    // The program output as the layers now stand, transparent where nothing is.
    QImage program() const;

private:
    struct Shown {
        QString signature; // page, values and effect it was drawn from
        QImage picture;
        QByteArray png;
    };
    void refresh();
    QByteArray message(const QList<int>& layers, bool reset) const;
    QHttpServerResponse png(const QImage& image) const;

    const ServerState& m_state;
    QHttpServer m_http;
    feed::HttpGate* m_gate;
    feed::WebSocketClients* m_clients;
    QString m_token;
    QMap<int, Shown> m_shown;
    bool m_due = false;
};

} // namespace hp::cg::http
