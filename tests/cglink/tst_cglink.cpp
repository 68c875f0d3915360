#include "CgCommands.h"
#include "CgLink.h"
#include "CgMenuCommands.h"
#include "Clock.h"
#include "Cp950.h"
#include "FakeQpxNet.h"
#include "LinkWatcher.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <future>
#include <thread>

using namespace hp;

namespace {

// A menu-command fixture: a fake library, scripted dialogs, a fixed clock and
// a status bar made of a map.
struct Fixture {
    std::shared_ptr<test::FakeQpxNet> net = std::make_shared<test::FakeQpxNet>();
    cglink::CgLink link{net};
    test::TestSettings settings;
    app::EventLog log;
    app::ScriptedDialogs dialogs{log};
    app::FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(19, 5, 7))};
    QMap<int, QString> panels;

    cglink::CgMenuCommands commands(cglink::CgMenuCommands::Window w)
    {
        return cglink::CgMenuCommands(w, link, settings.store, dialogs, clock,
                                      [this](int p, const QString& t) { panels[p] = t; });
    }
    QStringList messages()
    {
        QStringList out;
        for (const QJsonValue& v : log.take())
            if (v[QStringLiteral("kind")] == QStringLiteral("message"))
                out << v[QStringLiteral("text")].toString() + u'/' +
                           v[QStringLiteral("title")].toString();
        return out;
    }
};

} // namespace

class TstCgLink : public QObject {
    Q_OBJECT
private slots:
    void handleIsTheLastConnectWhateverItsValue()
    {
        Fixture f;
        QCOMPARE(f.link.handle(), 0);
        f.link.send(cglink::kClear, cglink::kClearText); // before any connect: handle 0
        f.net->connectResult = 3;
        f.link.connectTo(QStringLiteral("127.0.0.1"));
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.link.handle(), 3);
        f.net->connectResult = -1;
        f.link.connectTo(QStringLiteral("127.0.0.2"));
        f.link.send(cglink::kClear, cglink::kClearText);
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.link.handle(), -1);
        const auto sends = f.net->sends();
        QCOMPARE(sends[0].handle, 0);
        QCOMPARE(sends[1].handle, -1);
        QCOMPARE(sends[1].text, QByteArray("-1"));
    }

    void keptValueIsReplacedByTheBufferAfterTheCall()
    {
        Fixture f;
        f.net->sendReplacement = cglink::toCp950(QStringLiteral("/srv/範本/新.PRJ")).bytes;
        QString kept = QStringLiteral("/srv/範本/demo.PRJ");
        f.link.send(cglink::kOpenProject, kept, &f.link,
                    [&kept](const cglink::CgReply& reply) { kept = reply.buffer; });
        QVERIFY(test::settled(f.link));
        QCOMPARE(kept, QStringLiteral("/srv/範本/新.PRJ"));
        QCOMPARE(cglink::fromCp950(f.net->sends().first().text),
                 QStringLiteral("/srv/範本/demo.PRJ"));
    }

    void unencodableTextIsSentAsQuestionMarkAndReported()
    {
        Fixture f;
        QSignalSpy spy(&f.link, &cglink::CgLink::textNotEncodable);
        f.link.send(cglink::kLoadFields, QStringLiteral("[NAME][0][金😀]"));
        QCOMPARE(spy.count(), 1);
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.net->sends().first().text,
                 cglink::toCp950(QStringLiteral("[NAME][0][金?]")).bytes);
        f.link.send(cglink::kLoadFields, QStringLiteral("[NAME][0][金]"));
        QCOMPARE(spy.count(), 1);
    }

    void checksBeforeAGraphicInOrder()
    {
        Fixture f;
        QList<std::optional<cglink::Notice>> answers;
        auto prepare = [&](const cglink::TemplateProject& project) {
            f.link.prepare(project, {{cglink::kPreview, QStringLiteral("p")}}, &f.link,
                           [&](const std::optional<cglink::Notice>& n) { answers << n; });
            return test::settled(f.link);
        };
        f.net->connectedAnswer = 0;
        QVERIFY(prepare({}));
        f.net->connectedAnswer = 5;
        QVERIFY(prepare({}));
        QVERIFY(f.net->sends().isEmpty());
        QVERIFY(prepare({QStringLiteral("/t/a.PRJ"), QStringLiteral("/t/")}));
        QCOMPARE(answers.size(), 3);
        QCOMPARE(answers[0]->text, QStringLiteral("請檢查字幕機連線,或重新取得字幕機連線"));
        QCOMPARE(answers[0]->title, QStringLiteral("字幕機斷線"));
        QCOMPARE(answers[1]->text, QStringLiteral("請打開播出範本"));
        QCOMPARE(answers[1]->title, QStringLiteral("尚未開啟範本"));
        QVERIFY(!answers[2]);
        QCOMPARE(f.net->sends().size(), 1);
    }

    // The link goes while a graphic's commands go out: the graphic is
    // refused in the words of a down link, and only what went before counts
    // as sent; what was left is not tried.
    void aGraphicIsRefusedWhenTheLinkGoesWhileItsCommandsGoOut()
    {
        Fixture f;
        f.link.connectTo(QStringLiteral("127.0.0.1"));
        QSignalSpy sent(&f.link, &cglink::CgLink::sent);
        QSignalSpy lost(&f.link, &cglink::CgLink::linkLost);
        f.net->onSend = [&f](qint32 code, const QByteArray&) {
            if (code == cglink::kLoadFields)
                f.net->dropSends = true; // from the next send on
        };
        std::optional<std::optional<cglink::Notice>> answer;
        f.link.prepare({QStringLiteral("/t/a.PRJ"), QStringLiteral("/t/")},
                       {{cglink::kLoadFields, QStringLiteral("l")},
                        {cglink::kPreview, QStringLiteral("p")},
                        {cglink::kPlayWithFields, QStringLiteral("q")}},
                       &f.link, [&](const std::optional<cglink::Notice>& n) { answer = n; });
        QVERIFY(test::settled(f.link));
        QVERIFY(answer);
        QVERIFY(answer->has_value());
        QCOMPARE((*answer)->text, QStringLiteral("請檢查字幕機連線,或重新取得字幕機連線"));
        QCOMPARE((*answer)->title, QStringLiteral("字幕機斷線"));
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.first().first().toInt(), cglink::kLoadFields);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(f.net->sends().size(), 2);
    }

    // A library call that never returns: the link gives up waiting within
    // its bound so that the program can end, and what the call does when it
    // returns at last reaches no one.
    void aBackendCallThatNeverReturnsDoesNotHoldTheExit()
    {
        auto net = cglink::makeQpxNet(QStringLiteral("library:" FAKE_QPXNET_PATH));
        QVERIFY2(net, qPrintable(net.error()));
        QLibrary lib(QStringLiteral(FAKE_QPXNET_PATH));
        auto hold = reinterpret_cast<void (*)(qint32)>(lib.resolve("fake_hold"));
        QVERIFY(hold);
        // Let go in any case, so that a link that waits without a bound
        // fails the test instead of hanging it.
        std::promise<void> ended;
        std::thread release([&hold, done = ended.get_future()] {
            done.wait_for(std::chrono::seconds(8));
            hold(0);
        });
        hold(1);
        QElapsedTimer t;
        qint64 ms = 0;
        {
            cglink::CgLink link(std::move(net.value()));
            link.connectTo(QStringLiteral("127.0.0.1"));
            link.send(cglink::kClear, cglink::kClearText);
            QTest::qWait(50); // the send is in the library
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("has not returned")));
            t.start();
        }
        ms = t.elapsed();
        ended.set_value();
        release.join();
        QTest::qWait(100); // the call returns on the thread left behind
        QVERIFY2(ms < cglink::CgLink::kStopWaitMs + 1000, qPrintable(QString::number(ms)));
    }

    void connectWithEmptyAnswerChangesNothingButThePanel()
    {
        Fixture f;
        f.panels[1] = QStringLiteral("old");
        f.settings.store.set(QStringLiteral("QPXServerIP"), QStringLiteral("127.0.0.1"));
        auto console = f.commands(cglink::CgMenuCommands::Window::Console);
        f.dialogs.enqueue(app::ScriptedDialogs::Kind::Input, QString());
        console.mQPXServer_Click();
        console.mQPXServer_Click(); // cancelled
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.panels[1], QString());
        QVERIFY(f.net->calls().isEmpty());
        QCOMPARE(f.settings.store.get(QStringLiteral("QPXServerIP")), QStringLiteral("127.0.0.1"));
    }

    void connectPrefillsPerWindowAndReports()
    {
        Fixture f;
        auto setup = f.commands(cglink::CgMenuCommands::Window::Setup);
        auto console = f.commands(cglink::CgMenuCommands::Window::Console);
        setup.mQPXServer_Click();
        console.mQPXServer_Click();
        const QJsonArray requests = f.log.take();
        QCOMPARE(requests[0][QStringLiteral("default")].toString(), cglink::kDefaultCgAddress);
        QCOMPARE(requests[0][QStringLiteral("prompt")].toString(),
                 QStringLiteral("字幕機位址: IP 或 IP:埠"));
        QCOMPARE(requests[1][QStringLiteral("default")].toString(), QString());

        f.dialogs.enqueue(app::ScriptedDialogs::Kind::Input, QStringLiteral("127.0.0.1:7250"));
        console.mQPXServer_Click();
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.panels[1], QStringLiteral("已成功連接字幕機127.0.0.1:7250於19:05:07"));
        QCOMPARE(f.settings.store.get(QStringLiteral("QPXServerIP")),
                 QStringLiteral("127.0.0.1:7250"));

        f.net->connectResult = 0;
        f.dialogs.enqueue(app::ScriptedDialogs::Kind::Input, QStringLiteral("127.0.0.9"));
        setup.mQPXServer_Click();
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.messages(), QStringList{QStringLiteral("無法取得字幕機連接/連接失敗")});
        QCOMPARE(f.settings.store.get(QStringLiteral("QPXServerIP")),
                 QStringLiteral("127.0.0.1:7250"));
        QCOMPARE(f.panels[1], QStringLiteral("無法連接字幕機 127.0.0.9 埠 7250 於19:05:07"));
        f.dialogs.enqueue(app::ScriptedDialogs::Kind::Input, QStringLiteral("[::1]:7301"));
        setup.mQPXServer_Click();
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.panels[1], QStringLiteral("無法連接字幕機 ::1 埠 7301 於19:05:07"));
        f.messages();
    }

    void openProjectOnTheConsoleKeepsPathAndFolder()
    {
        Fixture f;
        auto console = f.commands(cglink::CgMenuCommands::Window::Console);
        cglink::TemplateProject project{QStringLiteral("/old/a.PRJ"), QStringLiteral("/old/")};
        // Cancelled before any file was chosen: an empty path goes out and is kept.
        console.mPRJ_Click(&project);
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.net->sends().last().code, cglink::kOpenProject);
        QCOMPARE(f.net->sends().last().text, QByteArray());
        QCOMPARE(project.path, QString());
        QCOMPARE(f.settings.store.get(QStringLiteral("PRJ"), QStringLiteral("x")), QString());

        f.dialogs.enqueue(app::ScriptedDialogs::Kind::File, QStringLiteral("/srv/範本/demo.PRJ"));
        console.mPRJ_Click(&project);
        QVERIFY(test::settled(f.link));
        QCOMPARE(project.path, QStringLiteral("/srv/範本/demo.PRJ"));
        QCOMPARE(project.folder, QStringLiteral("/srv/範本/"));
        QCOMPARE(f.settings.store.get(QStringLiteral("PRJpath")), QStringLiteral("/srv/範本/"));
        QCOMPARE(f.panels[2], QStringLiteral("/srv/範本/demo.PRJ"));
        // A later cancel takes the dialog's previous path again.
        console.mPRJ_Click(&project);
        QVERIFY(test::settled(f.link));
        QCOMPARE(project.path, QStringLiteral("/srv/範本/demo.PRJ"));
        QCOMPARE(f.net->sends().size(), 3);
    }

    void openProjectDialogStartsInTheTemplateFolder()
    {
        Fixture f;
        QTemporaryDir templates;
        // No template chosen yet: the dialog opens in the template folder.
        f.settings.store.set(QStringLiteral("PRJpath"), templates.path());
        auto setup = f.commands(cglink::CgMenuCommands::Window::Setup);
        f.log.take();
        setup.mPRJ_Click(nullptr);
        f.dialogs.enqueue(app::ScriptedDialogs::Kind::File,
                          templates.filePath(QStringLiteral("b.PRJ")));
        setup.mPRJ_Click(nullptr);
        // Then where the last one was chosen.
        setup.mPRJ_Click(nullptr);
        const QJsonArray requests = f.log.take();
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests[0][QStringLiteral("previous")].toString(), templates.path() + u'/');
        QCOMPARE(requests[2][QStringLiteral("previous")].toString(),
                 templates.filePath(QStringLiteral("b.PRJ")));
        // The cancelled first dialog sent the empty path, as before.
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.net->sends().first().text, QByteArray());
        // A stored folder that is not there (the old default "C:\\") is passed over.
        f.settings.store.set(QStringLiteral("PRJpath"), QStringLiteral("C:\\"));
        f.settings.store.erase(QStringLiteral("PRJ"));
        auto other = f.commands(cglink::CgMenuCommands::Window::Setup);
        other.mPRJ_Click(nullptr);
        QCOMPARE(f.log.take()[0][QStringLiteral("previous")].toString(), QString());
    }

    void openProjectCancelledKeepsTheStoredTemplate()
    {
        Fixture f;
        f.settings.store.set(QStringLiteral("PRJ"), QStringLiteral("/srv/範本/demo.PRJ"));
        auto console = f.commands(cglink::CgMenuCommands::Window::Console);
        cglink::TemplateProject project{QStringLiteral("/srv/範本/demo.PRJ"),
                                        QStringLiteral("/srv/範本/")};
        console.mPRJ_Click(&project);
        QVERIFY(test::settled(f.link));
        QCOMPARE(cglink::fromCp950(f.net->sends().last().text),
                 QStringLiteral("/srv/範本/demo.PRJ"));
        QCOMPARE(f.settings.store.get(QStringLiteral("PRJ")), QStringLiteral("/srv/範本/demo.PRJ"));
        QCOMPARE(project.path, QStringLiteral("/srv/範本/demo.PRJ"));
    }

    void openProjectTheCgRefusedIsStoredButNotShownAsOpen()
    {
        Fixture f;
        f.net->sendResult = -1;
        auto console = f.commands(cglink::CgMenuCommands::Window::Console);
        cglink::TemplateProject project;
        f.dialogs.enqueue(app::ScriptedDialogs::Kind::File, QStringLiteral("/srv/壞.PRJ"));
        console.mPRJ_Click(&project);
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.panels[2], QStringLiteral("字幕機未開啟範本(-1): /srv/壞.PRJ"));
        QCOMPARE(f.settings.store.get(QStringLiteral("PRJ")), QStringLiteral("/srv/壞.PRJ"));
        QCOMPARE(project.path, QStringLiteral("/srv/壞.PRJ"));
        // A result of 0 is no refusal: some client libraries answer 0 for done.
        f.net->sendResult = 0;
        f.dialogs.enqueue(app::ScriptedDialogs::Kind::File, QStringLiteral("/srv/好.PRJ"));
        console.mPRJ_Click(&project);
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.panels[2], QStringLiteral("/srv/好.PRJ"));
    }

    void lostLinkIsReportedOnceOnTheCgPanel()
    {
        Fixture f;
        auto console = f.commands(cglink::CgMenuCommands::Window::Console);
        QSignalSpy lost(&f.link, &cglink::CgLink::linkLost);
        console.connectAndReport(QStringLiteral("127.0.0.1"));
        QVERIFY(test::settled(f.link));
        QVERIFY(!f.link.isDown());
        f.net->connectedAnswer = 0;
        QVERIFY(!test::linkUp(f.link));
        QCOMPARE(f.panels[1], QStringLiteral("字幕機斷線於19:05:07"));
        QVERIFY(f.link.isDown());
        QVERIFY(!test::linkUp(f.link));
        QCOMPARE(lost.count(), 1);
        // A new connect that works clears the state; the next loss is reported again.
        f.net->connectedAnswer = 1;
        console.connectAndReport(QStringLiteral("127.0.0.1"));
        QVERIFY(test::linkUp(f.link));
        f.net->connectedAnswer = 0;
        test::linkUp(f.link);
        QCOMPARE(lost.count(), 2);
    }

    // A client library can only connect by waiting: its lost link turns the
    // panel red, but nothing is tried in the background.
    void watcherNeverWaitsOnABackendThatCannotConnectInBackground()
    {
        Fixture f;
        cglink::TemplateProject project{QStringLiteral("/t/a.PRJ"), QStringLiteral("/t/")};
        QMap<int, QPair<QString, bool>> alerts;
        cglink::LinkWatcher watcher(f.link, project, f.clock,
                                    [&](int p, const QString& t, bool red) {
                                        alerts[p] = {t, red};
                                    });
        watcher.setInterval(20);
        f.net->connectResult = 0;
        QSignalSpy attempted(&f.link, &cglink::CgLink::connectAttempted);
        f.link.connectTo(QStringLiteral("127.0.0.1"));
        QVERIFY(attempted.wait());
        QVERIFY(watcher.retrying()); // a connect that found no CG
        QTRY_VERIFY(!watcher.retrying());
        f.net->connectResult = 1;
        f.link.connectTo(QStringLiteral("127.0.0.1"));
        QVERIFY(test::settled(f.link));
        QVERIFY(alerts.isEmpty());
        f.net->connectedAnswer = 0;
        f.net->clearCalls();
        QVERIFY(!test::linkUp(f.link));
        QCOMPARE(alerts[1], qMakePair(QStringLiteral("字幕機斷線於19:05:07"), true));
        QTRY_VERIFY(!watcher.retrying());
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.net->calls().size(), 1); // the one isConnected
    }

    // The set-up window keeps a chosen project for the console it opens; a
    // cancel keeps the one stored.
    void openProjectOnTheSetupWindowIsKeptForTheConsole()
    {
        Fixture f;
        f.settings.store.set(QStringLiteral("PRJ"), QStringLiteral("/srv/a.PRJ"));
        f.settings.store.set(QStringLiteral("PRJpath"), QStringLiteral("/srv/"));
        auto setup = f.commands(cglink::CgMenuCommands::Window::Setup);
        f.dialogs.enqueue(app::ScriptedDialogs::Kind::File, QStringLiteral("/srv/範本/b.PRJ"));
        setup.mPRJ_Click(nullptr);
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.panels[1], QStringLiteral("/srv/範本/b.PRJ"));
        QCOMPARE(f.settings.store.get(QStringLiteral("PRJ")), QStringLiteral("/srv/範本/b.PRJ"));
        QCOMPARE(f.settings.store.get(QStringLiteral("PRJpath")), QStringLiteral("/srv/範本/"));
        auto again = f.commands(cglink::CgMenuCommands::Window::Setup);
        again.mPRJ_Click(nullptr);
        QCOMPARE(f.settings.store.get(QStringLiteral("PRJ")), QStringLiteral("/srv/範本/b.PRJ"));
        QCOMPARE(cglink::fromCp950(f.net->sends().last().text), QStringLiteral("/srv/範本/b.PRJ"));
        setup.mClear_Click();
        setup.mColorBar_Click();
        QVERIFY(test::settled(f.link));
        QCOMPARE(f.net->sends().last().code, cglink::kClear);
        QCOMPARE(f.net->sends().last().text, QByteArray("-1"));
        QCOMPARE(f.net->calls().last().fn, QStringLiteral("colorBar"));
    }

    void recordBackendWritesOneJsonLinePerCall()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("cg.jsonl"));
        {
            auto net = cglink::makeQpxNet(QStringLiteral("record:") + file);
            QVERIFY(net);
            cglink::CgLink link(net.value());
            link.connectTo(QStringLiteral("198.51.100.7"));
            QVERIFY(test::linkUp(link));
            QCOMPARE(link.handle(), 1);
            link.send(cglink::kLoadFields,
                      QStringLiteral("[BYNAME][SBO][1]EFFECT\r\n[S][0][2]\r\n"));
        }
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        const QJsonObject send = QJsonDocument::fromJson(lines[2]).object();
        QCOMPARE(send[QStringLiteral("fn")].toString(), QStringLiteral("SendCommand"));
        QCOMPARE(send[QStringLiteral("handle")].toInt(), 1);
        QCOMPARE(send[QStringLiteral("code")].toInt(), 9);
        QCOMPARE(send[QStringLiteral("text")].toString(),
                 QStringLiteral("[BYNAME][SBO][1]EFFECT\r\n[S][0][2]\r\n"));
        QVERIFY(!cglink::makeQpxNet(QStringLiteral("record:/no/such/dir/x.jsonl")));
        QVERIFY(!cglink::makeQpxNet(QStringLiteral("carrier-pigeon")));
    }

    void libraryBackendCallsTheFourFunctions()
    {
        auto net = cglink::makeQpxNet(QStringLiteral("library:" FAKE_QPXNET_PATH));
        QVERIFY2(net, qPrintable(net.error()));
        cglink::CgLink link(net.value());
        link.connectTo(QStringLiteral("127.0.0.2"));
        QVERIFY(!test::linkUp(link));
        QCOMPARE(link.handle(), 0);
        link.connectTo(QStringLiteral("127.0.0.1"));
        QVERIFY(test::linkUp(link));
        QCOMPARE(link.handle(), 7);
        QString reference = QStringLiteral("[BYNAME][1.先攻守備]");
        link.send(cglink::kTakeOff, reference, &link,
                  [&reference](const cglink::CgReply& reply) { reference = reply.buffer; });
        QVERIFY(test::settled(link));
        QCOMPARE(reference, QStringLiteral("[BYNAME][1.先攻守備]!"));
        QLibrary lib(QStringLiteral(FAKE_QPXNET_PATH));
        auto lastCode = reinterpret_cast<qint32 (*)()>(lib.resolve("fake_last_code"));
        QVERIFY(lastCode);
        QCOMPARE(lastCode(), 5);
        QVERIFY(!cglink::makeQpxNet(QStringLiteral("library:/no/such/lib.so")));
    }
};

QTEST_GUILESS_MAIN(TstCgLink)
#include "tst_cglink.moc"
