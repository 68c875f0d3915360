#include "FileFilter.h"
#include "ScriptedDialogs.h"
#include "SettingsStore.h"
#include "TestSettings.h"

#include <QtTest>

using namespace hp;

class TstSettings : public QObject {
    Q_OBJECT
private slots:
    void namesMatchWithoutRegardToCase()
    {
        test::TestSettings s;
        s.store.write(QStringLiteral("Baseball"), QStringLiteral("qmr"), QStringLiteral("odbc"),
                      QStringLiteral("Provider=SQLite;Data Source=a.db"));
        QCOMPARE(s.store.get(QStringLiteral("ODBC")),
                 QStringLiteral("Provider=SQLite;Data Source=a.db"));
        QCOMPARE(
            s.store.read(QStringLiteral("BASEBALL"), QStringLiteral("QMR"), QStringLiteral("Odbc")),
            QStringLiteral("Provider=SQLite;Data Source=a.db"));
        // The companion area is a different entry.
        QCOMPARE(s.store.read(app::kCompanionAppName, app::kSection, QStringLiteral("ODBC"),
                              QStringLiteral("none")),
                 QStringLiteral("none"));
    }

    void absentKeysReadAsTheReadersDefault()
    {
        test::TestSettings s;
        QCOMPARE(s.store.get(QStringLiteral("QPXServerIP"), QStringLiteral("127.0.0.9")),
                 QStringLiteral("127.0.0.9"));
        QCOMPARE(s.store.get(QStringLiteral("PRJ")), QString());
        // A value written as empty is not absent.
        s.store.set(QStringLiteral("QPXServerIP"), QString());
        QCOMPARE(s.store.get(QStringLiteral("QPXServerIP"), QStringLiteral("127.0.0.9")),
                 QString());
    }

    void deletingAnAbsentKeyIsSilentAndDeletionSticks()
    {
        test::TestSettings s;
        s.store.erase(QStringLiteral("Round"));
        s.store.set(QStringLiteral("Round"), QStringLiteral("4"));
        s.store.erase(QStringLiteral("ROUND"));
        QCOMPARE(s.store.get(QStringLiteral("Round"), QStringLiteral("1")), QStringLiteral("1"));
    }

    void valuesSurviveARestartIncludingChineseText()
    {
        test::TestSettings s;
        const QString team = QStringLiteral("北岸海鷗 O'Neil; [x]=y");
        s.store.set(QStringLiteral("FirstAttack"), team);
        s.store.set(QStringLiteral("PRJpath"), QStringLiteral("C:\\Templates\\"));
        app::SettingsStore again(s.store.fileName());
        QCOMPARE(again.get(QStringLiteral("firstattack")), team);
        QCOMPARE(again.get(QStringLiteral("PRJpath")), QStringLiteral("C:\\Templates\\"));
    }

    void settingsFileComesFromCommandLineThenEnvironment()
    {
        qputenv("HOMEPLATE_SETTINGS", "/tmp/from-env.ini");
        QCOMPARE(app::SettingsStore::resolveFileName(QStringLiteral("/tmp/cli.ini")),
                 QStringLiteral("/tmp/cli.ini"));
        QCOMPARE(app::SettingsStore::resolveFileName(QString()),
                 QStringLiteral("/tmp/from-env.ini"));
        qunsetenv("HOMEPLATE_SETTINGS");
        QVERIFY(app::SettingsStore::resolveFileName(QString()).endsWith(
            QStringLiteral("settings.ini")));
    }

    void projectFilterBecomesAQtFilter()
    {
        QCOMPARE(app::qtFileFilter(QStringLiteral("*.PRJ|*.Prj|*.*|*.*")),
                 QStringLiteral("*.PRJ (*.Prj *.prj *.PRJ);;*.* (*.*)"));
    }

    void scriptedDialogsAnswerFromTheQueueThenCancel()
    {
        app::EventLog log;
        app::ScriptedDialogs dialogs(log);
        dialogs.enqueue(app::ScriptedDialogs::Kind::Input, QStringLiteral("127.0.0.1"));
        dialogs.enqueue(app::ScriptedDialogs::Kind::Input, std::nullopt);
        QCOMPARE(dialogs.input(QStringLiteral("請輸入"), {}, {}),
                 std::optional<QString>(QStringLiteral("127.0.0.1")));
        QCOMPARE(dialogs.input(QStringLiteral("請輸入"), {}, {}), std::nullopt);
        QCOMPARE(dialogs.input(QStringLiteral("請輸入"), {}, {}), std::nullopt);
        QCOMPARE(dialogs.openFile(QStringLiteral("*.*|*.*"), {}), std::nullopt);
        dialogs.message(QStringLiteral("無法取得字幕機連接"), QStringLiteral("連接失敗"));
        const QJsonArray events = log.take();
        QCOMPARE(events.size(), 5);
        QCOMPARE(events.last().toObject().value(QStringLiteral("title")).toString(),
                 QStringLiteral("連接失敗"));
        QVERIFY(log.take().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"
