#include "DemoSeason.h"
#include "RemoteHarness.h"
#include "SetupSteps.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QtTest>

using namespace hp;

namespace {

using test::M;

QStringList items(test::RemoteHarness& h, const QString& control)
{
    QStringList out;
    for (const QJsonValue& v : h.get(M, control)[QStringLiteral("items")].toArray())
        out << v.toString();
    return out;
}

// Everything a table holds, row by row, for comparing before and after.
QStringList dumpTable(db::Database& d, const QString& table)
{
    QStringList out;
    const auto rows = d.query(QStringLiteral("Select * From ") + table);
    for (const db::Row& r : rows.value())
        out << r.values().join(u'|');
    out.sort();
    return out;
}

// A set-up session on the demo league, the window open.
struct SetupFixture {
    test::TestDatabase tdb;
    test::RemoteHarness h;

    explicit SetupFixture(const QString& engine, bool openWindow = true)
        : tdb(engine, test::TestDatabase::Content::Demo)
    {
        h.settings.store.set(QStringLiteral("ODBC"), tdb.connectionString());
        if (openWindow)
            open();
    }
    void open()
    {
        h.navigator.showStart();
        h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
    }
    QJsonObject act(const QString& control, const QString& action, QJsonObject extra = {})
    {
        return h.act(M, control, action, extra);
    }
    QJsonObject select(const QString& control, int index)
    {
        return test::selectIn(h, control, index);
    }
    void click(const QString& control) { act(control, QStringLiteral("click")); }
    void chooseTeams(int first = 0, int second = 0) { test::chooseTeams(h, first, second); }
    void fillOrders() { test::fillOrders(h); }
    std::unique_ptr<db::Database> db() { return tdb.open(); }
    // The yes/no questions put to the operator since the last call (other
    // events are dropped).
    QStringList questions()
    {
        QStringList out;
        const QJsonArray events = h.request({{QStringLiteral("op"), QStringLiteral("events")}})
                                      .value(QStringLiteral("events"))
                                      .toArray();
        for (const QJsonValue& e : events)
            if (e[QStringLiteral("request")] == QStringLiteral("confirm"))
                out << e[QStringLiteral("text")].toString() + u'/' +
                           e[QStringLiteral("title")].toString();
        return out;
    }
    QString text(const QString& control)
    {
        return h.get(M, control)[QStringLiteral("text")].toString();
    }
    // What the window shows of the game: teams, orders, positions, pitchers.
    QStringList shownGame()
    {
        QStringList out{text(QStringLiteral("Text1")), text(QStringLiteral("Text2"))};
        for (const char* list : {"List3", "List2", "List6", "List5"})
            out << items(h, QString::fromLatin1(list)).join(u',');
        out << text(QStringLiteral("Combo1(1)")) << text(QStringLiteral("Combo1(2)"));
        return out;
    }
    bool consoleShown()
    {
        return h
            .get(QStringLiteral("Baseball_Beat"),
                 QStringLiteral("Baseball_Beat"))[QStringLiteral("visible")]
            .toBool();
    }
};

} // namespace

class TstSetupWindow : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void openingShowsTheDatabaseTeamsAndPositions_data() { test::TestDatabase::addEngineRows(); }
    void openingShowsTheDatabaseTeamsAndPositions()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        QVERIFY(f.tdb.ok());
        QCOMPARE(items(f.h, QStringLiteral("List1")).size(), 4);
        QVERIFY(!f.h.get(M, QStringLiteral("SSTab1"))[QStringLiteral("visible")].toBool());
        QVERIFY(!f.h.get(M, QStringLiteral("GO"))[QStringLiteral("visible")].toBool());
        QCOMPARE(items(f.h, QStringLiteral("List2")).join(u','),
                 QStringLiteral("1B,2B,3B,C,CF,LF,RF,SS,DH"));
        const QString panel = f.h.panels(M).first();
        QVERIFY2(!panel.isEmpty() && f.tdb.connectionString().contains(panel), qPrintable(panel));
        QVERIFY(f.h.messages().isEmpty());
    }

    void teamChoiceAndConfirmation_data() { test::TestDatabase::addEngineRows(); }
    void teamChoiceAndConfirmation()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        // The team boxes are filled only by the buttons.
        QVERIFY(!f.h.ok(f.act(QStringLiteral("Text1"), QStringLiteral("type"),
                              {{QStringLiteral("text"), QStringLiteral("自創隊")}})));
        f.click(QStringLiteral("StartCmd"));
        QCOMPARE(f.h.messages(), QStringList{QStringLiteral("請選擇比賽隊伍/請重新輸入")});
        QVERIFY(!f.h.get(M, QStringLiteral("SSTab1"))[QStringLiteral("visible")].toBool());

        const QStringList before = items(f.h, QStringLiteral("List1"));
        f.select(QStringLiteral("List1"), 0);
        f.click(QStringLiteral("Command1"));
        QCOMPARE(f.h.get(M, QStringLiteral("Text1"))[QStringLiteral("text")].toString(), before[0]);
        QVERIFY(!f.h.get(M, QStringLiteral("Command1"))[QStringLiteral("enabled")].toBool());
        // Nothing is selected after a take: the second button takes nothing.
        f.click(QStringLiteral("Command3"));
        QCOMPARE(f.h.get(M, QStringLiteral("Text2"))[QStringLiteral("text")].toString(), QString());
        f.click(QStringLiteral("Command2"));
        QCOMPARE(items(f.h, QStringLiteral("List1")), before.mid(1) + QStringList{before[0]});

        f.chooseTeams(0, 0);
        QVERIFY(f.h.get(M, QStringLiteral("SSTab1"))[QStringLiteral("visible")].toBool());
        QVERIFY(f.h.get(M, QStringLiteral("GO"))[QStringLiteral("visible")].toBool());
        const QString first =
            f.h.get(M, QStringLiteral("Text1"))[QStringLiteral("text")].toString();
        QCOMPARE(f.h.get(M, QStringLiteral("Label6(0)"))[QStringLiteral("text")].toString(), first);
        QVERIFY(items(f.h, QStringLiteral("List4(0)")).size() >= 14);
        QCOMPARE(f.h.get(M, QStringLiteral("Combo1(1)"))[QStringLiteral("current")].toInt(), 0);
        QVERIFY(items(f.h, QStringLiteral("List4(0)")).first().contains(u':'));
    }

    void emptyDatabaseSaysWhyAndHowToImport()
    {
        test::TestDatabase tdb(QStringLiteral("sqlite"));
        QVERIFY(tdb.ok());
        test::RemoteHarness h;
        h.settings.store.set(QStringLiteral("ODBC"), tdb.connectionString());
        h.navigator.showStart();
        h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        QVERIFY(items(h, QStringLiteral("List1")).isEmpty());
        const QJsonObject hint = h.get(M, QStringLiteral("TeamHint"));
        QVERIFY(hint[QStringLiteral("visible")].toBool());
        const QString text = hint[QStringLiteral("text")].toString();
        QVERIFY2(text.contains(QStringLiteral("沒有球隊")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("--import-roster")));
        QVERIFY(h.messages().isEmpty());
    }

    void rostersGoByUniformNumber_data() { test::TestDatabase::addEngineRows(); }
    void rostersGoByUniformNumber()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        QVERIFY(!f.h.get(M, QStringLiteral("TeamHint"))[QStringLiteral("visible")].toBool());
        f.chooseTeams(0, 0);
        for (const QString& list : {QStringLiteral("List4(0)"), QStringLiteral("Combo1(1)")}) {
            const QStringList entries = items(f.h, list);
            QVERIFY2(entries.size() >= 9, qPrintable(list));
            QVERIFY(entries.first().section(u':', 0, 0).size() == 1 ||
                    list != QStringLiteral("List4(0)"));
            for (qsizetype i = 1; i < entries.size(); ++i)
                QVERIFY2(entries[i - 1].section(u':', 0, 0).toInt() <
                             entries[i].section(u':', 0, 0).toInt(),
                         qPrintable(entries[i - 1] + u' ' + entries[i]));
        }
    }

    void teamWithoutPitchersStopsTheConfirmationSilently_data()
    {
        test::TestDatabase::addEngineRows();
    }
    void teamWithoutPitchersStopsTheConfirmationSilently()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine, false);
        auto d = f.db();
        QVERIFY(
            d->exec(QStringLiteral("Insert into 打擊整隊表年度 (隊名,背號,姓名) Values (?,?,?)"),
                    {QStringLiteral("無投手隊"), QStringLiteral("1"), QStringLiteral("孤單")}));
        d.reset();
        f.open();
        const int lonely = items(f.h, QStringLiteral("List1")).indexOf(QStringLiteral("無投手隊"));
        QVERIFY(lonely >= 0);
        f.chooseTeams(lonely, 0);
        QVERIFY(f.h.messages().isEmpty());
        QVERIFY(!f.h.get(M, QStringLiteral("SSTab1"))[QStringLiteral("visible")].toBool());
        QVERIFY(items(f.h, QStringLiteral("List4(0)")).isEmpty());
    }

    void battingOrderAndPositions_data() { test::TestDatabase::addEngineRows(); }
    void battingOrderAndPositions()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        f.chooseTeams();
        const QStringList roster = items(f.h, QStringLiteral("List4(0)"));
        for (int i = 0; i < 9; ++i) {
            f.select(QStringLiteral("List4(0)"), 0);
            f.click(QStringLiteral("Command7"));
        }
        QCOMPARE(items(f.h, QStringLiteral("List3")), roster.mid(0, 9));
        f.select(QStringLiteral("List4(0)"), 0);
        f.click(QStringLiteral("Command7"));
        QCOMPARE(f.h.messages(), QStringList{QStringLiteral("打者已有9人/請注意")});
        f.act(QStringLiteral("List4(0)"), QStringLiteral("dblclick"),
              {{QStringLiteral("index"), 0}});
        QVERIFY(f.h.messages().isEmpty());
        QCOMPARE(items(f.h, QStringLiteral("List3")).size(), 9);

        // Back to the roster: at its end, after the batters never moved.
        f.select(QStringLiteral("List3"), 2);
        f.click(QStringLiteral("Command8"));
        QCOMPARE(items(f.h, QStringLiteral("List4(0)")).last(), roster[2]);
        QCOMPARE(items(f.h, QStringLiteral("List3")).size(), 8);

        // Positions: nothing at the edges or without a selection, a swap elsewhere.
        f.click(QStringLiteral("Command5"));
        f.select(QStringLiteral("List2"), 0);
        f.click(QStringLiteral("Command5"));
        f.select(QStringLiteral("List2"), 8);
        f.click(QStringLiteral("Command6"));
        QCOMPARE(items(f.h, QStringLiteral("List2")).join(u','),
                 QStringLiteral("1B,2B,3B,C,CF,LF,RF,SS,DH"));
        f.select(QStringLiteral("List2"), 3);
        f.click(QStringLiteral("Command5"));
        QCOMPARE(items(f.h, QStringLiteral("List2")).join(u','),
                 QStringLiteral("1B,2B,C,3B,CF,LF,RF,SS,DH"));
        QCOMPARE(f.h.get(M, QStringLiteral("List2"))[QStringLiteral("current")].toInt(), 2);
        f.click(QStringLiteral("Command6"));
        f.click(QStringLiteral("Command6"));
        QCOMPARE(items(f.h, QStringLiteral("List2")).join(u','),
                 QStringLiteral("1B,2B,3B,CF,C,LF,RF,SS,DH"));
        // The second tab has controls of its own.
        f.select(QStringLiteral("SSTab1"), 1);
        f.select(QStringLiteral("List5"), 8);
        f.click(QStringLiteral("Command10"));
        QCOMPARE(items(f.h, QStringLiteral("List5")).last(), QStringLiteral("SS"));
    }

    void rightButtonEditsARosterEntry_data() { test::TestDatabase::addEngineRows(); }
    void rightButtonEditsARosterEntry()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        f.chooseTeams();
        const QString original = items(f.h, QStringLiteral("List4(0)"))[1];
        f.select(QStringLiteral("List4(0)"), 1);
        f.h.answer(QStringLiteral("input"), QStringLiteral("99:改名"));
        f.act(QStringLiteral("List4(0)"), QStringLiteral("press"),
              {{QStringLiteral("button"), QStringLiteral("right")}});
        QCOMPARE(items(f.h, QStringLiteral("List4(0)"))[1], QStringLiteral("99:改名"));
        const QJsonArray events =
            f.h.request(
                   {{QStringLiteral("op"), QStringLiteral("events")}})[QStringLiteral("events")]
                .toArray();
        QCOMPARE(events.last()[QStringLiteral("prompt")].toString(),
                 QStringLiteral("輸入修改文字"));
        QCOMPARE(events.last()[QStringLiteral("title")].toString(), QStringLiteral("裕修改之內容"));
        QCOMPARE(events.last()[QStringLiteral("default")].toString(), original);
        // Cancelled: the entry stays.
        f.act(QStringLiteral("List4(0)"), QStringLiteral("press"),
              {{QStringLiteral("button"), QStringLiteral("right")}});
        QCOMPARE(items(f.h, QStringLiteral("List4(0)"))[1], QStringLiteral("99:改名"));
    }

    // Opened again after 比賽開始 or GO, the window shows the game as the
    // tables of the action that ran last hold it, ready for the other.
    void reopenedWindowShowsTheStoredGame_data() { test::TestDatabase::addEngineRows(); }
    void reopenedWindowShowsTheStoredGame()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        QVERIFY(f.tdb.ok());
        f.chooseTeams(1, 2);
        f.fillOrders();
        f.select(QStringLiteral("List5"), 8);
        f.click(QStringLiteral("Command10")); // DH bats eighth for the second team
        f.select(QStringLiteral("Combo1(1)"), 1);
        const QStringList entered = f.shownGame();
        const QStringList roster = items(f.h, QStringLiteral("List4(0)"));
        f.click(QStringLiteral("Command13"));
        QVERIFY(f.h.messages().isEmpty());
        QVERIFY(!f.h.get(M, M)[QStringLiteral("visible")].toBool());

        f.h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        QCOMPARE(f.shownGame(), entered);
        QCOMPARE(items(f.h, QStringLiteral("List4(0)")), roster);
        QVERIFY(f.h.get(M, QStringLiteral("GO"))[QStringLiteral("visible")].toBool());
        QVERIFY(f.h.messages().isEmpty());

        // Changed and sent with GO: the console's tables are read back.
        f.select(QStringLiteral("List2"), 0);
        f.click(QStringLiteral("Command6"));
        const QStringList changed = f.shownGame();
        QVERIFY(changed != entered);
        // 比賽開始 ran for these teams, but with the line-up as it was: asked.
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        f.click(QStringLiteral("GO"));
        QVERIFY(f.consoleShown());
        const QStringList asked = f.questions();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].contains(QStringLiteral("改過了")), qPrintable(asked[0]));
        f.h.navigator.showStart();
        f.h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        QCOMPARE(f.shownGame(), changed);

        // Tables that no longer hold a whole game leave the window as it opens.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == M)
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        f.h.settings.store.set(QStringLiteral("SetupStored"), QStringLiteral("比賽開始"));
        const auto deleted = f.db()->exec(QStringLiteral("DELETE FROM 後攻打者今日 WHERE 棒次=9"));
        QVERIFY2(deleted && *deleted == 1, qPrintable(deleted.error()));
        f.h.navigator.showStart();
        f.h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        QCOMPARE(f.text(QStringLiteral("Text1")), QString());
        QVERIFY(!f.h.get(M, QStringLiteral("SSTab1"))[QStringLiteral("visible")].toBool());
    }

    // GO for teams that 比賽開始 has not prepared asks first; no is no game.
    void goAsksWithoutGameStart_data() { test::TestDatabase::addEngineRows(); }
    void goAsksWithoutGameStart()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        QVERIFY(f.tdb.ok());
        f.chooseTeams(0, 1);
        f.fillOrders();
        const QStringList sbo = dumpTable(*f.db(), QStringLiteral("SBO表"));
        f.click(QStringLiteral("GO"));
        const QStringList asked = f.questions();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].contains(f.text(QStringLiteral("Text1"))) &&
                     asked[0].contains(QStringLiteral("比賽開始")) &&
                     asked[0].endsWith(QStringLiteral("/請注意")),
                 qPrintable(asked[0]));
        QVERIFY(!f.consoleShown());
        QCOMPARE(dumpTable(*f.db(), QStringLiteral("SBO表")), sbo);

        // 比賽開始 for other teams (or the same in the other order) is no answer.
        f.db()->exec(QStringLiteral("UPDATE RHE得分表 SET 隊名1=隊名2"));
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        f.click(QStringLiteral("GO"));
        QCOMPARE(f.questions().size(), 1);
        QVERIFY(f.consoleShown());
    }

    // A new database chosen in the set-up window is taken up there.
    void newDatabaseKeepsTheWindow_data() { test::TestDatabase::addEngineRows(); }
    void newDatabaseKeepsTheWindow()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        QVERIFY(f.tdb.ok());
        test::TestDatabase other(engine, test::TestDatabase::Content::Demo);
        f.chooseTeams(0, 1);
        // The other database knows one team less.
        other.open()->exec(QStringLiteral("DELETE FROM 打擊整隊表年度 WHERE 隊名=?"),
                           {f.text(QStringLiteral("Text1"))});
        f.h.answer(QStringLiteral("connection"), other.connectionString());
        QVERIFY(f.h.ok(f.h.menu(M, QStringLiteral("mDataBase"))));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("ODBC")), other.connectionString());
        QVERIFY(f.h.get(M, M)[QStringLiteral("visible")].toBool());
        QVERIFY(f.h.get(QStringLiteral("mStart"), QStringLiteral("mStart")).isEmpty());
        // The other database's teams, none chosen yet.
        QCOMPARE(items(f.h, QStringLiteral("List1")).size(), 3);
        QCOMPARE(f.text(QStringLiteral("Text1")), QString());
        QVERIFY(!f.h.get(M, QStringLiteral("SSTab1"))[QStringLiteral("visible")].toBool());
        QVERIFY(other.connectionString().contains(f.h.panels(M).first()));
        QVERIFY(f.h.messages().isEmpty());
    }

    void goWritesTheNewGame_data() { test::TestDatabase::addEngineRows(); }
    void goWritesTheNewGame()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        for (const char* key : {"Round", "Half", "StrikeSF", "StrikeSL"})
            f.h.settings.store.set(QString::fromLatin1(key), QStringLiteral("4"));
        f.chooseTeams(0, 1);
        const QString first =
            f.h.get(M, QStringLiteral("Text1"))[QStringLiteral("text")].toString();
        const QString second =
            f.h.get(M, QStringLiteral("Text2"))[QStringLiteral("text")].toString();
        f.click(QStringLiteral("GO"));
        QCOMPARE(f.h.messages(), QStringList{QStringLiteral("設定尚未完成,請確定後再開始/錯誤")});
        f.fillOrders();
        f.select(QStringLiteral("List2"), 8);
        f.click(QStringLiteral("Command5")); // DH bats eighth
        const QStringList order1 = items(f.h, QStringLiteral("List3"));
        const QStringList order2 = items(f.h, QStringLiteral("List6"));
        const QString pitcher2 =
            f.h.get(M, QStringLiteral("Combo1(2)"))[QStringLiteral("text")].toString();
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes")); // no 比賽開始 for them
        f.click(QStringLiteral("GO"));

        auto d = f.db();
        const auto sbo = d->query(QStringLiteral("Select * From SBO表")).value();
        QCOMPARE(sbo.size(), 1);
        QCOMPARE(sbo[0].value(QStringLiteral("Item1")), first);
        QCOMPARE(sbo[0].value(QStringLiteral("Item2")), second);
        const auto rhe = d->query(QStringLiteral("Select * From RHE Order By Half ASC")).value();
        QCOMPARE(rhe.size(), 2);
        QCOMPARE(rhe[0].value(QStringLiteral("Half")), QStringLiteral("B"));
        QCOMPARE(rhe[0].value(QStringLiteral("Team")), first);
        QCOMPARE(rhe[1].value(QStringLiteral("Team")), second);
        const auto sf = d->query(QStringLiteral("Select * From SF今日成績 Order By 棒次")).value();
        QCOMPARE(sf.size(), 9);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(sf[i].value(QStringLiteral("棒次")), QString::number(i + 1));
            QCOMPARE(sf[i].value(QStringLiteral("背號")) + u':' +
                         sf[i].value(QStringLiteral("姓名")),
                     order1[i]);
            QCOMPARE(sf[i].value(QStringLiteral("隊名")), first);
        }
        QCOMPARE(sf[7].value(QStringLiteral("守位")), QStringLiteral("DH"));
        QCOMPARE(sf[8].value(QStringLiteral("守位")), QStringLiteral("SS"));
        const auto sl = d->query(QStringLiteral("Select * From SL今日成績 Order By 棒次")).value();
        QCOMPARE(sl.size(), 9);
        QCOMPARE(sl[0].value(QStringLiteral("背號")) + u':' + sl[0].value(QStringLiteral("姓名")),
                 order2[0]);
        QCOMPARE(sl[0].value(QStringLiteral("守位")), QStringLiteral("1B"));
        const auto pl = d->query(QStringLiteral("Select * From PL今日成績")).value();
        QCOMPARE(pl.size(), 1);
        QCOMPARE(pl[0].value(QStringLiteral("背號")) + u':' + pl[0].value(QStringLiteral("姓名")),
                 pitcher2);
        QCOMPARE(pl[0].value(QStringLiteral("隊名")), second);
        QCOMPARE(pl[0].value(QStringLiteral("局數")), QStringLiteral("0"));
        QCOMPARE(d->query(QStringLiteral("Select * From PF今日成績"))->size(), 1);

        for (const char* key : {"Round", "Half", "StrikeSF", "StrikeSL"})
            QCOMPARE(f.h.settings.store.get(QString::fromLatin1(key), QStringLiteral("absent")),
                     QStringLiteral("absent"));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("BaseRound")), QStringLiteral("1"));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("FirstAttack")), first);
        QCOMPARE(f.h.settings.store.get(QStringLiteral("SecondAttack")), second);
        QVERIFY(f.h.get(QStringLiteral("Baseball_Beat"),
                        QStringLiteral("Baseball_Beat"))[QStringLiteral("visible")]
                    .toBool());

        // The same selection again gives the same tables.
        QStringList tables{QStringLiteral("SBO表"),      QStringLiteral("RHE"),
                           QStringLiteral("SF今日成績"), QStringLiteral("SL今日成績"),
                           QStringLiteral("PF今日成績"), QStringLiteral("PL今日成績")};
        QMap<QString, QStringList> before;
        for (const QString& t : tables)
            before[t] = dumpTable(*d, t);
        d.reset();
        f.h.navigator.showStart();
        f.h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        f.chooseTeams(0, 1);
        f.fillOrders();
        f.select(QStringLiteral("List2"), 8);
        f.click(QStringLiteral("Command5"));
        f.click(QStringLiteral("GO"));
        d = f.db();
        for (const QString& t : tables)
            QCOMPARE(dumpTable(*d, t), before[t]);
    }

    void refusalsWriteNothing_data() { test::TestDatabase::addEngineRows(); }
    void refusalsWriteNothing()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        f.chooseTeams();
        f.fillOrders();
        f.h.messages();
        // A batter whose entry lost its colon.
        f.act(QStringLiteral("List3"), QStringLiteral("dblclick"), {{QStringLiteral("index"), 0}});
        f.select(QStringLiteral("List3"), 4);
        f.click(QStringLiteral("Command8"));
        const int back = items(f.h, QStringLiteral("List4(0)")).size() - 1;
        f.select(QStringLiteral("List4(0)"), back);
        f.h.answer(QStringLiteral("input"), QStringLiteral("無冒號的名字"));
        f.act(QStringLiteral("List4(0)"), QStringLiteral("press"),
              {{QStringLiteral("button"), QStringLiteral("right")}});
        f.act(QStringLiteral("List4(0)"), QStringLiteral("dblclick"),
              {{QStringLiteral("index"), back}});
        f.click(QStringLiteral("GO"));
        f.click(QStringLiteral("Command13"));
        QStringList messages = f.h.messages();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[0].contains(QStringLiteral("無冒號的名字")));
        auto d = f.db();
        QCOMPARE(d->query(QStringLiteral("Select * From SF今日成績"))->size(), 0);
        QCOMPARE(d->query(QStringLiteral("Select * From 先攻打者今日"))->size(), 0);

        // A starting pitcher who left the season roster after the confirmation.
        f.select(QStringLiteral("List3"), 8);
        f.click(QStringLiteral("Command8"));
        f.act(QStringLiteral("List4(0)"), QStringLiteral("dblclick"),
              {{QStringLiteral("index"), 0}});
        const QString pitcher =
            f.h.get(M, QStringLiteral("Combo1(1)"))[QStringLiteral("text")].toString();
        const QString name = pitcher.section(u':', 1);
        QVERIFY(d->exec(QStringLiteral("Delete From 投手整隊表年度 Where 姓名=?"), {name}));
        d.reset();
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes")); // no 比賽開始 for them
        f.click(QStringLiteral("GO"));
        messages = f.h.messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(name) && messages[0].endsWith(QStringLiteral("/錯誤")),
                 qPrintable(messages[0]));
        d = f.db();
        QCOMPARE(d->query(QStringLiteral("Select * From SF今日成績"))->size(), 0);
        QCOMPARE(d->query(QStringLiteral("Select * From SBO表"))->size(), 0);
        QVERIFY(f.h.get(M, QStringLiteral("Main"))[QStringLiteral("visible")].toBool());
    }

    void gameStartFillsTheGraphicsTables_data() { test::TestDatabase::addEngineRows(); }
    void gameStartFillsTheGraphicsTables()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        f.chooseTeams(1, 2);
        f.click(QStringLiteral("Command13"));
        QCOMPARE(f.h.messages(), QStringList{QStringLiteral("設定尚未完成,請確定後再開始/錯誤")});
        f.fillOrders();
        const QStringList order2 = items(f.h, QStringLiteral("List6"));
        const QString second =
            f.h.get(M, QStringLiteral("Text2"))[QStringLiteral("text")].toString();
        f.click(QStringLiteral("Command13"));
        QVERIFY(f.h.messages().isEmpty());
        auto d = f.db();
        auto count = [&](const char* table) {
            return d->query(QStringLiteral("Select * From ") + QString::fromUtf8(table))->size();
        };
        // Four rows for each of the eighteen batters of both orders.
        QCOMPARE(count("打者壘上狀態今日"), 72);
        QCOMPARE(count("投手對打者今日"), 18);
        QCOMPARE(count("打者對左右投今日"), 18);
        QCOMPARE(count("投手對左右打今日"), 2);
        QCOMPARE(count("RHE得分表"), 1);
        QCOMPARE(count("SBO"), 1);
        QCOMPARE(count("先攻打者今日"), 9);
        QCOMPARE(count("後攻投手今日"), 1);
        const auto states =
            d->query(QStringLiteral("Select 狀態,紀錄 From 打者壘上狀態今日")).value();
        for (int i = 0; i < 72; ++i) {
            static const QStringList order{QStringLiteral("無人"), QStringLiteral("有人"),
                                           QStringLiteral("得點圈"), QStringLiteral("滿壘")};
            QCOMPARE(states[i].value(QStringLiteral("狀態")), order[i % 4]);
            QCOMPARE(states[i].value(QStringLiteral("紀錄")),
                     i < 36 ? QStringLiteral("先攻今日") : QStringLiteral("後攻今日"));
        }
        const auto rhe = d->query(QStringLiteral("Select * From RHE得分表")).value();
        QCOMPARE(rhe[0].value(QStringLiteral("第二棒")), order2[1].section(u':', 1));
        QCOMPARE(rhe[0].value(QStringLiteral("Status3")), QStringLiteral("0-0"));
        QCOMPARE(rhe[0].value(QStringLiteral("棒次3")), QStringLiteral("3"));
        const auto batters =
            d->query(QStringLiteral("Select * From 後攻打者今日 Order By 棒次")).value();
        QCOMPARE(batters[0].value(QStringLiteral("隊名")), second);
        QCOMPARE(batters[0].value(QStringLiteral("打擊率")), QStringLiteral("0.000"));
        QCOMPARE(batters[0].value(QStringLiteral("今日十")), QStringLiteral("\u3000"));
        QCOMPARE(batters[8].value(QStringLiteral("守位")), QStringLiteral("DH"));
        const auto sbo = d->query(QStringLiteral("Select * From SBO")).value();
        QCOMPARE(sbo[0].value(QStringLiteral("半局")), QStringLiteral("上"));
        QCOMPARE(d->query(QStringLiteral("Select * From 先攻投手今日"))
                     .value()[0]
                     .value(QStringLiteral("自責分率")),
                 QStringLiteral("0.00"));
        for (const char* key : {"BaseRound", "FirstAttack", "SecondAttack"})
            QCOMPARE(f.h.settings.store.read(app::kCompanionAppName, app::kSection,
                                             QString::fromLatin1(key)),
                     QStringLiteral("1"));
        // The console's tables are untouched, and the start window is back.
        QCOMPARE(count("SF今日成績"), 0);
        QVERIFY(
            f.h.get(QStringLiteral("mStart"), QStringLiteral("mStart"))[QStringLiteral("visible")]
                .toBool());
    }

    void imageFolderIsKeptForTheGraphicsSide()
    {
        SetupFixture f(QStringLiteral("sqlite"));
        QVERIFY(!f.h.get(M, QStringLiteral("Frame3"))[QStringLiteral("visible")].toBool());
        f.click(QStringLiteral("Command14"));
        QVERIFY(f.h.get(M, QStringLiteral("Frame3"))[QStringLiteral("visible")].toBool());
        f.act(QStringLiteral("Text3"), QStringLiteral("type"),
              {{QStringLiteral("text"), QStringLiteral("/srv/圖檔")}});
        f.act(QStringLiteral("Text3"), QStringLiteral("blur"));
        f.click(QStringLiteral("Command15"));
        QCOMPARE(f.h.settings.store.read(app::kCompanionAppName, app::kSection,
                                         QStringLiteral("IMAGESource")),
                 QStringLiteral("/srv/圖檔/"));
        QVERIFY(!f.h.get(M, QStringLiteral("Frame3"))[QStringLiteral("visible")].toBool());
    }

    void statusPanelNeverShowsThePassword_data() { test::TestDatabase::addEngineRows(); }
    void statusPanelNeverShowsThePassword()
    {
        QFETCH(QString, engine);
        test::TestDatabase tdb(engine, test::TestDatabase::Content::Demo);
        QVERIFY(tdb.ok());
        const auto s = db::parseConnectionString(tdb.connectionString()).value();
        const QString secret = QStringLiteral("geheim=42");
        QString shown;
        QStringList orders;
        if (s.engine == db::ConnectionSettings::Engine::SQLite) {
            shown = s.file;
            const QString file = QStringLiteral("Data Source=") + s.file;
            orders << QStringLiteral("Provider=SQLite;Password=\"%1\";%2").arg(secret, file)
                   << QStringLiteral("Provider=SQLite;%2;Password=\"%1\"").arg(secret, file);
        } else {
            // The test server trusts loopback: the password is never asked for.
            shown = s.database;
            const QString head = QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;User ID=%3")
                                     .arg(s.host)
                                     .arg(s.port)
                                     .arg(s.user);
            const QString pw = QStringLiteral("Password=\"%1\"").arg(secret);
            const QString database = QStringLiteral("Database=") + s.database;
            orders << head + u';' + pw + u';' + database << head + u';' + database + u';' + pw
                   << pw + u';' + head + u';' + database +
                          QStringLiteral(";Persist Security Info=False")
                   << head + u';' + pw + u';' + database +
                          QStringLiteral(";Persist Security Info=False");
        }
        for (const QString& connection : orders) {
            test::RemoteHarness h;
            h.settings.store.set(QStringLiteral("ODBC"), connection);
            h.navigator.showStart();
            h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
            QVERIFY2(h.messages().isEmpty(), qPrintable(connection));
            QCOMPARE(items(h, QStringLiteral("List1")).size(), 4);
            const QString panel = h.panels(M).first();
            QVERIFY2(!panel.contains(QStringLiteral("geheim")), qPrintable(panel));
            QCOMPARE(panel, shown);
            db::Database::closePool();
        }
    }

    void rosterLookupsStayWithinTheTeam_data() { test::TestDatabase::addEngineRows(); }
    void rosterLookupsStayWithinTheTeam()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine, false);
        QVERIFY(f.tdb.ok());
        const QStringList teams = db::demoTeams();
        const QString first = teams[0], second = teams[1], other = teams[2];
        {
            // Namesakes entered before the players of the day, so that a lookup
            // by name alone meets them first: a pitcher of the first team named
            // like the second team's starter, and the first team's new batter
            // with a namesake in the second team and one in his own team.
            auto d = f.db();
            const QString pitchers =
                QStringLiteral("Insert into 投手整隊表年度 (隊名,背號,姓名,打習) Values (?,?,?,?)");
            const QString batters =
                QStringLiteral("Insert into 打擊整隊表年度 (隊名,背號,姓名,打習) Values (?,?,?,?)");
            const QString lefty = QStringLiteral("左投"), righty = QStringLiteral("右打");
            const QString starter = QStringLiteral("蘇育誠"), batter = QStringLiteral("林同名");
            QVERIFY(d->exec(pitchers, {first, QStringLiteral("98"), starter, lefty}));
            QVERIFY(d->exec(pitchers, {other, QStringLiteral("00"), starter, lefty}));
            QVERIFY(d->exec(pitchers, {second, QStringLiteral("00"), starter, lefty}));
            QVERIFY(d->exec(batters, {other, QStringLiteral("00"), batter, righty}));
            QVERIFY(d->exec(batters, {second, QStringLiteral("00"), batter, righty}));
            QVERIFY(d->exec(batters, {first, QStringLiteral("99"), batter, righty}));
            QVERIFY(d->exec(batters, {first, QStringLiteral("00"), batter, righty}));
        }
        f.open();
        const QStringList list1 = items(f.h, QStringLiteral("List1"));
        f.chooseTeams(int(list1.indexOf(first)),
                      int(list1.indexOf(second)) - (list1.indexOf(second) > list1.indexOf(first)));
        QCOMPARE(f.h.get(M, QStringLiteral("Text2"))[QStringLiteral("text")].toString(), second);
        QCOMPARE(f.h.get(M, QStringLiteral("Combo1(2)"))[QStringLiteral("text")].toString(),
                 QStringLiteral("00:蘇育誠"));
        f.fillOrders();
        QCOMPARE(items(f.h, QStringLiteral("List3")).first(), QStringLiteral("00:林同名"));
        QVERIFY(!items(f.h, QStringLiteral("List3")).contains(QStringLiteral("99:林同名")));
        QCOMPARE(items(f.h, QStringLiteral("List6")).first(), QStringLiteral("00:林同名"));

        f.click(QStringLiteral("Command13"));
        QVERIFY(f.h.messages().isEmpty());
        auto d = f.db();
        auto rows = [&](const char* sql) { return d->query(QString::fromUtf8(sql)).value(); };
        QCOMPARE(rows("Select * From 打者壘上狀態今日").size(), 72);
        QCOMPARE(rows("Select * From 投手對打者今日").size(), 18);
        QCOMPARE(rows("Select * From 打者對左右投今日").size(), 18);
        QCOMPARE(rows("Select * From 投手對左右打今日").size(), 2);
        for (const db::Row& r : rows("Select 隊名,紀錄 From 打者壘上狀態今日"))
            QCOMPARE(r.value(QStringLiteral("隊名")),
                     r.value(QStringLiteral("紀錄")) == QStringLiteral("先攻今日") ? first
                                                                                   : second);
        const QList<std::pair<const char*, QString>> today{{"Select * From 先攻打者今日", first},
                                                           {"Select * From 後攻打者今日", second}};
        for (const auto& [sql, team] : today) {
            const db::Rows lineup = rows(sql);
            QCOMPARE(lineup.size(), 9);
            QStringList battingSlots;
            for (const db::Row& r : lineup) {
                QCOMPARE(r.value(QStringLiteral("隊名")), team);
                battingSlots << r.value(QStringLiteral("棒次"));
                if (r.value(QStringLiteral("姓名")) == QStringLiteral("林同名"))
                    QCOMPARE(r.value(QStringLiteral("背號")) + r.value(QStringLiteral("棒次")),
                             QStringLiteral("001"));
            }
            battingSlots.sort();
            QCOMPARE(battingSlots.join(u','), QStringLiteral("1,2,3,4,5,6,7,8,9"));
        }
        const db::Rows starter = rows("Select * From 後攻投手今日");
        QCOMPARE(starter.size(), 1);
        QCOMPARE(starter[0].value(QStringLiteral("隊名")), second);
        QCOMPARE(starter[0].value(QStringLiteral("自責分率")), QStringLiteral("0.00"));
        QCOMPARE(rows("Select * From 先攻投手今日").size(), 1);
        QCOMPARE(rows("Select * From 先攻投手今日")[0].value(QStringLiteral("隊名")), first);
        d.reset();

        f.open();
        f.chooseTeams(int(list1.indexOf(first)),
                      int(list1.indexOf(second)) - (list1.indexOf(second) > list1.indexOf(first)));
        f.fillOrders();
        f.click(QStringLiteral("GO"));
        // What the console says on opening is its own; the set-up window says nothing.
        QVERIFY(f.h.get(QStringLiteral("Baseball_Beat"),
                        QStringLiteral("Baseball_Beat"))[QStringLiteral("visible")]
                    .toBool());
        d = f.db();
        const db::Rows pl = rows("Select * From PL今日成績");
        QCOMPARE(pl.size(), 1);
        QCOMPARE(pl[0].value(QStringLiteral("隊名")) + u'/' + pl[0].value(QStringLiteral("背號")),
                 second + QStringLiteral("/00"));
        QCOMPARE(rows("Select * From PF今日成績")[0].value(QStringLiteral("隊名")), first);
    }

    void settingsThatCannotBeWrittenAreReportedOnce_data() { test::TestDatabase::addEngineRows(); }
    void settingsThatCannotBeWrittenAreReportedOnce()
    {
        QFETCH(QString, engine);
        SetupFixture f(engine);
        QVERIFY(f.tdb.ok());
        for (const char* key : {"Round", "Half", "StrikeSF", "StrikeSL", "FirstAttack"})
            f.h.settings.store.set(QString::fromLatin1(key), QStringLiteral("4"));
        f.chooseTeams(0, 1);
        f.fillOrders();
        f.h.messages();
        f.h.settings.makeUnwritable();
        const QString file = f.h.settings.store.fileName();
        // Exactly one message for the action, and it names the settings file.
        auto reportedOnce = [&] {
            const QStringList messages = f.h.messages();
            if (messages.size() == 1 && messages[0].contains(file))
                return true;
            qWarning() << messages;
            return false;
        };

        // GO: nothing of the new game is kept, in the database or the settings,
        // and the console does not open on a half-written game.
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes")); // no 比賽開始 for them
        f.click(QStringLiteral("GO"));
        QVERIFY2(reportedOnce(), "GO");
        QVERIFY(f.h.get(M, M)[QStringLiteral("visible")].toBool());
        QVERIFY(
            f.h.get(QStringLiteral("Baseball_Beat"), QStringLiteral("Baseball_Beat")).isEmpty());
        for (const char* key : {"Round", "Half", "StrikeSF", "StrikeSL", "FirstAttack"})
            QCOMPARE(f.h.settings.store.get(QString::fromLatin1(key)), QStringLiteral("4"));
        auto d = f.db();
        QCOMPARE(d->query(QStringLiteral("Select * From SF今日成績"))->size(), 0);
        QCOMPARE(d->query(QStringLiteral("Select * From SBO表"))->size(), 0);

        // 比賽開始 likewise.
        f.click(QStringLiteral("Command13"));
        QVERIFY2(reportedOnce(), "Command13");
        QVERIFY(f.h.get(M, M)[QStringLiteral("visible")].toBool());
        QCOMPARE(f.h.settings.store.read(app::kCompanionAppName, app::kSection,
                                         QStringLiteral("BaseRound"), QStringLiteral("absent")),
                 QStringLiteral("absent"));
        QCOMPARE(d->query(QStringLiteral("Select * From 先攻打者今日"))->size(), 0);
        d.reset();

        // The image folder stays on screen, not stored.
        f.click(QStringLiteral("Command14"));
        f.act(QStringLiteral("Text3"), QStringLiteral("type"),
              {{QStringLiteral("text"), QStringLiteral("/srv/圖檔/")}});
        f.click(QStringLiteral("Command15"));
        QVERIFY2(reportedOnce(), "Command15");
        QVERIFY(f.h.get(M, QStringLiteral("Frame3"))[QStringLiteral("visible")].toBool());
        QCOMPARE(f.h.settings.store.read(app::kCompanionAppName, app::kSection,
                                         QStringLiteral("IMAGESource")),
                 QString());

        // A new database that cannot be kept is not taken up.
        const QString kept = f.h.settings.store.get(QStringLiteral("ODBC"));
        f.h.answer(QStringLiteral("connection"),
                   QStringLiteral("Provider=SQLite;Data Source=/srv/other.db"));
        f.h.menu(M, QStringLiteral("mDataBase"));
        QVERIFY2(reportedOnce(), "mDataBase");
        QCOMPARE(f.h.settings.store.get(QStringLiteral("ODBC")), kept);
        QVERIFY(f.h.get(M, M)[QStringLiteral("visible")].toBool());
        QVERIFY(f.h.get(QStringLiteral("mStart"), QStringLiteral("mStart")).isEmpty());

        // Once the file can be written again, GO goes through.
        f.h.settings.makeWritable();
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes")); // no 比賽開始 for them
        f.click(QStringLiteral("GO"));
        QVERIFY(!f.h.messages().join(u'|').contains(file));
        QVERIFY(f.h.get(QStringLiteral("Baseball_Beat"),
                        QStringLiteral("Baseball_Beat"))[QStringLiteral("visible")]
                    .toBool());
        app::SettingsStore again(file);
        QCOMPARE(again.get(QStringLiteral("Round"), QStringLiteral("absent")),
                 QStringLiteral("absent"));
        QCOMPARE(again.get(QStringLiteral("BaseRound")), QStringLiteral("1"));
    }

    void startWindowReportsASettingThatCannotBeWritten()
    {
        test::RemoteHarness h;
        h.settings.store.set(QStringLiteral("ODBC"),
                             QStringLiteral("Provider=SQLite;Data Source=a.db"));
        h.navigator.showStart();
        h.settings.makeUnwritable();
        h.answer(QStringLiteral("connection"), QStringLiteral("Provider=SQLite;Data Source=b.db"));
        h.menu(QStringLiteral("mStart"), QStringLiteral("mDataBase"));
        const QStringList messages = h.messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(h.settings.store.fileName()));
        QCOMPARE(h.settings.store.get(QStringLiteral("ODBC")),
                 QStringLiteral("Provider=SQLite;Data Source=a.db"));
    }

    void choosingAMissingFileAtTheOpeningIsReportedOnce()
    {
        test::RemoteHarness h;
        const QString missing = QStringLiteral("Provider=SQLite;Data Source=/no/such/game.db");
        h.answer(QStringLiteral("connection"), missing);
        h.navigator.showStart();
        h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        const QStringList messages = h.messages();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0], QStringLiteral("資料庫尚未設定/請設定資料庫"));
        QVERIFY2(messages[1].contains(QStringLiteral("/no/such/game.db")), qPrintable(messages[1]));
        QCOMPARE(h.settings.store.get(QStringLiteral("ODBC")), missing);
        // The window stays, loaded with the chosen database, and usable.
        QVERIFY(h.get(M, M)[QStringLiteral("visible")].toBool());
        QVERIFY(h.ok(h.act(M, QStringLiteral("StartCmd"), QStringLiteral("click"))));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("請選擇比賽隊伍/請重新輸入")});
    }

    void databaseFailureIsReportedAndTheWindowStaysUsable()
    {
        test::RemoteHarness h;
        h.settings.store.set(QStringLiteral("ODBC"),
                             QStringLiteral("Provider=SQLite;Data Source=/no/such/game.db"));
        h.navigator.showStart();
        h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        const QStringList messages = h.messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(QStringLiteral("/no/such/game.db")));
        QVERIFY(h.panels(M).at(1).contains(QStringLiteral("/no/such/game.db")));
        QVERIFY(h.ok(h.act(M, QStringLiteral("StartCmd"), QStringLiteral("click"))));
        QCOMPARE(h.messages(), QStringList{QStringLiteral("請選擇比賽隊伍/請重新輸入")});
    }
};

QTEST_MAIN(TstSetupWindow)
#include "tst_setup_window.moc"
