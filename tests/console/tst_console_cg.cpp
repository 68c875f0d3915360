#include "CgProcess.h"
#include "ConsoleFixture.h"
#include "Cp950.h"
#include "TcpQpxNet.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTemporaryDir>

using namespace hp;

namespace {

// The console opened on a real homeplate-cg with the demo project.
struct RealCg {
    CgProcess cg;
    QTemporaryDir logDir;
    std::unique_ptr<test::ConsoleFixture> f;

    bool start()
    {
        if (!cg.start({QStringLiteral("--log"), log()}))
            return false;
        f = std::make_unique<test::ConsoleFixture>(QStringLiteral("sqlite"), false,
                                                   std::make_shared<cglink::TcpQpxNet>());
        if (!f->tdb.ok())
            return false;
        const QString project = f->h.settings.dir.filePath(QStringLiteral("demo.PRJ"));
        QFile::remove(project);
        if (!QFile::copy(QStringLiteral(DEMO_PROJECT), project))
            return false;
        f->h.settings.store.set(QStringLiteral("QPXServerIP"), cg.address());
        f->h.settings.store.set(QStringLiteral("PreviewWait"), QStringLiteral("500"));
        f->open();
        return test::linkUp(f->h.cg);
    }
    QString log() const { return logDir.filePath(QStringLiteral("cg.jsonl")); }
    // The texts of the commands the CG received with this code, in order.
    QStringList received(int code) const
    {
        QStringList out;
        QFile file(log());
        if (!file.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o.value(QStringLiteral("code")).toInt() == code)
                out << o.value(QStringLiteral("text")).toString();
        }
        return out;
    }
    QByteArray preview() const
    {
        QFile file(f->h.settings.dir.filePath(QStringLiteral("TempImageB.BMP")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool selectInGame(int index)
    {
        return f->h.ok(f->act(QStringLiteral("List3"), QStringLiteral("select"),
                              {{QStringLiteral("index"), index}}));
    }
};

} // namespace

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
        QVERIFY(test::linkUp(f.h.cg));
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

    void aCuedGraphicFollowsTheCountOnARealCg()
    {
        RealCg r;
        QVERIFY(r.start());
        test::ConsoleFixture& f = *r.f;
        QVERIFY(r.selectInGame(6)); // 7.SBO表
        const QByteArray before = r.preview();
        QVERIFY(!before.isEmpty());
        QVERIFY(f.press(QStringLiteral("SBO_Lab(2)")));
        // The CG rendered the count box again with the ball: another picture,
        // in the panel before the click's answer, and play is on.
        const QByteArray after = r.preview();
        QVERIFY(!after.isEmpty());
        QVERIFY(after != before);
        QVERIFY(f.enabled(QStringLiteral("Command5")));
        QCOMPARE(f.get(QStringLiteral("Image2"))[QStringLiteral("image")],
                 QJsonValue(QJsonObject{{QStringLiteral("w"), 240}, {QStringLiteral("h"), 162}}));
        QVERIFY(r.received(9).last().contains(QStringLiteral("[B][0][1]")));
        // Nothing was played by it.
        QCOMPARE(r.received(20), QStringList());
    }

    void theQuickCountFollowsTheCountOnARealCg()
    {
        RealCg r;
        QVERIFY(r.start());
        test::ConsoleFixture& f = *r.f;
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, r.cg.port());
        QVERIFY(probe.waitForConnected(2000));
        QVERIFY(f.click(QStringLiteral("SBO_Cmd")));
        QVERIFY(f.key(test::C, QStringLiteral("F6")));
        QStringList plays = r.received(20);
        QCOMPARE(plays.size(), 2);
        QVERIFY(plays[1].startsWith(QStringLiteral("[BYNAME][SBO][12][FO]")));
        QVERIFY(plays[1].contains(QStringLiteral("[B][0][1]")));
        QVERIFY(f.key(test::C, QStringLiteral("F6")));
        plays = r.received(20);
        QCOMPARE(plays.size(), 3);
        QVERIFY(plays[2].contains(QStringLiteral("[B][0][2]")));

        // A fade of another page on layer 1 replaces it: no more sends.
        QVERIFY(r.selectInGame(4));
        QVERIFY(f.click(QStringLiteral("Command5")));
        plays = r.received(20);
        QCOMPARE(plays.size(), 4);
        QVERIFY(plays[3].startsWith(QStringLiteral("[BYNAME][打者今日成績][19][E]")));
        QVERIFY(f.key(test::C, QStringLiteral("F6")));
        QCOMPARE(r.received(20).size(), 4);
        const QByteArray takeOff =
            command(5, cglink::toCp950(QStringLiteral("[BYNAME][SBO]")).bytes);
        QCOMPARE(exchange(probe, takeOff), 0); // the count box is not on air
    }
};

QTEST_MAIN(TstConsoleCg)
#include "tst_console_cg.moc"
