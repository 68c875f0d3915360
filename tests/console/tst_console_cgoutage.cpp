#include "CgCommands.h"
#include "CgProcess.h"
#include "ConsoleFixture.h"
#include "Cp950.h"
#include "LinkWatcher.h"
#include "TcpQpxNet.h"

#include <QElapsedTimer>
#include <QLabel>
#include <algorithm>
#include <vector>

using namespace hp;

namespace {

// Longer than any click may take once the link is known to be down.
constexpr qint64 kFastMs = 500;
// The two-second bound and some slack for a loaded machine.
constexpr qint64 kBoundMs = 2600;

// The console playing against a real homeplate-cg that the test kills, stops
// and restarts; the console tries the CG again every 200 ms.
struct Outage {
    CgProcess cg;
    QTemporaryDir logDir;
    QString log = logDir.filePath(QStringLiteral("cg.log"));
    test::ConsoleFixture f{QStringLiteral("sqlite"), false, std::make_shared<cglink::TcpQpxNet>()};
    QString project = f.h.settings.dir.filePath(QStringLiteral("demo.PRJ"));
    QWidget* console = nullptr;

    bool open()
    {
        if (!f.tdb.ok() || !cg.start({QStringLiteral("--log"), log}))
            return false;
        QFile::remove(project);
        if (!QFile::copy(QStringLiteral(DEMO_PROJECT), project))
            return false;
        f.h.settings.store.set(QStringLiteral("QPXServerIP"), cg.address());
        f.h.settings.store.set(QStringLiteral("PreviewWait"), QStringLiteral("500"));
        f.open();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == test::C)
                console = w;
        auto* watcher = console ? console->findChild<cglink::LinkWatcher*>() : nullptr;
        if (!watcher || !test::linkUp(f.h.cg))
            return false;
        watcher->setInterval(200);
        return true;
    }

    bool restart() { return cg.start({QStringLiteral("--log"), log}, {}, cg.port()); }

    // Milliseconds one remote-control request held the window thread.
    qint64 timed(const std::function<bool()>& action, bool* ok = nullptr)
    {
        QElapsedTimer t;
        t.start();
        const bool done = action();
        if (ok)
            *ok = done;
        return t.elapsed();
    }
    bool selectInGame(int index)
    {
        return f.h.ok(f.act(QStringLiteral("List3"), QStringLiteral("select"),
                            {{QStringLiteral("index"), index}}));
    }

    QString cgPanel() { return f.h.panels(test::C).value(0); }
    bool cgPanelRed()
    {
        auto* label = console->findChild<QLabel*>(QStringLiteral("StatusBar1.Panel1"));
        return label && label->autoFillBackground();
    }
    // How many commands with the code the CG carried out.
    int logged(qint32 code)
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        int n = 0;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (QJsonDocument::fromJson(line).object()[QStringLiteral("code")].toInt(-1) == code)
                ++n;
        return n;
    }
    // How many times the CG was told to open the console's template project.
    int projectOpens()
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        int n = 0;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o[QStringLiteral("code")].toInt() == cglink::kOpenProject &&
                o[QStringLiteral("text")].toString() == project)
                ++n;
        }
        return n;
    }

    // Waits for the console to report the CG back, then checks that a graphic
    // is previewed and played again on the new server.
    void expectBack(int opensBefore)
    {
        QTRY_VERIFY_WITH_TIMEOUT(cgPanel().startsWith(QStringLiteral("已恢復連接字幕機")), 5000);
        QVERIFY(cgPanel().contains(cg.address()));
        QVERIFY(!cgPanelRed());
        QVERIFY(test::linkUp(f.h.cg));
        QTRY_COMPARE(projectOpens(), opensBefore + 1);
        // What the CG kept of the program is not known until the next play.
        const QString unknown = QStringLiteral("連線後播出狀態不明");
        QVERIFY(f.text(QStringLiteral("OnAir_Lab")).startsWith(unknown));

        const QString preview = f.h.settings.dir.filePath(cglink::kPreviewB);
        QFile::remove(preview);
        f.h.messages();
        QVERIFY(selectInGame(6));
        QCOMPARE(f.h.messages(), QStringList());
        QVERIFY(QFile::exists(preview));
        QVERIFY(!f.get(QStringLiteral("Image2"))[QStringLiteral("image")].isNull());
        QVERIFY(f.click(QStringLiteral("Command5")));
        QVERIFY(!f.text(QStringLiteral("OnAir_Lab")).contains(unknown));
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, cg.port());
        QVERIFY(probe.waitForConnected(2000));
        QCOMPARE(exchange(probe, command(cglink::kTakeOff,
                                         cglink::toCp950(QStringLiteral("[BYNAME][SBO]")).bytes)),
                 1); // it was on the program
    }
};

const QString kLinkDown = QStringLiteral("請檢查字幕機連線,或重新取得字幕機連線/字幕機斷線");

} // namespace

class TstConsoleCgOutage : public QObject {
    Q_OBJECT
private slots:
    void killedCgIsFoundAtOnceAndComesBackByItself()
    {
        Outage o;
        QVERIFY(o.open());
        const int opens = o.projectOpens();
        QCOMPARE(opens, 1); // the opening
        o.cg.kill();
        o.f.h.messages();

        QVERIFY2(o.timed([&] { return o.selectInGame(6); }) < kFastMs, "first click");
        QCOMPARE(o.f.h.messages(), QStringList{kLinkDown});
        QVERIFY(o.cgPanel().startsWith(QStringLiteral("字幕機斷線於")));
        QVERIFY(o.cgPanelRed());
        for (int i = 0; i < 3; ++i) {
            QVERIFY(o.timed([&] { return o.selectInGame(i); }) < kFastMs);
            QVERIFY(o.timed([&] { return o.f.click(QStringLiteral("Command5")); }) < kFastMs);
            QVERIFY(o.timed([&] { return o.f.click(QStringLiteral("SBO_Cmd")); }) < kFastMs);
        }
        // Refused attempts while nothing listens leave the link down and red.
        QTest::qWait(600);
        QVERIFY(o.cgPanelRed());
        QVERIFY(!test::linkUp(o.f.h.cg));

        QVERIFY(o.restart());
        o.expectBack(opens);
    }

    // The CG was restarted while the console stood idle: the play that finds
    // its connection closed shows the link lost, the console reconnects by
    // itself, and the play that did not go out is not on the tally.
    void cgRestartedWhileIdleIsFoundByThePlay()
    {
        Outage o;
        QVERIFY(o.open());
        const int opens = o.projectOpens();
        const int plays = o.logged(cglink::kPlayWithFields);
        QVERIFY(o.selectInGame(6));
        o.cg.kill();
        QVERIFY(o.restart());
        QTest::qWait(300); // the console's link sees its connection end
        o.f.h.messages();
        QVERIFY(o.f.click(QStringLiteral("Command5")));
        QTRY_VERIFY_WITH_TIMEOUT(o.cgPanel().startsWith(QStringLiteral("已恢復連接字幕機")), 5000);
        QTRY_COMPARE(o.projectOpens(), opens + 1);
        QCOMPARE(o.logged(cglink::kPlayWithFields), plays);
        QCOMPARE(o.f.text(QStringLiteral("OnAir_Lab")), QStringLiteral("連線後播出狀態不明"));
        QCOMPARE(o.f.h.messages(), QStringList());
        o.expectBack(opens);
    }

    // The CG accepts but does not answer: the console never waits on it.
    // Count clicks are handled at once; the link shows down within its bound;
    // what the operator played meanwhile does not go to air when the CG
    // comes back.
    void stoppedCgNeverHoldsTheWindow()
    {
        Outage o;
        QVERIFY(o.open());
        const int opens = o.projectOpens();
        const int plays = o.logged(cglink::kPlayWithFields), clears = o.logged(cglink::kClear);
        o.cg.signal(SIGSTOP);
        o.f.h.messages();
        o.f.h.waitForCg = false;

        QElapsedTimer since;
        since.start();
        QVERIFY(o.timed([&] { return o.f.click(QStringLiteral("Command5")); }) < kFastMs);
        QVERIFY(o.timed([&] { return o.selectInGame(6); }) < kFastMs);
        std::vector<qint64> counts;
        // A ball, taken back, and again.
        for (int i = 0; i < 31; ++i) {
            QElapsedTimer t;
            t.start();
            QVERIFY(o.f.press(QStringLiteral("SBO_Lab(2)"), i % 2 == 1));
            counts.push_back(t.nsecsElapsed() / 1000);
            QTest::qWait(10);
        }
        std::sort(counts.begin(), counts.end());
        qInfo("count clicks while the CG is stopped: median %.2f ms, longest %.2f ms",
              counts[counts.size() / 2] / 1000.0, counts.back() / 1000.0);
        QVERIFY2(counts.back() < 250'000, qPrintable(QString::number(counts.back())));
        QCOMPARE(o.f.row(QStringLiteral("SELECT B FROM SBO表")).value(QStringLiteral("B")),
                 QStringLiteral("1"));

        QTRY_VERIFY_WITH_TIMEOUT(o.cgPanelRed(), kBoundMs);
        qInfo("the stopped CG was shown down after %lld ms", since.elapsed());
        QVERIFY2(since.elapsed() < kBoundMs, qPrintable(QString::number(since.elapsed())));
        // The click on the list is refused once its check finds the link down.
        QStringList said;
        QTRY_VERIFY((said += o.f.h.messages()).contains(kLinkDown));
        QCOMPARE(said, QStringList{kLinkDown});
        for (int i = 0; i < 3; ++i) {
            QVERIFY(o.timed([&] { return o.selectInGame(i); }) < kFastMs);
            QVERIFY(o.timed([&] { return o.f.key(test::C, QStringLiteral("F2")); }) < kFastMs);
        }

        // The background attempts meet the same silent server: none of them
        // holds the window thread.
        qint64 last = since.elapsed();
        qint64 longestGap = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &tick, [&] {
            longestGap = qMax(longestGap, since.elapsed() - last);
            last = since.elapsed();
        });
        tick.start(10);
        QTest::qWait(2600);
        tick.stop();
        qInfo("longest gap of a 10 ms timer while attempts met the stopped CG: %lld ms",
              longestGap);
        QVERIFY2(longestGap < 400, qPrintable(QString::number(longestGap)));
        QVERIFY(o.cgPanelRed());

        o.cg.signal(SIGCONT);
        o.f.h.waitForCg = true;
        QTRY_VERIFY_WITH_TIMEOUT(o.cgPanel().startsWith(QStringLiteral("已恢復連接字幕機")), 5000);
        QTRY_COMPARE(o.projectOpens(), opens + 1);
        // Nothing of what was played or cleared while it was stopped went out late.
        QCOMPARE(o.logged(cglink::kPlayWithFields), plays);
        QCOMPARE(o.logged(cglink::kClear), clears);
        o.expectBack(opens);
    }
};

QTEST_MAIN(TstConsoleCgOutage)
#include "tst_console_cgoutage.moc"
