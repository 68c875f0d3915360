#include "CommandLine.h"
#include "HttpProbe.h"
#include "ProgramHttp.h"
#include "ProgramMonitor.h"
#include "ServerState.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QtTest>

using namespace hp;
using cg::ServerState;
using test::rawExchange;
using test::statusOf;

namespace {

QString fieldCommand(const QString& page, const QList<std::pair<QString, QString>>& fields,
                     const QString& effect)
{
    QString t = QStringLiteral("[BYNAME][%1][%2]%3\r\n").arg(page).arg(fields.size()).arg(effect);
    for (const auto& [name, value] : fields)
        t += QStringLiteral("[%1][0][%2]\r\n").arg(name, value);
    return t;
}

QByteArray get(quint16 port, const QByteArray& target)
{
    return rawExchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

// The score box played on layer 2, with its round.
qint32 playScore(ServerState& state, const QString& round)
{
    return state
        .execute(20, fieldCommand(QStringLiteral("SBO"), {{QStringLiteral("ROUND"), round}},
                                  QStringLiteral("[FO][2]")))
        .result;
}

QByteArray previewOf(const QString& page)
{
    return "/preview/" + QUrl::toPercentEncoding(page) + ".png";
}

QImage pngOf(const QByteArray& reply)
{
    return QImage::fromData(test::bodyOf(reply), "PNG");
}

// A picture with alpha laid over black, as the program monitor shows it.
QImage overBlack(const QImage& picture)
{
    QImage out(picture.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    p.drawImage(0, 0, picture);
    return out;
}

// The largest difference of a colour channel between two pictures.
int largestDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 256;
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))});
        }
    return most;
}

QJsonObject json(const QString& message)
{
    return QJsonDocument::fromJson(message.toUtf8()).object();
}

QStringList args(const QStringList& rest)
{
    return QStringList{QStringLiteral("homeplate-cg")} + rest;
}

} // namespace

class TestCgHttp : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        state = std::make_unique<ServerState>();
        QCOMPARE(state->execute(17, QStringLiteral(DEMO_PROJECT)).result, 1);
        http = std::make_unique<cg::http::ProgramHttp>(*state);
        QVERIFY(http->listen(QHostAddress::LocalHost, 0, {}));
    }
    void cleanup()
    {
        http.reset();
        state.reset();
    }

    // The page, the program picture with alpha and a page's preview; what
    // the program picture shows is what the program monitor shows.
    void picturesOfTheProgram()
    {
        const quint16 port = http->port();
        const QByteArray page = get(port, "/program");
        QCOMPARE(statusOf(page), 200);
        QVERIFY(page.contains("Content-Type: text/html"));
        QVERIFY(page.contains("/program/socket"));

        cg::ProgramMonitor monitor(*state);
        const QImage empty = pngOf(get(port, "/program.png"));
        QCOMPARE(empty.size(), state->outputSize());
        QVERIFY(empty.hasAlphaChannel());
        QCOMPARE(qAlpha(empty.pixel(100, 100)), 0);

        QCOMPARE(playScore(*state, QStringLiteral("3")), 1);
        QTest::qWait(400); // past the monitor's fade
        const QImage shown = pngOf(get(port, "/program.png"));
        QVERIFY(qAlpha(shown.pixel(100, 100)) > 0);
        QVERIFY(qAlpha(shown.pixel(shown.width() / 2, shown.height() / 2)) == 0);
        QVERIFY2(largestDifference(overBlack(shown), monitor.grabProgram()) <= 2,
                 "the program picture is not the monitor's");

        const QByteArray preview = get(port, "/preview/SBO.png");
        QCOMPARE(statusOf(preview), 200);
        QCOMPARE(pngOf(preview).size(), state->outputSize());
        QCOMPARE(statusOf(get(port, "/preview/NOPE.png")), 404);
        QCOMPARE(statusOf(get(port, "/preview/SBO.bmp")), 404);
        QCOMPARE(statusOf(get(port, "/../cg/demo/demo.PRJ")), 404);

        state->execute(0, QStringLiteral("-1"));
        QCOMPARE(qAlpha(pngOf(get(port, "/program.png")).pixel(100, 100)), 0);
    }

    // Nothing over HTTP changes the CG.
    void readOnly()
    {
        const quint16 port = http->port();
        for (const QByteArray method : {"POST", "PUT", "DELETE"})
            QCOMPARE(statusOf(rawExchange(
                         port, method + " /program HTTP/1.1\r\nContent-Length: 0\r\n\r\n")),
                     405);
        QVERIFY(state->layers().isEmpty());
    }

    // A page opened late is sent what is on air; each play and clear then
    // reaches it as the layer's new picture and effect.
    void layersOverTheSocket()
    {
        state->execute(4, QStringLiteral("[BYNAME][主播][E]"));
        test::SocketClient c;
        QVERIFY(c.open(http->port(), QStringLiteral("/program/socket")));
        QVERIFY(c.waitFor(1));
        const QJsonObject first = json(c.messages[0]);
        QVERIFY(first[u"reset"].toBool());
        QCOMPARE(first[u"size"][u"width"].toInt(), state->outputSize().width());
        QCOMPARE(first[u"layers"].toArray().size(), 1);
        QCOMPARE(first[u"layers"][0][u"layer"].toInt(), 1);
        QVERIFY(!first[u"layers"][0][u"png"].toString().isEmpty());

        playScore(*state, QStringLiteral("3"));
        QVERIFY(c.waitFor(2));
        const QJsonObject play = json(c.messages[1]);
        QCOMPARE(play[u"layers"].toArray().size(), 1);
        const QJsonObject layer = play[u"layers"][0].toObject();
        QCOMPARE(layer[u"layer"].toInt(), 2);
        QCOMPARE(layer[u"effect"].toString(),
                 state->layers().value(2).fade ? QStringLiteral("fade") : QStringLiteral("cut"));
        const QImage picture =
            QImage::fromData(QByteArray::fromBase64(layer[u"png"].toString().toLatin1()), "PNG");
        QCOMPARE(picture.size(), state->outputSize());
        QVERIFY(play[u"serverTime"].toInteger() > 0);

        state->execute(0, QStringLiteral("-1"));
        QVERIFY(c.waitFor(4));
        QList<int> cleared;
        for (const QString& m : c.messages.mid(2))
            for (const QJsonValue& l : json(m)[u"layers"].toArray()) {
                QVERIFY(l[u"png"].isNull());
                cleared << l[u"layer"].toInt();
            }
        std::sort(cleared.begin(), cleared.end());
        QCOMPARE(cleared, (QList<int>{1, 2}));
    }

    // A reader of the program that comes between a change and its
    // announcement (a picture asked for, a page joining) takes nothing
    // from the clients: each of them is still told of the change, once.
    void noChangeIsLostToAReader()
    {
        http.reset();
        std::function<void()> reader;
        QObject context;
        // Connected before the server's own: runs before its announcement.
        connect(state.get(), &ServerState::programChanged, &context, [&] {
            if (reader)
                std::exchange(reader, {})();
        });
        http = std::make_unique<cg::http::ProgramHttp>(*state);
        QVERIFY(http->listen(QHostAddress::LocalHost, 0, {}));
        const quint16 port = http->port();
        const auto clearedLayers = [](const QString& m) {
            QList<int> out;
            for (const QJsonValue& l : json(m)[u"layers"].toArray())
                if (l[u"png"].isNull())
                    out << l[u"layer"].toInt();
            return out;
        };

        state->execute(4, QStringLiteral("[BYNAME][主播][E]"));
        test::SocketClient c;
        QVERIFY(c.open(port, QStringLiteral("/program/socket")));
        QVERIFY(c.waitFor(1));
        QCOMPARE(json(c.messages[0])[u"layers"].toArray().size(), 1);
        reader = [&] { QCOMPARE(statusOf(get(port, "/program.png")), 200); };
        state->execute(0, QStringLiteral("-1"));
        QVERIFY2(c.waitFor(2), "the clear after a picture was asked for was not told");
        QCOMPARE(clearedLayers(c.messages[1]), QList<int>{1});

        state->execute(4, QStringLiteral("[BYNAME][主播][E]"));
        QVERIFY(c.waitFor(3));
        test::SocketClient late;
        reader = [&] {
            QVERIFY(late.open(port, QStringLiteral("/program/socket")));
            QVERIFY(late.waitFor(1));
        };
        state->execute(0, QStringLiteral("-1"));
        QVERIFY2(c.waitFor(4), "the clear after a page joined was not told");
        QCOMPARE(clearedLayers(c.messages[3]), QList<int>{1});
        // The newcomer was greeted with the program as cleared, and is told
        // nothing more of it.
        QVERIFY(json(late.messages[0])[u"reset"].toBool());
        QVERIFY(json(late.messages[0])[u"layers"].toArray().isEmpty());
        QTest::qWait(100);
        QCOMPARE(late.messages.size(), 1);
        QCOMPARE(c.messages.size(), 4);
    }

    // A page asked for by another of its names shows the same values.
    void previewByAlias()
    {
        QCOMPARE(playScore(*state, QStringLiteral("3")), 1);
        const QByteArray byName = get(http->port(), "/preview/SBO.png");
        const QByteArray byAlias = get(http->port(), previewOf(QStringLiteral("7.SBO表")));
        QCOMPARE(statusOf(byAlias), 200);
        QCOMPARE(pngOf(byAlias), pngOf(byName));
    }

    // Pictures are drawn once for what they show; previews not drawn yet
    // are drawn a few a second, the rest asked to come again.
    void picturesAreKept()
    {
        state->execute(4, QStringLiteral("[BYNAME][主播][E]"));
        playScore(*state, QStringLiteral("3"));
        const quint16 port = http->port();
        const QImage first = pngOf(get(port, "/program.png"));
        const int drawn = http->drawn();
        for (int i = 0; i < 10; ++i)
            QCOMPARE(pngOf(get(port, "/program.png")), first);
        QCOMPARE(http->drawn(), drawn);

        const QImage preview = pngOf(get(port, "/preview/RHE.png"));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(pngOf(get(port, "/preview/RHE.png")), preview);
        QCOMPARE(http->drawn(), drawn + 1);

        // A change shows at once.
        state->execute(0, QStringLiteral("-1"));
        QVERIFY(pngOf(get(port, "/program.png")) != first);
        playScore(*state, QStringLiteral("4"));
        QVERIFY(pngOf(get(port, "/program.png")) != first);

        QTest::qWait(1100);
        QList<int> statuses;
        for (const QByteArray page : {"九格表", "下三棒", "守備", "打序表", "終場表", "對戰表"})
            statuses << statusOf(get(port, previewOf(QString::fromUtf8(page))));
        QCOMPARE(statuses.count(200), cg::http::ProgramHttp::kFreshPreviewsPerSecond);
        QCOMPARE(statuses.mid(cg::http::ProgramHttp::kFreshPreviewsPerSecond),
                 QList<int>(6 - cg::http::ProgramHttp::kFreshPreviewsPerSecond, 503));
        QTest::qWait(1100);
        QCOMPARE(statusOf(get(port, previewOf(QStringLiteral("對戰表")))), 200);
    }

    // With a token every request needs it, the socket's too.
    void token()
    {
        cg::http::ProgramHttp guarded(*state);
        QVERIFY(guarded.listen(QHostAddress::LocalHost, 0, QStringLiteral("s3cr&t")));
        const quint16 port = guarded.port();
        QCOMPARE(statusOf(get(port, "/program")), 401);
        QCOMPARE(statusOf(get(port, "/program.png?token=wrong")), 401);
        QCOMPARE(statusOf(get(port, "/program.png?token=s3cr")), 401);
        QCOMPARE(statusOf(get(port, "/program.png?token=s3cr%26tt")), 401);
        QCOMPARE(statusOf(get(port, "/program.png?token=")), 401);
        QCOMPARE(statusOf(get(port, "/program?token=s3cr%26t")), 200);
        QCOMPARE(statusOf(get(port, "/program.png?token=s3cr%26t")), 200);
        QCOMPARE(statusOf(rawExchange(port, test::webSocketUpgrade("/program/socket"))), 401);
        test::SocketClient c;
        QVERIFY(c.open(port, QStringLiteral("/program/socket?token=s3cr%26t")));
        QVERIFY(c.waitFor(1));
    }

    // --http binds loopback unless told otherwise; off loopback it needs a
    // token and warns.
    void commandLine()
    {
        auto line = cg::parseCommandLine(args({QStringLiteral("--http"), QStringLiteral("8088")}));
        QVERIFY(line);
        QVERIFY(line->http);
        QCOMPARE(line->httpAddress, QHostAddress(QHostAddress::LocalHost));
        QCOMPARE(line->httpPort, quint16(8088));
        QVERIFY(line->warnings.isEmpty());

        QVERIFY(!cg::parseCommandLine(
            args({QStringLiteral("--http"), QStringLiteral("0.0.0.0:8088")})));
        line = cg::parseCommandLine(args({QStringLiteral("--http"), QStringLiteral("0.0.0.0:8088"),
                                          QStringLiteral("--http-token"), QStringLiteral("t")}));
        QVERIFY(line);
        QCOMPARE(line->httpToken, QStringLiteral("t"));
        QCOMPARE(line->warnings.filter(QStringLiteral("token")).size(), 1);
        QVERIFY(!cg::parseCommandLine(args({QStringLiteral("--http"), QStringLiteral("99999")})));
        QVERIFY(!cg::parseCommandLine(args({QStringLiteral("--http-token"), QStringLiteral("t")})));
    }

private:
    std::unique_ptr<ServerState> state;
    std::unique_ptr<cg::http::ProgramHttp> http;
};

QTEST_MAIN(TestCgHttp)
#include "tst_cg_http.moc"
