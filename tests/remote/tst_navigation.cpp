#include "CgCommands.h"
#include "Cp950.h"
#include "RemoteHarness.h"

#include <QtTest>

using namespace hp;

class TstNavigation : public QObject {
    Q_OBJECT
private slots:
    void firstStartWithAnEmptyStore()
    {
        test::RemoteHarness h;
        h.navigator.showStart();
        h.answer(QStringLiteral("connection"),
                 QStringLiteral("Provider=SQLite;Data Source=/tmp/g.db"));
        QVERIFY(h.ok(
            h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"))));
        QCOMPARE(h.messages(), (QStringList{QStringLiteral("資料庫尚未設定/請設定資料庫"),
                                            QStringLiteral("請打開播出範本/尚未開啟範本")}));
        QCOMPARE(h.settings.store.get(QStringLiteral("ODBC")),
                 QStringLiteral("Provider=SQLite;Data Source=/tmp/g.db"));
        // The opening's default address, through the fake library only.
        QCOMPARE(h.net->calls().first().fn, QStringLiteral("connect"));
        QCOMPARE(h.net->calls().first().text, cglink::kDefaultCgAddress.toLatin1());
        QCOMPARE(h.panels(QStringLiteral("Baseball_Beat")).first(),
                 QStringLiteral("已成功連接字幕機") + cglink::kDefaultCgAddress +
                     QStringLiteral("於19:00:00"));
        QVERIFY(h.net->sends().isEmpty());
        // The start window is gone.
        QVERIFY(!h.ok(h.request({{QStringLiteral("op"), QStringLiteral("dump")},
                                 {QStringLiteral("window"), QStringLiteral("mStart")}})));
    }

    void storedProjectWhoseFileWasDeleted()
    {
        test::RemoteHarness h;
        h.settings.store.set(QStringLiteral("ODBC"),
                             QStringLiteral("Provider=SQLite;Data Source=/tmp/g.db"));
        h.settings.store.set(QStringLiteral("QPXServerIP"), QString());
        h.settings.store.set(QStringLiteral("PRJ"), QStringLiteral("/no/such/demo.PRJ"));
        h.navigator.showStart();
        h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"));
        QCOMPARE(h.messages(),
                 (QStringList{QStringLiteral("字幕機尚未連線/請設定字幕機連線"),
                              QStringLiteral("範本檔案不存在,請重新檢查/請檢查QPX字幕範本")}));
        QVERIFY(h.net->calls().isEmpty());
        QCOMPARE(h.panels(QStringLiteral("Baseball_Beat")).at(1), QString());
    }

    void goodProjectIsOpenedAndShown()
    {
        test::RemoteHarness h;
        QTemporaryDir dir;
        const QString prj = dir.filePath(QStringLiteral("示範.PRJ"));
        QFile(prj).open(QIODevice::WriteOnly);
        h.settings.store.set(QStringLiteral("ODBC"),
                             QStringLiteral("Provider=SQLite;Data Source=/tmp/g.db"));
        h.settings.store.set(QStringLiteral("QPXServerIP"), QStringLiteral("127.0.0.1"));
        h.settings.store.set(QStringLiteral("PRJ"), prj);
        h.net->connectResult = 0;
        h.navigator.showStart();
        h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("無法取得字幕機連接/連接失敗")});
        const auto sends = h.net->sends();
        QCOMPARE(sends.size(), 1);
        QCOMPARE(sends[0].code, cglink::kOpenProject);
        QCOMPARE(cglink::fromCp950(sends[0].text), prj);
        QCOMPARE(h.panels(QStringLiteral("Baseball_Beat")).at(1), prj);
        // The box keeps its words; the status bar names the address and port.
        QCOMPARE(h.panels(QStringLiteral("Baseball_Beat")).at(0),
                 QStringLiteral("無法連接字幕機 127.0.0.1 埠 7250 於19:00:00"));
    }

    void consoleKeysClearAndTakeOff()
    {
        test::RemoteHarness h;
        h.settings.store.set(QStringLiteral("ODBC"), QStringLiteral("x"));
        h.navigator.showStart();
        h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"));
        const QJsonObject f2{{QStringLiteral("key"), QStringLiteral("F2")}};
        QVERIFY(h.ok(h.act(QStringLiteral("Baseball_Beat"), QStringLiteral("Baseball_Beat"),
                           QStringLiteral("key"), f2)));
        const QJsonObject esc{{QStringLiteral("key"), QStringLiteral("Escape")}};
        QVERIFY(h.ok(h.act(QStringLiteral("Baseball_Beat"), QStringLiteral("Baseball_Beat"),
                           QStringLiteral("key"), esc)));
        // F2 clears; with nothing played Escape has nothing to take off.
        const auto sends = h.net->sends();
        QCOMPARE(sends.size(), 1);
        QCOMPARE(sends[0].code, 0);
        QCOMPARE(sends[0].text, QByteArray("-1"));
        QVERIFY(h.ok(h.menu(QStringLiteral("Baseball_Beat"), QStringLiteral("mClear"))));
        QVERIFY(h.ok(h.menu(QStringLiteral("Baseball_Beat"), QStringLiteral("mColorBar"))));
        QCOMPARE(h.net->calls().last().fn, QStringLiteral("colorBar"));
    }

    void windowsMenusAndStatusBarsCarryTheirNames()
    {
        test::RemoteHarness h;
        h.navigator.showStart();
        QCOMPARE(h.get(QStringLiteral("mStart"), QStringLiteral("Command1"))[QStringLiteral("text")]
                     .toString(),
                 QStringLiteral("設定比賽"));
        QCOMPARE(
            h.get(QStringLiteral("mStart"), QStringLiteral("mDataBase"))[QStringLiteral("text")]
                .toString(),
            QStringLiteral("資料庫設定"));
        QCOMPARE(h.get(QStringLiteral("mStart"), QStringLiteral("Picture1"))[QStringLiteral("type")]
                     .toString(),
                 QStringLiteral("image"));
        h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        const QJsonArray windows =
            h.request(
                 {{QStringLiteral("op"), QStringLiteral("windows")}})[QStringLiteral("windows")]
                .toArray();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows[0][QStringLiteral("caption")].toString(),
                 QStringLiteral("棒球比賽設定---Norvik"));
        for (const char* name : {"mDataBase", "mQPXServer", "mPRJ", "mColorBar", "mClear"})
            QVERIFY2(!h.get(QStringLiteral("Main"), QString::fromLatin1(name)).isEmpty(), name);
        QCOMPARE(h.get(QStringLiteral("Main"), QStringLiteral("mSetup"))[QStringLiteral("text")]
                     .toString(),
                 QStringLiteral("設定"));
    }

    void setupDatabaseCommandKeepsTheWindow()
    {
        test::RemoteHarness h;
        h.navigator.showStart();
        h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        h.messages();
        // Cancelled: nothing changes, nothing is written.
        QVERIFY(h.ok(h.menu(QStringLiteral("Main"), QStringLiteral("mDataBase"))));
        QCOMPARE(h.settings.store.get(QStringLiteral("ODBC"), QStringLiteral("unset")),
                 QStringLiteral("unset"));
        QVERIFY(h.get(QStringLiteral("Main"), QStringLiteral("Main"))[QStringLiteral("visible")]
                    .toBool());

        h.answer(QStringLiteral("connection"),
                 QStringLiteral("Provider=SQLite;Data Source=/tmp/new.db"));
        h.menu(QStringLiteral("Main"), QStringLiteral("mDataBase"));
        QCOMPARE(h.settings.store.get(QStringLiteral("ODBC")),
                 QStringLiteral("Provider=SQLite;Data Source=/tmp/new.db"));
        // The set-up window stays open on the new database; no start window.
        QVERIFY(h.get(QStringLiteral("Main"), QStringLiteral("Main"))[QStringLiteral("visible")]
                    .toBool());
        QVERIFY(h.get(QStringLiteral("mStart"), QStringLiteral("mStart")).isEmpty());
        QVERIFY(h.panels(QStringLiteral("Main")).first().contains(QStringLiteral("/tmp/new.db")));
    }

    void badRequestsAnswerWithAnErrorAndDoNothing()
    {
        test::RemoteHarness h;
        h.navigator.showStart();
        QVERIFY(!h.ok(
            h.act(QStringLiteral("Nowhere"), QStringLiteral("Command1"), QStringLiteral("click"))));
        QVERIFY(!h.ok(
            h.act(QStringLiteral("mStart"), QStringLiteral("Command99"), QStringLiteral("click"))));
        QVERIFY(!h.ok(
            h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("juggle"))));
        QApplication::topLevelWidgets()
            .first()
            ->findChild<QWidget*>(QStringLiteral("Command2"))
            ->setEnabled(false);
        const QJsonObject r =
            h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"));
        QVERIFY(!h.ok(r));
        QVERIFY(r[QStringLiteral("error")].toString().contains(QStringLiteral("disabled")));
        QVERIFY(h.get(QStringLiteral("mStart"), QStringLiteral("mStart"))[QStringLiteral("visible")]
                    .toBool());
        const QJsonObject bad = h.server.handle("{not json");
        QVERIFY(!h.ok(bad));
        QVERIFY(bad.contains(QStringLiteral("id")));
        QCOMPARE(
            h.request({{QStringLiteral("id"), 41},
                       {QStringLiteral("op"), QStringLiteral("windows")}})[QStringLiteral("id")]
                .toInt(),
            41);
    }
};

QTEST_MAIN(TstNavigation)
#include "tst_navigation.moc"
