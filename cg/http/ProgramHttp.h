#pragma once

#include <QHash>
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
//
// Pictures are drawn on the CG's own thread, so they are kept: each one is
// drawn and encoded once for what it shows, and previews not kept yet are
// drawn at most kFreshPreviewsPerSecond a second (503 beyond, to be asked
// again), so that no reader can hold up the CG's commands.
class ProgramHttp : public QObject {
    Q_OBJECT
public:
    // A normal play fades in over this time, as on the program monitor.
    static constexpr int kFadeMs = 250;
    static constexpr int kFreshPreviewsPerSecond = 4;

    explicit ProgramHttp(const ServerState& state, QObject* parent = nullptr);
    ~ProgramHttp() override;

    bool listen(const QHostAddress& address, quint16 port, const QString& token);
    quint16 port() const;
    QString errorString() const;
    int clients() const;

    // The program output as the layers now stand, transparent where nothing is.
    QImage program() const;
    // How many pictures were drawn and encoded for the program and the
    // previews since the start.
    int drawn() const { return m_drawn; }

private:
    struct Shown {
        QString signature; // page, values and effect it was drawn from
        QImage picture;
        QByteArray png;
    };
    struct Kept {
        QString signature;
        QByteArray png;
    };
    // Draws what changed on the layers and tells the clients at once:
    // whoever finds a change first, no change goes untold.
    void refresh();
    QByteArray programPng();
    QHttpServerResponse preview(const QString& name);
    bool tokenMatches(const QString& given) const;
    QByteArray message(const QList<int>& layers, bool reset) const;
    static QHttpServerResponse png(const QByteArray& encoded);

    const ServerState& m_state;
    QHttpServer m_http;
    feed::HttpGate* m_gate;
    feed::WebSocketClients* m_clients;
    QString m_token;
    QMap<int, Shown> m_shown;
    Kept m_program;
    QHash<QString, Kept> m_previews; // by page name
    QList<qint64> m_freshPreviews;   // when each was drawn, the last second's
    int m_drawn = 0;
    bool m_due = false;
};

} // namespace hp::cg::http
