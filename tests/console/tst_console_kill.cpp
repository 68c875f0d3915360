#include "ConsoleFixture.h"
#include "ConsoleProcess.h"
#include "RandomPlay.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

using namespace hp;
using test::Console;

class TstConsoleKill : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    // A kill in the middle of a settings write leaves the settings' own lock
    // file, empty if the kill came before its owner was written into it: the
    // next start takes it away instead of waiting for it to age.
    void aSettingsWriteCutShortDoesNotHoldTheNextStart()
    {
        test::ConsoleFixture game(QStringLiteral("sqlite"), false);
        QVERIFY(game.tdb.ok());
        const QString settings = game.h.settings.dir.filePath(QStringLiteral("settings.ini"));
        QFile left(settings + QStringLiteral(".lock"));
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.close();
        Console console(settings, game.h.settings.dir.filePath(QStringLiteral("cg.jsonl")));
        QElapsedTimer started;
        started.start();
        QVERIFY(console.start());
        // The opening writes the settings (the CG's address, among others).
        QVERIFY2(started.elapsed() < 15000, qPrintable(QString::number(started.elapsed())));
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
