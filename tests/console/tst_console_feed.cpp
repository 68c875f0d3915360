#include "ConsoleFeed.h"
#include "ConsoleFixture.h"
#include "FeedServer.h"
#include "HttpProbe.h"
#include "JsonSchema.h"

#include <QtTest>

using namespace hp;
using test::ConsoleFixture;

namespace {

const QString kBlank = QStringLiteral("\u3000");

// The console with its feed on a free loopback port.
struct Fed : ConsoleFixture {
    feed::FeedServer server;
    feed::ConsoleFeed consoleFeed{server};
    test::SocketClient events;

    explicit Fed(const QString& engine)
        : ConsoleFixture(engine, false)
    {
        if (!server.listen(0))
            qWarning("no feed server");
        open();
    }

    QJsonObject game()
    {
        const QByteArray reply =
            test::rawExchange(server.port(), "GET /game.json HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        return QJsonDocument::fromJson(test::bodyOf(reply)).object();
    }

    // A box or cell as the feed gives it: the blank is null.
    QJsonValue cell(const QString& control)
    {
        const QString t = text(control);
        return t == kBlank || t.isEmpty() ? QJsonValue() : QJsonValue(t);
    }
    bool ticked(const QString& control)
    {
        const QJsonValue v = get(control)[QStringLiteral("checked")];
        return v.toBool() || v.toInt() != 0;
    }

    // Every field of the feed against the control that shows it.
    void verifyScreen(const QJsonObject& g)
    {
        QCOMPARE(g[u"inningText"].toString(), text(QStringLiteral("Frame1")));
        QCOMPARE(g[u"inning"].toInt(), text(QStringLiteral("Frame1")).chopped(1).toInt());
        QCOMPARE(g[u"half"].toString(), text(QStringLiteral("Frame1")).endsWith(u'T')
                                            ? QStringLiteral("bottom")
                                            : QStringLiteral("top"));
        for (int row = 1; row <= 2; ++row) {
            const QJsonObject t =
                g[u"teams"][row == 1 ? QStringLiteral("first") : QStringLiteral("second")]
                    .toObject();
            QCOMPARE(t[u"name"].toString(), text(QStringLiteral("Team_Lab(%1)").arg(row)));
            for (int i = 1; i <= 12; ++i)
                QCOMPARE(t[u"innings"][i - 1],
                         cell(QStringLiteral("Score%1_txt(%2)").arg(row).arg(i)));
            QCOMPARE(t[u"runs"].toString(), text(QStringLiteral("RHE%1_txt(1)").arg(row)));
            QCOMPARE(t[u"hits"].toString(), text(QStringLiteral("RHE%1_txt(2)").arg(row)));
            QCOMPARE(t[u"errors"].toString(), text(QStringLiteral("RHE%1_txt(3)").arg(row)));
        }
        QCOMPARE(g[u"count"][u"strikes"].toInt(), text(QStringLiteral("SBO_Lab(1)")).toInt());
        QCOMPARE(g[u"count"][u"balls"].toInt(), text(QStringLiteral("SBO_Lab(2)")).toInt());
        QCOMPARE(g[u"count"][u"outs"].toInt(), text(QStringLiteral("SBO_Lab(3)")).toInt());
        QCOMPARE(g[u"runners"][u"first"].toBool(), ticked(QStringLiteral("Base_Check(1)")));
        QCOMPARE(g[u"runners"][u"second"].toBool(), ticked(QStringLiteral("Base_Check(2)")));
        QCOMPARE(g[u"runners"][u"third"].toBool(), ticked(QStringLiteral("Base_Check(3)")));

        const QJsonObject b = g[u"batter"].toObject();
        QCOMPARE(b[u"slot"].toInt(), text(QStringLiteral("SS_Lab")).toInt());
        const QList<std::pair<QString, const char*>> batter{
            {QStringLiteral("number"), "NoS_Lab"},
            {QStringLiteral("name"), "NameS_Lab"},
            {QStringLiteral("position"), "CaptureS_txt"},
            {QStringLiteral("team"), "ATTACK_Lab"},
            {QStringLiteral("average"), "AvgS_Lab"}};
        for (const auto& [key, control] : batter)
            QCOMPARE(b[key].toString(), text(QString::fromLatin1(control)));
        const QList<std::pair<QString, const char*>> batterToday{
            {QStringLiteral("atBats"), "StrikeS_txt"},
            {QStringLiteral("hits"), "SaveS_txt"},
            {QStringLiteral("homeRuns"), "HomeS_txt"},
            {QStringLiteral("rbis"), "PointS_txt"},
            {QStringLiteral("average"), "AvgS_txt"}};
        for (const auto& [key, control] : batterToday)
            QCOMPARE(b[u"today"][key].toString(), text(QString::fromLatin1(control)));
        for (int i = 1; i <= 8; ++i)
            QCOMPARE(b[u"today"][u"plateAppearances"][i - 1],
                     cell(QStringLiteral("TimesS_txt(%1)").arg(i)));

        const QJsonObject p = g[u"pitcher"].toObject();
        const QList<std::pair<QString, const char*>> pitcher{
            {QStringLiteral("number"), "NoP_Lab"},
            {QStringLiteral("name"), "NameP_Lab"},
            {QStringLiteral("team"), "Pitcher_Lab"},
            {QStringLiteral("pitches"), "Ball_txt"},
            {QStringLiteral("era"), "EraP"}};
        for (const auto& [key, control] : pitcher)
            QCOMPARE(p[key].toString(), text(QString::fromLatin1(control)));
        const QList<std::pair<QString, const char*>> pitcherToday{
            {QStringLiteral("thirds"), "RoundS_txt"},
            {QStringLiteral("strikes"), "BallG_txt"},
            {QStringLiteral("balls"), "BallB_txt"},
            {QStringLiteral("hits"), "SaveP_txt"},
            {QStringLiteral("homeRuns"), "HomeP_txt"},
            {QStringLiteral("strikeouts"), "OutP_txt"},
            {QStringLiteral("walks"), "FourP_txt"},
            {QStringLiteral("runs"), "LostP_txt"},
            {QStringLiteral("earnedRuns"), "LostMe_txt"},
            {QStringLiteral("era"), "Era_Lab"}};
        for (const auto& [key, control] : pitcherToday)
            QCOMPARE(p[u"today"][key].toString(), text(QString::fromLatin1(control)));

        // The three after the batter, as the batting team's table holds them.
        const QString table = text(QStringLiteral("Frame1")).endsWith(u'T')
                                  ? QStringLiteral("SL今日成績")
                                  : QStringLiteral("SF今日成績");
        const QJsonArray next = g[u"nextBatters"].toArray();
        QCOMPARE(next.size(), 3);
        int slot = text(QStringLiteral("SS_Lab")).toInt();
        for (const QJsonValue& n : next) {
            slot = slot % 9 + 1;
            QCOMPARE(n[u"slot"].toInt(), slot);
            const QString s = QString::number(slot);
            QCOMPARE(n[u"name"].toString(), batterRow(table, s, QStringLiteral("姓名")));
            QCOMPARE(n[u"number"].toString(), batterRow(table, s, QStringLiteral("背號")));
            QCOMPARE(n[u"hits"].toString(), batterRow(table, s, QStringLiteral("安打")));
        }
    }
};

test::JsonSchema schema()
{
    QFile f(QStringLiteral(DOCS_DIR "/feed.schema.json"));
    if (!f.open(QIODevice::ReadOnly))
        return test::JsonSchema({});
    return test::JsonSchema(QJsonDocument::fromJson(f.readAll()).object());
}

} // namespace

class TstConsoleFeed : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    // A scripted half-inning: after every action /events delivers exactly
    // one message, in order, that fits the schema, and /game.json then is
    // what the console's screen shows.
    void halfInning_data() { test::TestDatabase::addEngineRows(); }
    void halfInning()
    {
        QFETCH(QString, engine);
        Fed f(engine);
        QVERIFY(f.tdb.ok());
        QVERIFY(f.events.open(f.server.port(), QStringLiteral("/events")));
        QVERIFY(f.events.waitFor(1));
        f.verifyScreen(f.game());
        const test::JsonSchema s = schema();

        const QList<std::pair<QString, std::function<bool()>>> actions{
            {QStringLiteral("single"), [&] { return f.play(QStringLiteral("一壘")); }},
            {QStringLiteral("runner on first"),
             [&] {
                 return f.h.ok(f.act(QStringLiteral("Base_Check(1)"), QStringLiteral("check"),
                                     {{QStringLiteral("value"), 1}}));
             }},
            {QStringLiteral("next batter"), [&] { return f.click(QStringLiteral("Command4")); }},
            {QStringLiteral("ball"), [&] { return f.press(QStringLiteral("SBO_Lab(2)")); }},
            {QStringLiteral("strike"), [&] { return f.press(QStringLiteral("SBO_Lab(1)")); }},
            {QStringLiteral("strike 2"), [&] { return f.press(QStringLiteral("SBO_Lab(1)")); }},
            {QStringLiteral("strikeout"), [&] { return f.play(QStringLiteral("三振")); }},
            {QStringLiteral("out"), [&] { return f.press(QStringLiteral("SBO_Lab(3)")); }},
            {QStringLiteral("next batter 2"), [&] { return f.click(QStringLiteral("Command4")); }},
            {QStringLiteral("home run"), [&] { return f.play(QStringLiteral("全壘")); }},
            {QStringLiteral("typed run"),
             [&] {
                 const QString cell = QStringLiteral("Score1_txt(1)");
                 return f.type(cell, QString::number(f.text(cell).toInt() + 1));
             }},
            {QStringLiteral("next batter 3"), [&] { return f.click(QStringLiteral("Command4")); }},
            {QStringLiteral("ground out"), [&] { return f.play(QStringLiteral("刺殺")); }},
            {QStringLiteral("change of half-inning"),
             [&] { return f.click(QStringLiteral("Next_Command")); }},
        };
        qsizetype seen = f.events.messages.size();
        quint64 sequence = quint64(
            QJsonDocument::fromJson(f.events.messages.last().toUtf8())[u"sequence"].toInteger());
        QList<double> latencies; // ms from the end of an action to its message
        for (const auto& [name, action] : actions) {
            QVERIFY2(action(), qPrintable(name));
            const qint64 acted = test::monotonicNs();
            QVERIFY2(f.events.waitFor(seen + 1), qPrintable(name));
            QTest::qWait(30);
            QCOMPARE(f.events.messages.size(), seen + 1);
            seen = f.events.messages.size();
            latencies << double(f.events.arrivals.last() - acted) / 1e6;
            const QJsonObject message =
                QJsonDocument::fromJson(f.events.messages.last().toUtf8()).object();
            QCOMPARE(quint64(message[u"sequence"].toInteger()), ++sequence);
            QCOMPARE(s.violations(message), QStringList());
            const QJsonObject g = f.game();
            QCOMPARE(g, message);
            f.verifyScreen(g);
            if (QTest::currentTestFailed()) {
                qWarning() << "after" << name;
                return;
            }
        }
        std::sort(latencies.begin(), latencies.end());
        qInfo("action to /events message over %lld actions: median %.2f ms, largest %.2f ms",
              qlonglong(latencies.size()), latencies[latencies.size() / 2], latencies.last());
        // Sent within the event loop's next turn (0.3 ms here): a feed that
        // waits on a timer shows up long before a loaded machine's noise does.
        QVERIFY2(latencies[latencies.size() / 2] < 25.0, "the feed waits before it sends");
        QCOMPARE(f.game()[u"inningText"].toString(), QStringLiteral("1T"));
        QCOMPARE(f.game()[u"half"].toString(), QStringLiteral("bottom"));
        QCOMPARE(f.game()[u"atBat"].toString(), QStringLiteral("second"));
    }
};

QTEST_MAIN(TstConsoleFeed)
#include "tst_console_feed.moc"
