#include "ConsoleFixture.h"
#include "RandomPlay.h"

#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>

using namespace hp;

namespace {

// The controls whose values make up what the operator sees of the game.
QStringList screenControls()
{
    QStringList names{
        QStringLiteral("Frame1"),      QStringLiteral("SS_Lab"),    QStringLiteral("NameS_Lab"),
        QStringLiteral("StrikeS_txt"), QStringLiteral("SaveS_txt"), QStringLiteral("HomeS_txt"),
        QStringLiteral("PointS_txt"),  QStringLiteral("NameP_Lab"), QStringLiteral("RoundS_txt"),
        QStringLiteral("BallG_txt"),   QStringLiteral("BallB_txt"), QStringLiteral("SaveP_txt"),
        QStringLiteral("OutP_txt"),    QStringLiteral("FourP_txt")};
    for (int i = 1; i <= 3; ++i)
        names << QStringLiteral("SBO_Lab(%1)").arg(i) << QStringLiteral("Base_Check(%1)").arg(i)
              << QStringLiteral("RHE1_txt(%1)").arg(i) << QStringLiteral("RHE2_txt(%1)").arg(i);
    for (int i = 1; i <= 8; ++i)
        names << QStringLiteral("TimesS_txt(%1)").arg(i);
    for (int i = 1; i <= 12; ++i)
        names << QStringLiteral("Score1_txt(%1)").arg(i) << QStringLiteral("Score2_txt(%1)").arg(i);
    return names;
}

// The program as its own process on a game database, driven over its
// remote-control port, and killed without warning.
class Console {
public:
    Console(const QString& settings, const QString& record)
        : m_settings(settings)
        , m_record(record)
    {
    }
    ~Console() { kill(); }

    bool start()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOMEPLATE_LOOPBACK_ONLY"), QStringLiteral("1"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(qEnvironmentVariable("HOMEPLATE_BINARY"),
                        {QStringLiteral("--automation"), QStringLiteral("--remote"),
                         QString::number(port), QStringLiteral("--cg-backend"),
                         QStringLiteral("record:") + m_record, QStringLiteral("--settings"),
                         m_settings});
        if (!m_process.waitForStarted())
            return false;
        for (int i = 0; i < 200; ++i) {
            m_socket.connectToHost(QHostAddress::LocalHost, port);
            if (m_socket.waitForConnected(200))
                return ok(act(QStringLiteral("mStart"), QStringLiteral("Command2"),
                              QStringLiteral("click")));
            m_socket.abort();
            QTest::qWait(20);
        }
        return false;
    }

    void kill()
    {
        m_socket.abort();
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill(); // SIGKILL: no handler of the program runs
        m_process.waitForFinished(5000);
    }

    QJsonObject call(const QJsonObject& request, bool wait = true)
    {
        m_socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
        m_socket.waitForBytesWritten(2000);
        if (!wait)
            return {};
        while (!m_socket.canReadLine())
            if (!m_socket.waitForReadyRead(10000))
                return {};
        return QJsonDocument::fromJson(m_socket.readLine()).object();
    }
    QJsonObject act(const QString& window, const QString& control, const QString& action,
                    QJsonObject extra = {}, bool wait = true)
    {
        extra.insert(QStringLiteral("op"), QStringLiteral("act"));
        extra.insert(QStringLiteral("window"), window);
        extra.insert(QStringLiteral("control"), control);
        extra.insert(QStringLiteral("action"), action);
        return call(extra, wait);
    }
    static bool ok(const QJsonObject& r) { return r.value(QStringLiteral("ok")).toBool(); }
    qint64 pid() const { return m_process.processId(); }

    // What the operator sees: text or tick of every game control.
    QStringList screen()
    {
        const QJsonObject all = call({{QStringLiteral("op"), QStringLiteral("dump")},
                                      {QStringLiteral("window"), test::C}})
                                    .value(QStringLiteral("controls"))
                                    .toObject();
        QStringList out;
        for (const QString& name : screenControls()) {
            const QJsonObject c = all.value(name).toObject();
            out << name + u'=' +
                       (c.value(QStringLiteral("type")).toString() == QStringLiteral("check")
                            ? QString::number(c.value(QStringLiteral("checked")).toInt())
                            : c.value(QStringLiteral("text")).toString());
        }
        return out;
    }
    bool enabled(const QString& control)
    {
        return call({{QStringLiteral("op"), QStringLiteral("get")},
                     {QStringLiteral("window"), test::C},
                     {QStringLiteral("control"), control}})
            .value(QStringLiteral("state"))
            .toObject()
            .value(QStringLiteral("enabled"))
            .toBool();
    }

private:
    QString m_settings;
    QString m_record;
    QProcess m_process;
    QTcpSocket m_socket;
};

} // namespace

class TstConsoleKill : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    // A second console on the same settings file would write the same
    // journal: it says who holds the file and goes, and once the first is
    // killed the lock it left is taken over.
    void oneConsolePerSettingsFile()
    {
        test::ConsoleFixture game(QStringLiteral("sqlite"), false);
        QVERIFY(game.tdb.ok());
        const QString settings = game.h.settings.dir.filePath(QStringLiteral("settings.ini"));
        Console first(settings, game.h.settings.dir.filePath(QStringLiteral("cg1.jsonl")));
        QVERIFY(first.start());
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOMEPLATE_LOOPBACK_ONLY"), QStringLiteral("1"));
        second.setProcessEnvironment(env);
        const QStringList args{QStringLiteral("--automation"), QStringLiteral("--cg-backend"),
                               QStringLiteral("record:") +
                                   game.h.settings.dir.filePath(QStringLiteral("cg2.jsonl")),
                               QStringLiteral("--settings"), settings};
        second.start(qEnvironmentVariable("HOMEPLATE_BINARY"), args);
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 1);
        const QString said = QString::fromLocal8Bit(second.readAllStandardError());
        QVERIFY2(said.contains(QStringLiteral("in use by process %1").arg(first.pid())),
                 qPrintable(said));
        first.kill();
        Console again(settings, game.h.settings.dir.filePath(QStringLiteral("cg3.jsonl")));
        QVERIFY(again.start());
    }

    // Killed at random moments of a scripted game, the console opens again on
    // the screen it had: batter, count, outs, runners, line score, lines.
    void aKilledConsoleComesBackOnTheSameScreen_data() { test::TestDatabase::addEngineRows(); }
    void aKilledConsoleComesBackOnTheSameScreen()
    {
        QFETCH(QString, engine);
        QVERIFY2(QFile::exists(qEnvironmentVariable("HOMEPLATE_BINARY")),
                 "HOMEPLATE_BINARY is not set");
        test::ConsoleFixture game(engine, false);
        QVERIFY(game.tdb.ok());
        game.h.settings.store.set(QStringLiteral("PreviewWait"), QStringLiteral("0"));
        const QString settings = game.h.settings.dir.filePath(QStringLiteral("settings.ini"));
        QVERIFY(QFile::exists(settings));
        Console console(settings, game.h.settings.dir.filePath(QStringLiteral("cg.jsonl")));
        QRandomGenerator random(20261208);
        test::RandomPlay play{
            [&](const QString& control, const QString& action, const QJsonObject& extra,
                bool wait) { console.act(test::C, control, action, extra, wait); },
            [&](const QString& control) { return console.enabled(control); },
            QRandomGenerator(20261209)};
        const int rounds = qEnvironmentVariableIntValue("HOMEPLATE_KILL_ROUNDS") > 0
                               ? qEnvironmentVariableIntValue("HOMEPLATE_KILL_ROUNDS")
                               : 50;
        QVERIFY(console.start());
        for (int round = 0; round < rounds; ++round) {
            const int actions = 1 + random.bounded(12);
            for (int i = 0; i < actions; ++i)
                play.step();
            QStringList before = console.screen();
            // Every third kill lands while an action is on its way: the
            // action is stored whole or not at all, whichever screen it left.
            const bool inFlight = round % 3 == 2;
            if (inFlight) {
                play.step(false);
                QTest::qWait(random.bounded(3));
            }
            console.kill();
            QVERIFY(console.start());
            const QStringList after = console.screen();
            if (inFlight) {
                // Either the action was stored or it was not: compare with a
                // fresh restart, which must agree with itself.
                console.kill();
                QVERIFY(console.start());
                QCOMPARE(console.screen(), after);
                continue;
            }
            QCOMPARE(after, before);
        }
    }

    // The log holds the actions stored, each once: a kill between two
    // actions loses none and the opening after it adds none; an action on
    // its way when the kill lands is in the log exactly when it is in the
    // tables.
    void aKilledConsoleKeepsItsLogWhole_data() { test::TestDatabase::addEngineRows(); }
    void aKilledConsoleKeepsItsLogWhole()
    {
        QFETCH(QString, engine);
        QVERIFY2(QFile::exists(qEnvironmentVariable("HOMEPLATE_BINARY")),
                 "HOMEPLATE_BINARY is not set");
        test::ConsoleFixture game(engine, false);
        QVERIFY(game.tdb.ok());
        const QString settings = game.h.settings.dir.filePath(QStringLiteral("settings.ini"));
        Console console(settings, game.h.settings.dir.filePath(QStringLiteral("cg.jsonl")));
        auto kinds = [&] {
            QStringList out;
            const auto rows = game.tdb.open()->query(
                QStringLiteral("SELECT 種類,壞球 FROM 比賽紀錄 ORDER BY Seq"));
            for (const db::Row& r : *rows)
                out << r.value(QStringLiteral("種類")) + r.value(QStringLiteral("壞球"));
            return out;
        };
        const QString ball = QStringLiteral("SBO_Lab(2)");
        const QString strike = QStringLiteral("SBO_Lab(1)");
        QVERIFY(console.start());
        QStringList expected;
        for (int i = 0; i < 2; ++i) {
            QVERIFY(Console::ok(console.act(test::C, ball, QStringLiteral("press"))));
            expected << QStringLiteral("壞球") + QString::number(i + 1);
            QVERIFY(Console::ok(console.act(test::C, strike, QStringLiteral("press"))));
            expected << QStringLiteral("好球") + QString::number(i + 1);
            console.kill();
            QCOMPARE(kinds(), expected);
            QVERIFY(console.start());
            QCOMPARE(kinds(), expected);
        }
        // On its way: stored whole with its row, or neither.
        console.act(test::C, ball, QStringLiteral("press"), {}, false);
        console.kill();
        const QStringList after = kinds();
        const QString balls =
            game.row(QStringLiteral("SELECT B FROM SBO表")).value(QStringLiteral("B"));
        if (balls == QStringLiteral("3"))
            QCOMPARE(after, expected << QStringLiteral("壞球3"));
        else
            QCOMPARE(after, expected);
        QVERIFY(console.start());
        QCOMPARE(kinds(), after);
    }
};

QTEST_MAIN(TstConsoleKill)
#include "tst_console_kill.moc"
