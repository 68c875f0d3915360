#include "ProgramHttp.h"

#include "HttpGate.h"
#include "ProgramPage.h"
#include "Renderer.h"
#include "ServerState.h"
#include "WebSocketClients.h"

#include <QBuffer>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTimer>

namespace hp::cg::http {

namespace {

const QString kProgram = QStringLiteral("/program");
const QString kProgramPng = QStringLiteral("/program.png");
const QString kSocket = QStringLiteral("/program/socket");
const QString kPreview = QStringLiteral("/preview/");

QByteArray encodePng(const QImage& image)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    // Light compression: the picture is on its way to air.
    image.save(&buffer, "PNG", 80);
    return out;
}

// The page name of /preview/PAGE.png, or nothing.
QString previewPage(const QString& path)
{
    if (!path.startsWith(kPreview) || !path.endsWith(QStringLiteral(".png")))
        return {};
    return path.mid(kPreview.size(), path.size() - kPreview.size() - 4);
}

} // namespace

ProgramHttp::ProgramHttp(const ServerState& state, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_clients(new feed::WebSocketClients(m_http, this))
{
    m_gate = new feed::HttpGate(
        [this](const feed::RequestHead& head, QTcpSocket& socket) {
            if (!m_token.isEmpty() &&
                head.query.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded) != m_token)
                return 401;
            if (head.path == kSocket) {
                if (!head.webSocket)
                    return 400;
                return m_clients->reserve(socket) ? 0 : 503;
            }
            if (head.webSocket)
                return 404;
            if (head.path == kProgram || head.path == kProgramPng)
                return 0;
            const QString page = previewPage(head.path);
            const auto& project = m_state.project();
            return !page.isEmpty() && project && project->page(page) ? 0 : 404;
        },
        this);
    m_http.route(kProgram, [] {
        QHttpServerResponse r("text/html; charset=utf-8", programPage());
        r.addHeader("Connection", "close");
        r.addHeader("Cache-Control", "no-store");
        return r;
    });
    m_http.route(kProgramPng, [this] {
        refresh();
        return png(program());
    });
    m_http.route(QStringLiteral("/preview/<arg>"), [this](const QString& file) {
        const QString name = file.chopped(4);
        const auto& project = m_state.project();
        const Page* page = project ? project->page(name) : nullptr;
        if (!page)
            return QHttpServerResponse(QHttpServerResponse::StatusCode::NotFound);
        return png(renderPage(*project, *page, m_state.values(name)));
    });
    m_http.route(kSocket, [](QHttpServerResponder&&) {});
    m_clients->setGreeting([this] {
        refresh();
        return QList<feed::WebSocketClients::Message>{{-1, message(m_shown.keys(), true), false}};
    });
    // After the reply to the command: drawing and encoding wait their turn.
    connect(&m_state, &ServerState::programChanged, this, [this] {
        if (m_due)
            return;
        m_due = true;
        QTimer::singleShot(0, this, [this] {
            m_due = false;
            const QMap<int, Shown> before = m_shown;
            refresh();
            QList<int> changed;
            for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it)
                if (before.value(it.key()).signature != it.value().signature)
                    changed << it.key();
            for (auto it = before.cbegin(); it != before.cend(); ++it)
                if (!m_shown.contains(it.key()))
                    changed << it.key();
            for (int layer : changed)
                m_clients->publish({layer, message({layer}, false), false});
        });
    });
}

ProgramHttp::~ProgramHttp() = default;

bool ProgramHttp::listen(const QHostAddress& address, quint16 port, const QString& token)
{
    m_token = token;
    return m_gate->listenFor(m_http, address, port);
}

quint16 ProgramHttp::port() const
{
    return m_gate->serverPort();
}

QString ProgramHttp::errorString() const
{
    return m_gate->errorString();
}

int ProgramHttp::clients() const
{
    return m_clients->connected();
}

void ProgramHttp::refresh()
{
    QMap<int, Shown> shown;
    const auto& project = m_state.project();
    for (auto it = m_state.layers().cbegin(); it != m_state.layers().cend(); ++it) {
        const Page* page = project ? project->page(it.value().page) : nullptr;
        if (!page)
            continue;
        QStringList parts{it.value().page, it.value().fade ? QStringLiteral("fade") : QString()};
        for (auto v = it.value().values.cbegin(); v != it.value().values.cend(); ++v)
            parts << v.key() + u'=' + v.value();
        std::sort(parts.begin() + 2, parts.end());
        const QString signature = parts.join(QChar(0x1f));
        if (m_shown.value(it.key()).signature == signature) {
            shown.insert(it.key(), m_shown.value(it.key()));
            continue;
        }
        const QImage picture = renderPage(*project, *page, it.value().values);
        shown.insert(it.key(), {signature, picture, encodePng(picture)});
    }
    m_shown = shown;
}

QImage ProgramHttp::program() const
{
    QImage out(m_state.outputSize(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    if (m_state.colourBarsOn())
        p.drawImage(0, 0, colourBars(out.size()));
    for (const Shown& s : m_shown)
        p.drawImage(QRect(QPoint(0, 0), out.size()), s.picture);
    return out;
}

QByteArray ProgramHttp::message(const QList<int>& layers, bool reset) const
{
    QJsonArray list;
    for (int layer : layers) {
        const auto shown = m_shown.find(layer);
        const bool on = shown != m_shown.end();
        const bool fade = on && !reset && m_state.layers().value(layer).fade;
        list.append(QJsonObject{
            {QStringLiteral("layer"), layer},
            {QStringLiteral("effect"), fade ? QStringLiteral("fade") : QStringLiteral("cut")},
            {QStringLiteral("fadeMs"), kFadeMs},
            {QStringLiteral("png"),
             on ? QJsonValue(QString::fromLatin1(shown->png.toBase64())) : QJsonValue()}});
    }
    const QSize size = m_state.outputSize();
    QJsonObject m{
        {QStringLiteral("layers"), list},
        {QStringLiteral("serverTime"), QDateTime::currentMSecsSinceEpoch()},
        {QStringLiteral("size"), QJsonObject{{QStringLiteral("width"), size.width()},
                                             {QStringLiteral("height"), size.height()},
                                             {QStringLiteral("aspect"), displayAspect(size)}}}};
    if (reset)
        m.insert(QStringLiteral("reset"), true);
    return QJsonDocument(m).toJson(QJsonDocument::Compact);
}

QHttpServerResponse ProgramHttp::png(const QImage& image) const
{
    QHttpServerResponse r("image/png", encodePng(image));
    r.addHeader("Connection", "close");
    r.addHeader("Cache-Control", "no-store");
    return r;
}

} // namespace hp::cg::http
