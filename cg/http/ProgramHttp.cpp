#include "ProgramHttp.h"

#include "HttpGate.h"
#include "ProgramPage.h"
#include "Renderer.h"
#include "ServerState.h"
#include "WebSocketClients.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
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

// What a page with these values shows, as one text.
QString signatureOf(const QString& page, const Values& values, const QString& more = {})
{
    QStringList parts{page, more};
    for (auto v = values.cbegin(); v != values.cend(); ++v)
        parts << v.key() + u'=' + v.value();
    std::sort(parts.begin() + 2, parts.end());
    return parts.join(QChar(0x1f));
}

} // namespace

ProgramHttp::ProgramHttp(const ServerState& state, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_clients(new feed::WebSocketClients(m_http, this))
{
    m_gate = new feed::HttpGate(
        [this](const feed::RequestHead& head, QTcpSocket& socket) {
            if (!m_token.isEmpty() && !tokenMatches(head.query.queryItemValue(
                                          QStringLiteral("token"), QUrl::FullyDecoded)))
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
    m_http.route(kProgramPng, [this] { return png(programPng()); });
    m_http.route(QStringLiteral("/preview/<arg>"),
                 [this](const QString& file) { return preview(file.chopped(4)); });
    m_http.route(kSocket, [](QHttpServerResponder&&) {});
    // (Called before the client joins the others: what refresh() finds
    // changed goes to those who had the old picture, the newcomer is sent
    // the whole program.)
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
            refresh();
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

bool ProgramHttp::tokenMatches(const QString& given) const
{
    // In constant time, whatever the two are: the digests of both are
    // compared whole, so neither the length nor the first difference
    // shows in the time taken.
    const auto digest = [](const QString& text) {
        return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256);
    };
    const QByteArray a = digest(given), b = digest(m_token);
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

void ProgramHttp::refresh()
{
    QMap<int, Shown> shown;
    const auto& project = m_state.project();
    for (auto it = m_state.layers().cbegin(); it != m_state.layers().cend(); ++it) {
        const Page* page = project ? project->page(it.value().page) : nullptr;
        if (!page)
            continue;
        const QString signature = signatureOf(it.value().page, it.value().values,
                                              it.value().fade ? QStringLiteral("fade") : QString());
        if (m_shown.value(it.key()).signature == signature) {
            shown.insert(it.key(), m_shown.value(it.key()));
            continue;
        }
        const QImage picture = renderPage(*project, *page, it.value().values);
        ++m_drawn;
        shown.insert(it.key(), {signature, picture, encodePng(picture)});
    }
    QList<int> changed;
    for (auto it = shown.cbegin(); it != shown.cend(); ++it)
        if (m_shown.value(it.key()).signature != it.value().signature)
            changed << it.key();
    for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it)
        if (!shown.contains(it.key()))
            changed << it.key();
    m_shown = shown;
    for (int layer : std::as_const(changed))
        m_clients->publish({layer, message({layer}, false), false});
}

QByteArray ProgramHttp::programPng()
{
    refresh();
    const QSize size = m_state.outputSize();
    QStringList parts{QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                      m_state.colourBarsOn() ? QStringLiteral("bars") : QString()};
    for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it)
        parts << QString::number(it.key()) + u':' + it.value().signature;
    const QString signature = parts.join(QChar(0x1e));
    if (m_program.signature == signature && !m_program.png.isEmpty())
        return m_program.png;
    // One layer alone is its own picture, encoded already.
    if (m_shown.size() == 1 && !m_state.colourBarsOn() && m_shown.first().picture.size() == size)
        m_program = {signature, m_shown.first().png};
    else {
        m_program = {signature, encodePng(program())};
        ++m_drawn;
    }
    return m_program.png;
}

QHttpServerResponse ProgramHttp::preview(const QString& name)
{
    const auto& project = m_state.project();
    const Page* page = project ? project->page(name) : nullptr;
    if (!page)
        return QHttpServerResponse(QHttpServerResponse::StatusCode::NotFound);
    // Values are kept under the page's name, whichever name it was asked by.
    const Values values = m_state.values(page->name);
    const QString signature =
        signatureOf(page->name, values,
                    project->path + u'\x1f' + QString::fromLatin1(project->fingerprint.toHex()));
    const Kept kept = m_previews.value(page->name);
    if (kept.signature == signature)
        return png(kept.png);
    const qint64 now = QDeadlineTimer::current().deadline(); // monotonic, ms
    m_freshPreviews.removeIf([now](qint64 t) { return now - t >= 1000; });
    if (m_freshPreviews.size() >= kFreshPreviewsPerSecond) {
        QHttpServerResponse busy(QHttpServerResponse::StatusCode::ServiceUnavailable);
        busy.addHeader("Retry-After", "1");
        busy.addHeader("Connection", "close");
        return busy;
    }
    m_freshPreviews << now;
    // At most one picture a page is kept: no more than the project has.
    const QByteArray encoded = encodePng(renderPage(*project, *page, values));
    ++m_drawn;
    m_previews.insert(page->name, {signature, encoded});
    return png(encoded);
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

QHttpServerResponse ProgramHttp::png(const QByteArray& encoded)
{
    QHttpServerResponse r("image/png", encoded);
    r.addHeader("Connection", "close");
    r.addHeader("Cache-Control", "no-store");
    return r;
}

} // namespace hp::cg::http
