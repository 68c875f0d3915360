#include "GameProgress.h"
#include "JournalFixture.h"
#include "SetupSteps.h"

#include <QtTest>

using namespace hp;
using console::Journal;
using test::Game;
using test::server;

namespace {

enum class Answer { Store, KeepAside, StoreWhileAway };

// What the program asked and said since the last call.
struct Said {
    QStringList confirms; // the questions' texts
    QStringList messages; // "text/title"
};

Said said(test::RemoteHarness& h)
{
    Said out;
    const QJsonArray events = h.request({{QStringLiteral("op"), QStringLiteral("events")}})
                                  .value(QStringLiteral("events"))
                                  .toArray();
    for (const QJsonValue& e : events) {
        if (e[QStringLiteral("kind")] == QStringLiteral("message"))
            out.messages << e[QStringLiteral("text")].toString() + u'/' +
                                e[QStringLiteral("title")].toString();
        else if (e[QStringLiteral("request")] == QStringLiteral("confirm") &&
                 !e[QStringLiteral("text")].toString().contains(QStringLiteral("比賽開始")))
            out.confirms << e[QStringLiteral("text")].toString(); // GO's other question aside
    }
    return out;
}

bool consoleOpen()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == test::C && w->isVisible())
            return true;
    return false;
}

QStringList asideFiles(Game& f)
{
    return QDir(f.h.settings.dir.path()).entryList({QStringLiteral("*.journal.jsonl.aside-*")});
}

} // namespace

Q_DECLARE_METATYPE(Answer)

class TstConsoleGo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(test::useOwnServer()); }
    void cleanupTestCase() { server().stop(); }
    void cleanup() { db::Database::closePool(); }

    // Actions of the last game still wait in the journal when GO is pressed
    // for the next one: the operator is asked first. Stored, they go into
    // their own game before GO replaces it; kept aside, the journal is
    // renamed with all of them in it; with the database away they cannot be
    // stored, GO says so and starts nothing, and they wait as before.
    void goWithWaitingActionsAsksFirst_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<Answer>("answer");
        for (const QString& e : test::TestDatabase::engines()) {
            QTest::addRow("%s store", qPrintable(e)) << e << Answer::Store;
            QTest::addRow("%s keep aside", qPrintable(e)) << e << Answer::KeepAside;
            QTest::addRow("%s store while away", qPrintable(e)) << e << Answer::StoreWhileAway;
        }
    }
    void goWithWaitingActionsAsksFirst()
    {
        QFETCH(QString, engine);
        QFETCH(Answer, answer);
        Game f(engine);
        QVERIFY(f.tdb.ok());
        const QString oldGame = db::gameIdentity(*f.tdb.open()).value().game;
        f.takeAway();
        db::Database::closePool();
        for (const char* step : {"S", "B", "S"}) // 2-1 on screen
            QVERIFY(f.step(QString::fromUtf8(step)));
        const int units = f.waiting();
        QVERIFY(units >= 3);
        f.closeConsole();
        f.bringBack();
        said(f.h);

        f.h.navigator.showStart();
        f.h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        test::chooseTeams(f.h, 2, 2); // the third and the fourth team
        const QString newFirst =
            f.h.get(test::M, QStringLiteral("Text1"))[QStringLiteral("text")].toString();
        QVERIFY(!newFirst.isEmpty() && newFirst != f.selection.first.team);
        if (answer == Answer::Store) {
            // Asked before anything else: stored, though the orders are not
            // complete yet and GO itself is refused.
            f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
            f.h.act(test::M, QStringLiteral("GO"), QStringLiteral("click"));
            const Said first = said(f.h);
            QCOMPARE(first.confirms.size(), 1);
            QVERIFY2(first.confirms[0].contains(QStringLiteral("%1筆動作").arg(units)),
                     qPrintable(first.confirms[0]));
            QCOMPARE(first.messages,
                     QStringList{QStringLiteral("設定尚未完成,請確定後再開始/錯誤")});
            QCOMPARE(f.row(QStringLiteral("SELECT S,B FROM SBO表")).values(),
                     (QStringList{QStringLiteral("2"), QStringLiteral("1")}));
            const db::GameIdentity stored = db::gameIdentity(*f.tdb.open()).value();
            QCOMPARE(stored.game, oldGame);
            QVERIFY(stored.lastSeq >= units);
            QVERIFY(!QFile::exists(f.journalFile()));
        }
        if (answer == Answer::KeepAside) {
            // Kept aside, but GO itself is refused (the orders are not
            // complete): nothing is renamed, the actions wait for their game.
            f.h.answer(QStringLiteral("confirm"), QStringLiteral("no"));
            f.h.act(test::M, QStringLiteral("GO"), QStringLiteral("click"));
            const Said refused = said(f.h);
            QCOMPARE(refused.confirms.size(), 1);
            QCOMPARE(refused.messages,
                     QStringList{QStringLiteral("設定尚未完成,請確定後再開始/錯誤")});
            QVERIFY(asideFiles(f).isEmpty());
            QCOMPARE(f.waiting(), units);
        }
        test::fillOrders(f.h);
        if (answer == Answer::KeepAside)
            f.h.answer(QStringLiteral("confirm"), QStringLiteral("no"));
        if (answer == Answer::StoreWhileAway) {
            f.takeAway();
            db::Database::closePool();
            f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
            QElapsedTimer t;
            t.start();
            f.h.act(test::M, QStringLiteral("GO"), QStringLiteral("click"));
            const Said away = said(f.h);
            qInfo("the drain was given up on after %lld ms", t.elapsed());
            QCOMPARE(away.confirms.size(), 1);
            QCOMPARE(away.messages.size(), 1);
            QVERIFY2(away.messages[0].contains(QStringLiteral("無法寫入資料庫")) &&
                         away.messages[0].contains(QStringLiteral("新的比賽沒有開始")),
                     qPrintable(away.messages[0]));
            QVERIFY(!consoleOpen());
            QCOMPARE(f.waiting(), units);
            QVERIFY(asideFiles(f).isEmpty());
            f.bringBack();
            // The old game is still in the tables, untouched.
            QCOMPARE(db::gameIdentity(*f.tdb.open()).value().game, oldGame);
            QCOMPARE(
                f.row(QStringLiteral("SELECT Item1 FROM SBO表")).value(QStringLiteral("Item1")),
                f.selection.first.team);
            f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        }
        // The teams of the new game had no 比賽開始: GO asks that too, after.
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        f.h.act(test::M, QStringLiteral("GO"), QStringLiteral("click"));
        const Said go = said(f.h);
        // Nothing waits by now: asked once, when it did.
        QCOMPARE(go.confirms.size(), answer == Answer::Store ? 0 : 1);
        QVERIFY(consoleOpen());
        QVERIFY(!QFile::exists(f.journalFile()));
        QCOMPARE(f.waiting(), 0);
        if (answer == Answer::KeepAside) {
            const QStringList aside = asideFiles(f);
            QCOMPARE(aside.size(), 1);
            QVERIFY2(go.messages.join(u'\n').contains(aside[0]),
                     qPrintable(go.messages.join(u'\n')));
            Journal kept(f.h.settings.dir.filePath(aside[0]), console::statementNames());
            kept.load();
            QCOMPARE(kept.pending().size(), units);
            QCOMPARE(kept.game(), oldGame);
        } else {
            QVERIFY(asideFiles(f).isEmpty());
        }
        // Nothing of the old game reaches the new one, and the console says
        // nothing of another game's journal.
        QVERIFY2(!go.messages.join(u'\n').contains(QStringLiteral("另一場比賽")),
                 qPrintable(go.messages.join(u'\n')));
        QCOMPARE(f.row(QStringLiteral("SELECT Item1,S,B FROM SBO表")).values(),
                 (QStringList{newFirst, QStringLiteral("0"), QStringLiteral("0")}));
        QVERIFY(db::gameIdentity(*f.tdb.open()).value().game != oldGame);
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("0"));
    }
};

QTEST_MAIN(TstConsoleGo)
#include "tst_console_go.moc"
