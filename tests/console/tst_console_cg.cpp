#include "CgProcess.h"
#include "ConsoleFixture.h"
#include "Cp950.h"
#include "TcpQpxNet.h"

#include <QElapsedTimer>

using namespace hp;

// The console against a real homeplate-cg over tcp: what the operator cues
// shows in the panel at once, play puts it on the program, F2 clears it.
class TstConsoleCg : public QObject {
    Q_OBJECT
private slots:
    void cuePlayAndClearOnARealCg()
    {
        CgProcess cg;
        QVERIFY(cg.start({}));
        test::ConsoleFixture f(QStringLiteral("sqlite"), false,
                               std::make_shared<cglink::TcpQpxNet>());
        QVERIFY(f.tdb.ok());
        const QString project = f.h.settings.dir.filePath(QStringLiteral("demo.PRJ"));
        QFile::remove(project);
        QVERIFY(QFile::copy(QStringLiteral(DEMO_PROJECT), project));
        f.h.settings.store.set(QStringLiteral("QPXServerIP"), cg.address());
        f.h.settings.store.set(QStringLiteral("PreviewWait"), QStringLiteral("500"));
        f.open();
        QVERIFY(f.h.cg.isUp());
        // The console opened on the first batter's line, previewed already.
        QVERIFY(!f.get(QStringLiteral("Image2"))[QStringLiteral("image")].isNull());

        QElapsedTimer clock;
        clock.start();
        QVERIFY(f.h.ok(f.act(QStringLiteral("List3"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 6}})));
        // The server answers once the file is written: no waiting out the 500 ms.
        QVERIFY2(clock.elapsed() < 400, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(f.get(QStringLiteral("Image2"))[QStringLiteral("image")],
                 QJsonValue(QJsonObject{{QStringLiteral("w"), 240}, {QStringLiteral("h"), 162}}));

        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, cg.port());
        QVERIFY(probe.waitForConnected(2000));
        const QByteArray takeOff =
            command(5, cglink::toCp950(QStringLiteral("[BYNAME][SBO]")).bytes);
        QCOMPARE(exchange(probe, takeOff), 0); // not on air yet
        QVERIFY(f.click(QStringLiteral("Command5")));
        QVERIFY(!f.get(QStringLiteral("Image3"))[QStringLiteral("image")].isNull());
        QCOMPARE(exchange(probe, takeOff), 1); // it was on the program
        QVERIFY(f.click(QStringLiteral("Command5")));
        QVERIFY(f.key(test::C, QStringLiteral("F2")));
        QCOMPARE(exchange(probe, takeOff), 0);
        QVERIFY(f.get(QStringLiteral("Image3"))[QStringLiteral("image")].isNull());
    }
};

QTEST_MAIN(TstConsoleCg)
#include "tst_console_cg.moc"
