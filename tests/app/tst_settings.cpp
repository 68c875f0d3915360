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

    void keysWrittenByHandInAnotherCase()
    {
        test::TestSettings s;
        {
            QFile f(s.store.fileName());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[BaseBall]\nkeys\\nextBatter=F10\nqmr\\Round=5\nQMR\\PrJ=/t/a.PRJ\n");
        }
        app::SettingsStore store(s.store.fileName());
        QCOMPARE(store.read(app::kAppName, QStringLiteral("Keys"), QStringLiteral("nextBatter")),
                 QStringLiteral("F10"));
        QCOMPARE(store.get(QStringLiteral("Round")), QStringLiteral("5"));
        QCOMPARE(store.get(QStringLiteral("PRJ")), QStringLiteral("/t/a.PRJ"));
        // A change or a removal takes the hand-written spelling with it: the
        // old value never comes back.
        QVERIFY(store.set(QStringLiteral("PRJ"), QStringLiteral("/t/b.PRJ")));
        QVERIFY(store.erase(QStringLiteral("Round")));
        app::SettingsStore again(s.store.fileName());
        QCOMPARE(again.get(QStringLiteral("prj")), QStringLiteral("/t/b.PRJ"));
        QCOMPARE(again.get(QStringLiteral("Round"), QStringLiteral("1")), QStringLiteral("1"));
        QFile f(s.store.fileName());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(!text.contains("Round") && !text.contains("PrJ"), text.constData());
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

    void aBatchReachesTheFileInOneWrite()
    {
        test::TestSettings s;
        s.store.set(QStringLiteral("Round"), QStringLiteral("7"));
        auto onDisk = [&] {
            QFile f(s.store.fileName());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = onDisk();
        {
            app::SettingsStore::Batch dropped(s.store);
            dropped.set(QStringLiteral("Round"), QStringLiteral("1"));
        }
        QCOMPARE(s.store.get(QStringLiteral("Round")), QStringLiteral("7"));

        app::SettingsStore::Batch batch(s.store);
        batch.set(QStringLiteral("BaseRound"), QStringLiteral("1"))
            .set(QStringLiteral("FirstAttack"), QStringLiteral("北岸海鷗"))
            .erase(QStringLiteral("Round"))
            .erase(QStringLiteral("Half"))
            .write(app::kCompanionAppName, app::kSection, QStringLiteral("BaseRound"),
                   QStringLiteral("1"));
        // Collected, not yet written.
        QCOMPARE(onDisk(), before);
        QCOMPARE(s.store.get(QStringLiteral("BaseRound"), QStringLiteral("absent")),
                 QStringLiteral("absent"));
        QVERIFY(batch.commit());
        app::SettingsStore again(s.store.fileName());
        QCOMPARE(again.get(QStringLiteral("firstattack")), QStringLiteral("北岸海鷗"));
        QCOMPARE(again.get(QStringLiteral("Round"), QStringLiteral("absent")),
                 QStringLiteral("absent"));
        QCOMPARE(again.read(app::kCompanionAppName, app::kSection, QStringLiteral("baseround")),
                 QStringLiteral("1"));

        // Undone after the rest of its action failed: the keys are as before.
        QVERIFY(batch.undo());
        QCOMPARE(s.store.get(QStringLiteral("Round")), QStringLiteral("7"));
        QCOMPARE(s.store.get(QStringLiteral("FirstAttack"), QStringLiteral("absent")),
                 QStringLiteral("absent"));
    }

    void changesThatCannotBeWrittenAreReportedOnceAndNotKept()
    {
        test::TestSettings s;
        QStringList reports;
        s.store.setFailureReporter(
            [&](const QString& text, const QString& title) { reports << text + u'/' + title; });
        s.store.set(QStringLiteral("Round"), QStringLiteral("7"));
        QVERIFY(reports.isEmpty());
        s.makeUnwritable();
        const QString file = s.store.fileName();

        const auto one = s.store.set(QStringLiteral("Round"), QStringLiteral("8"));
        QVERIFY(!one);
        QVERIFY2(one.error().contains(file), qPrintable(one.error()));
        QCOMPARE(reports, QStringList{one.error() + QStringLiteral("/錯誤")});
        QCOMPARE(s.store.get(QStringLiteral("Round")), QStringLiteral("7"));

        reports.clear();
        app::SettingsStore::Batch batch(s.store);
        batch.set(QStringLiteral("BaseRound"), QStringLiteral("1"))
            .set(QStringLiteral("FirstAttack"), QStringLiteral("x"))
            .erase(QStringLiteral("Round"));
        QVERIFY(!batch.commit());
        QCOMPARE(reports.size(), 1);
        QCOMPARE(s.store.get(QStringLiteral("Round")), QStringLiteral("7"));
        QCOMPARE(s.store.get(QStringLiteral("BaseRound"), QStringLiteral("absent")),
                 QStringLiteral("absent"));
        QVERIFY(!s.store.erase(QStringLiteral("Round")));
        QCOMPARE(reports.size(), 2);
        // Removing what is not there writes nothing, so nothing can fail.
        QVERIFY(s.store.erase(QStringLiteral("StrikeSF")));
        QCOMPARE(reports.size(), 2);

        // Writable again: the next change is written, and no failure is left over.
        s.makeWritable();
        QVERIFY(s.store.set(QStringLiteral("Half"), QStringLiteral("True")));
        QCOMPARE(reports.size(), 2);
        app::SettingsStore again(file);
        QCOMPARE(again.get(QStringLiteral("Half")), QStringLiteral("True"));
        QCOMPARE(again.get(QStringLiteral("Round")), QStringLiteral("7"));
        QCOMPARE(again.get(QStringLiteral("BaseRound"), QStringLiteral("absent")),
                 QStringLiteral("absent"));
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
