#include "GraphicsFixture.h"

#include <QElapsedTimer>

using namespace hp;
using test::Graphics;
using test::lines;
using test::Sent;

namespace {
const QString kLinkDown = QStringLiteral("請檢查字幕機連線,或重新取得字幕機連線/字幕機斷線");
const QString kNoTemplate = QStringLiteral("請打開播出範本/尚未開啟範本");
} // namespace

class TstConsoleGraphics : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void aListGraphicIsPreparedThenPlayedWithEachEffect()
    {
        Graphics f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        // The console opened on item 5 of the first batter; panel A has nothing yet.
        QVERIFY(f.enabled(QStringLiteral("Command5")));
        QVERIFY(!f.enabled(QStringLiteral("Command6")));
        QVERIFY(!f.enabled(QStringLiteral("Option2(0)")));
        f.press(QStringLiteral("SBO_Lab(2)"));
        f.check(QStringLiteral("Base_Check(2)"), 2); // the greyed state counts as a runner
        f.sent();

        QVERIFY(f.select(QStringLiteral("List3"), 6));
        const QString command = lines(
            {QStringLiteral("[BYNAME][SBO][10]EFFECT"), QStringLiteral("[ROUND][0][1]"),
             QStringLiteral("[R1][0][0]"), QStringLiteral("[R2][0][0]"),
             QStringLiteral("[S][0][0]"), QStringLiteral("[B][0][1]"), QStringLiteral("[O][0][0]"),
             QStringLiteral("[1B][0][\u3000]"), QStringLiteral("[2B][0][◆]"),
             QStringLiteral("[3B][0][\u3000]"), QStringLiteral("[HALF][0][▲]")});
        QCOMPARE(f.sent(), (QList<Sent>{{9, command},
                                        {24, f.preview(QStringLiteral("SBO"),
                                                       QStringLiteral("TempImageB.BMP"))}}));
        QVERIFY(f.enabled(QStringLiteral("Command5")));
        QVERIFY(!f.enabled(QStringLiteral("Command6")));

        auto played = [&](const QString& effect) {
            return Sent{20, QString(command).replace(QStringLiteral("EFFECT"), effect)};
        };
        QVERIFY(f.click(QStringLiteral("Command5")));
        QCOMPARE(f.sent(), (QList<Sent>{played(QStringLiteral("[E]"))}));
        // A cut without a layer chosen goes to the second layer.
        f.check(QStringLiteral("FastCheck2"), 1);
        QVERIFY(f.enabled(QStringLiteral("Option2(0)")));
        QVERIFY(f.enabled(QStringLiteral("Option2(1)")));
        QVERIFY(f.click(QStringLiteral("Command5")));
        QCOMPARE(f.sent(), (QList<Sent>{played(QStringLiteral("[FO][2]"))}));
        f.check(QStringLiteral("Option2(0)"), 1);
        // Unchecking the cut leaves the layers as they are.
        f.check(QStringLiteral("FastCheck2"), 0);
        QVERIFY(f.enabled(QStringLiteral("Option2(0)")));
        QVERIFY(f.click(QStringLiteral("Command5")));
        QCOMPARE(f.sent(), (QList<Sent>{played(QStringLiteral("[E]"))}));
        f.check(QStringLiteral("FastCheck2"), 1);

        // A count click brings the prepared count box up to date (loaded and
        // previewed again, nothing played); the quick count goes on air at
        // once with the count as it is now and leaves the stored graphic alone.
        f.press(QStringLiteral("SBO_Lab(1)"));
        const QString struck =
            QString(command).replace(QStringLiteral("[S][0][0]"), QStringLiteral("[S][0][1]"));
        QCOMPARE(f.sent(), (QList<Sent>{{9, struck},
                                        {24, f.preview(QStringLiteral("SBO"),
                                                       QStringLiteral("TempImageB.BMP"))}}));
        QVERIFY(f.click(QStringLiteral("SBO_Cmd")));
        QCOMPARE(f.sent(),
                 (QList<Sent>{Sent{20, QString(struck).replace(QStringLiteral("[SBO][10]EFFECT"),
                                                               QStringLiteral("[SBO][12][FO]"))}}));
        QVERIFY(f.click(QStringLiteral("Command5")));
        QCOMPARE(f.sent(),
                 (QList<Sent>{Sent{20, QString(struck).replace(QStringLiteral("EFFECT"),
                                                               QStringLiteral("[FO][1]"))}}));

        QVERIFY(f.key(test::C, QStringLiteral("Escape")));
        QCOMPARE(f.sent(), (QList<Sent>{Sent{5, QStringLiteral("[BYNAME][7.SBO表]")}}));
    }

    void theChecksStopAClick()
    {
        {
            Graphics f(QStringLiteral("sqlite"));
            QVERIFY(f.tdb.ok());
            f.h.messages();
            f.h.net->connectedAnswer = 0;
            f.sent();
            QVERIFY(f.select(QStringLiteral("List4"), 5));
            QVERIFY(f.click(QStringLiteral("SBO_Cmd")));
            QCOMPARE(f.h.messages(), (QStringList{kLinkDown, kLinkDown}));
            QCOMPARE(f.sent(), (QList<Sent>{}));
            QVERIFY(!f.enabled(QStringLiteral("Command6")));
            // Nothing was played: Escape has nothing to take off.
            QVERIFY(f.key(test::C, QStringLiteral("Escape")));
            QCOMPARE(f.sent(), (QList<Sent>{}));
            // Nothing prepared: a double-click on the preview sends nothing.
            f.h.net->connectedAnswer = 1;
            QVERIFY(f.h.ok(f.act(QStringLiteral("Image1"), QStringLiteral("dblclick"))));
            QCOMPARE(f.sent(), (QList<Sent>{}));
        }
        // One console at a time: the remote control finds windows by name.
        Graphics none(QStringLiteral("sqlite"), false);
        none.h.settings.store.set(QStringLiteral("PRJ"), QString());
        none.open();
        none.h.messages();
        none.sent();
        QVERIFY(none.select(QStringLiteral("List3"), 0));
        QVERIFY(none.click(QStringLiteral("SBO_Cmd")));
        QCOMPARE(none.h.messages(), (QStringList{kNoTemplate, kNoTemplate}));
        QCOMPARE(none.sent(), (QList<Sent>{}));
    }

    void lineUpsComeInBattingOrder_data() { test::TestDatabase::addEngineRows(); }
    void lineUpsComeInBattingOrder()
    {
        QFETCH(QString, engine);
        Graphics f(engine);
        QVERIFY(f.tdb.ok());
        // The first batter's row goes to the end of the table, as an update
        // leaves it in PostgreSQL.
        const db::Row first =
            f.row(QStringLiteral("SELECT * FROM SF今日成績 WHERE 棒次=?"), {QStringLiteral("1")});
        f.exec(QStringLiteral("DELETE FROM SF今日成績 WHERE 棒次=?"), {QStringLiteral("1")});
        f.exec(
            QStringLiteral("INSERT INTO SF今日成績 (棒次,隊名,背號,姓名,守位) VALUES (?,?,?,?,?)"),
            {QStringLiteral("1"), first.value(QStringLiteral("隊名")),
             first.value(QStringLiteral("背號")), first.value(QStringLiteral("姓名")),
             QStringLiteral(" CF ")});
        const QString team1 = f.text(QStringLiteral("Team_Lab(1)"));
        auto name = [&](const QString& table, int slot) {
            return f
                .row(QStringLiteral("SELECT 姓名 FROM ") + table + QStringLiteral(" WHERE 棒次=?"),
                     {QString::number(slot)})
                .value(QStringLiteral("姓名"));
        };
        const QString pitcher1 =
            f.row(QStringLiteral("SELECT 姓名 FROM PF今日成績")).value(QStringLiteral("姓名"));
        f.sent();

        QVERIFY(f.select(QStringLiteral("List3"), 1)); // the batting order of the first team
        QStringList batting{QStringLiteral("[BYNAME][打序表][20]EFFECT")};
        const QStringList positions = test::ConsoleFixture::team(*f.tdb.open(), team1).positions;
        for (int i = 1; i <= 9; ++i) {
            batting << u'[' + QString::number(i) + QStringLiteral("1][0][") +
                           name(QStringLiteral("SF今日成績"), i) + u']'
                    << u'[' + QString::number(i) + QStringLiteral("2][0][") +
                           (i == 1 ? QStringLiteral(" CF ") : positions[i - 1]) + u']';
        }
        batting << QStringLiteral("[P][0][") + pitcher1 + u']'
                << QStringLiteral("[TEAM][0][") + team1 + u']';
        QList<Sent> out = f.sent();
        QCOMPARE(out.size(), 2);
        QCOMPARE(out[0], (Sent{9, lines(batting)}));

        // The fielders: the designated hitter left out, the position codes
        // trimmed, the pitcher last; the team field runs into the first
        // fielder's line. Item 3 shows the first team, item 1 the second.
        for (const auto& [item, team] :
             {std::pair{2, &f.selection.first}, std::pair{0, &f.selection.second}}) {
            QVERIFY(f.select(QStringLiteral("List3"), item));
            QString fielding =
                QStringLiteral("[BYNAME][守備][10]EFFECT\r\n[TEAM][0][") + team->team + u']';
            for (int i = 0; i < 8; ++i)
                fielding += u'[' + team->positions[i] + QStringLiteral("][0][") +
                            test::ConsoleFixture::nameOf(team->order[i]) + QStringLiteral("]\r\n");
            fielding += QStringLiteral("[P][0][") + test::ConsoleFixture::nameOf(team->pitcher) +
                        QStringLiteral("]\r\n");
            out = f.sent();
            QCOMPARE(out.size(), 2);
            QCOMPARE(out[0], (Sent{9, fielding}));
            QCOMPARE(out[1], (Sent{24, f.preview(QStringLiteral("守備"),
                                                 QStringLiteral("TempImageB.BMP"))}));
        }
    }

    void featurePagesAndTheirRefusals()
    {
        Graphics f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        f.sent();
        f.h.messages();
        // A spare page has no fields: only its preview, played with code 4.
        QVERIFY(f.select(QStringLiteral("List4"), 12));
        QCOMPARE(f.sent(), (QList<Sent>{Sent{24, f.preview(QStringLiteral("備用三"),
                                                           QStringLiteral("TempImageA.BMP"))}}));
        QVERIFY(f.click(QStringLiteral("Command6")));
        QCOMPARE(f.sent(), (QList<Sent>{Sent{4, QStringLiteral("[BYNAME][備用三][E]")}}));

        // The final score carries the clock's date.
        QVERIFY(f.select(QStringLiteral("List4"), 4));
        const QList<Sent> final = f.sent();
        QCOMPARE(final.size(), 2);
        QVERIFY(final[0].text.startsWith(
            QStringLiteral("[BYNAME][終場表][9]EFFECT\r\n[DATE1][0][2026/12/08]\r\n")));

        // The pitcher's cumulative line: the ERA over season and today.
        QVERIFY(f.select(QStringLiteral("List4"), 8));
        const QString era = f.text(QStringLiteral("EraP"));
        QVERIFY(f.sent().value(0).text.contains(QStringLiteral("[ERAP][0][") + era + u']'));

        // A batter with no profile: the message, nothing sent, and the panel
        // no longer offers the pitcher's line it had: play is off and the
        // panel says why.
        f.exec(QStringLiteral("DELETE FROM 打者基本資料"));
        QVERIFY(f.enabled(QStringLiteral("Command6")));
        QVERIFY(f.select(QStringLiteral("List4"), 7));
        QCOMPARE(f.h.messages(), (QStringList{QStringLiteral("無此打者資料/請檢查資料庫")}));
        QCOMPARE(f.sent(), (QList<Sent>{}));
        QVERIFY(!f.enabled(QStringLiteral("Command6")));
        QCOMPARE(f.text(QStringLiteral("Image1")), QStringLiteral("無此打者資料"));
        QVERIFY(!f.click(QStringLiteral("Command6")));
        QVERIFY(f.h.ok(f.act(QStringLiteral("Image1"), QStringLiteral("dblclick"))));
        QCOMPARE(f.sent(), (QList<Sent>{}));
    }

    void cumulativePagesAddTodayToTheSeason_data() { test::TestDatabase::addEngineRows(); }
    void cumulativePagesAddTodayToTheSeason()
    {
        QFETCH(QString, engine);
        Graphics f(engine);
        QVERIFY(f.tdb.ok());
        f.h.settings.store.set(QStringLiteral("InningsNotation"), QStringLiteral("outs"));
        const db::Row pitcher =
            f.row(QStringLiteral("SELECT * FROM 投手整隊表年度 WHERE 背號=? AND 隊名=?"),
                  {f.text(QStringLiteral("NoP_Lab")), f.text(QStringLiteral("Pitcher_Lab"))});
        const db::Row batter =
            f.row(QStringLiteral("SELECT * FROM 打擊整隊表年度 WHERE 背號=? AND 隊名=?"),
                  {f.text(QStringLiteral("NoS_Lab")), f.text(QStringLiteral("ATTACK_Lab"))});
        QVERIFY(!pitcher.value(QStringLiteral("姓名")).isEmpty());
        QVERIFY(!batter.value(QStringLiteral("姓名")).isEmpty());
        // Today's counters as the operator keeps them.
        for (const auto& [box, today] : {std::pair{"RoundS_txt", "7"},
                                         {"SaveP_txt", "2"},
                                         {"OutP_txt", "3"},
                                         {"FourP_txt", "1"},
                                         {"StrikeS_txt", "2"},
                                         {"SaveS_txt", "1"},
                                         {"HomeS_txt", "1"},
                                         {"PointS_txt", "2"}})
            QVERIFY(f.type(QString::fromLatin1(box), QString::fromLatin1(today)));
        auto plus = [](const db::Row& season, const char* column, int today) {
            return QString::number(season.value(QString::fromUtf8(column)).toInt() + today);
        };
        // 局數 of the season in thirds: whole innings and the odd outs.
        const QString innings = pitcher.value(QStringLiteral("局數"));
        const int point = int(innings.indexOf(u'.'));
        const QChar odd = point < 0 ? u'0' : innings.at(point + 1);
        const int thirds = innings.left(point < 0 ? innings.size() : point).toInt() * 3 +
                           (odd == u'1' || odd == u'3'   ? 1
                            : odd == u'2' || odd == u'6' ? 2
                                                         : 0) +
                           7;
        // The page: its header, the three captions as the panel shows them,
        // and the four figures.
        auto page = [&](const QString& header,
                        const QList<std::pair<const char*, const char*>>& shown,
                        const QStringList& figures) {
            QStringList out{QStringLiteral("[BYNAME][") + header + QStringLiteral("][8]EFFECT"),
                            QStringLiteral("[DAY][0][累計]")};
            for (const auto& [field, control] : shown)
                out << u'[' + QString::fromLatin1(field) + QStringLiteral("][0][") +
                           f.text(QString::fromLatin1(control)) + u']';
            for (int i = 0; i < 4; ++i)
                out << QStringLiteral("[T%1][0][%2]").arg(i + 1).arg(figures[i]);
            return lines(out);
        };
        f.sent();
        QVERIFY(f.select(QStringLiteral("List4"), 8));
        QCOMPARE(f.sent().value(0).text,
                 page(QStringLiteral("投手成績累計"),
                      {{"NOP", "NoP_Lab"}, {"NAMEP", "NameP_Lab"}, {"ERAP", "EraP"}},
                      {QStringLiteral("%1.%2").arg(thirds / 3).arg(thirds % 3),
                       plus(pitcher, "被安打", 2), plus(pitcher, "奪三振", 3),
                       plus(pitcher, "四死球", 1)}));
        QVERIFY(f.select(QStringLiteral("List4"), 9));
        QCOMPARE(f.sent().value(0).text,
                 page(QStringLiteral("打者成績累計"),
                      {{"NOS", "NoS_Lab"}, {"NAMES", "NameS_Lab"}, {"AVG", "AvgS_Lab"}},
                      {plus(batter, "打數", 2), plus(batter, "打點", 2), plus(batter, "安打", 1),
                       plus(batter, "全壘打", 1)}));
        // Today's page of the pitcher follows the same notation; decimal is
        // the default.
        QVERIFY(f.select(QStringLiteral("List3"), 5));
        QVERIFY(f.sent().value(0).text.contains(QStringLiteral("[T1][0][2.1]\r\n")));
        f.h.settings.store.erase(QStringLiteral("InningsNotation"));
        QVERIFY(f.select(QStringLiteral("List3"), 4));
        QVERIFY(f.select(QStringLiteral("List3"), 5));
        QVERIFY(f.sent().value(2).text.contains(QStringLiteral("[T1][0][2.333]\r\n")));
    }

    void nextBattersAndTheListToolTip_data() { test::TestDatabase::addEngineRows(); }
    void nextBattersAndTheListToolTip()
    {
        QFETCH(QString, engine);
        Graphics f(engine);
        QVERIFY(f.tdb.ok());
        // At the top of the first the second team's slots 1 to 3 are due up
        // next. The first of them is moved to the end of the table, as an
        // update leaves it in PostgreSQL; the rows still go in batting order.
        f.exec(QStringLiteral("UPDATE 下三棒 SET 打數=? WHERE 棒次=?"),
               {QStringLiteral("0"), QStringLiteral("1")});
        const setup::TeamSelection& next = f.selection.second;
        QString rows;
        QString tip = next.team + QStringLiteral("\r\n");
        for (int n = 1; n <= 3; ++n) {
            const QString t = u'T' + QString::number(n);
            const QString name = test::ConsoleFixture::nameOf(next.order[n - 1]);
            rows += lines({u'[' + t + QStringLiteral("1][0][") + QString::number(n) + u']',
                           u'[' + t + QStringLiteral("2][0][") + name + u']',
                           u'[' + t + QStringLiteral("3][0][0-0]")});
            tip += QString::number(n) + name + QStringLiteral("/\r\n");
        }
        f.sent();
        QVERIFY(f.select(QStringLiteral("List3"), 8));
        QCOMPARE(f.get(QStringLiteral("List3"))[QStringLiteral("tooltip")].toString(), QString());
        QCOMPARE(f.sent().value(0),
                 (Sent{9, QStringLiteral("[BYNAME][下三棒][9]EFFECT\r\n") + rows}));
        QVERIFY(f.select(QStringLiteral("List3"), 11));
        QCOMPARE(f.get(QStringLiteral("List3"))[QStringLiteral("tooltip")].toString(), tip);
        const QString rhe = lines(
            {QStringLiteral("[BYNAME][RHE+下三棒][19]EFFECT"), QStringLiteral("[ROUND][0][1]"),
             QStringLiteral("[TEAM1][0][") + f.selection.first.team + u']',
             QStringLiteral("[TEAM2][0][") + next.team + u']', QStringLiteral("[R1][0][0]"),
             QStringLiteral("[H1][0][0]"), QStringLiteral("[E1][0][0]"),
             QStringLiteral("[R2][0][0]"), QStringLiteral("[H2][0][0]"),
             QStringLiteral("[E2][0][0]"), QStringLiteral("[HALF][0][▲]")});
        QCOMPARE(f.sent().value(0), (Sent{9, rhe + rows}));
        auto d = f.tdb.open();

        // The table gone: a message, nothing sent, the panel disarmed.
        d->exec(QStringLiteral("DROP TABLE 下三棒"));
        d.reset();
        f.sent();
        f.h.messages();
        QVERIFY(f.select(QStringLiteral("List3"), 8));
        QCOMPARE(f.sent(), (QList<Sent>{}));
        const QStringList said = f.h.messages();
        QCOMPARE(said.size(), 1);
        QVERIFY(said[0].endsWith(QStringLiteral("/請檢查資料庫")));
        QVERIFY(!f.enabled(QStringLiteral("Command5")));
        QVERIFY(f.text(QStringLiteral("Image2")).startsWith(QStringLiteral("資料庫讀取失敗")));
    }

    void theConsoleCallsUpItsGraphics()
    {
        Graphics f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        f.sent();
        QVERIFY(f.click(QStringLiteral("Command4")));
        const QList<Sent> next = f.sent();
        QVERIFY(!next.isEmpty());
        QVERIFY(next[0].text.startsWith(QStringLiteral("[BYNAME][打者今日成績][19]EFFECT\r\n")));
        QCOMPARE(f.get(QStringLiteral("List3"))[QStringLiteral("current")].toInt(), 4);
        for (int i = 0; i < 3; ++i)
            f.press(QStringLiteral("SBO_Lab(3)"));
        bool lineScore = false;
        for (const Sent& s : f.sent())
            lineScore |= s.code == 9 && s.text.startsWith(QStringLiteral("[BYNAME][RHE+下三棒]"));
        QVERIFY(lineScore);
        QCOMPARE(f.get(QStringLiteral("List3"))[QStringLiteral("current")].toInt(), 11);
    }

    void previewsOnAirImageAndClear()
    {
        Graphics f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        f.writePreviews({{QStringLiteral("TempImageB.BMP"), QSize(720, 486)},
                         {QStringLiteral("TempImageA.BMP"), QSize(640, 480)}});
        QVERIFY(f.select(QStringLiteral("List3"), 7));
        // 720 × 486 fills the width of the box, 640 × 480 its height.
        QCOMPARE(f.image(QStringLiteral("Image2")), Graphics::size(240, 162));
        QCOMPARE(f.image(QStringLiteral("Picture2")), Graphics::size(720, 486));
        QVERIFY(f.select(QStringLiteral("List4"), 0));
        QCOMPARE(f.image(QStringLiteral("Image1")), Graphics::size(216, 162));
        QCOMPARE(f.image(QStringLiteral("Image3")), QJsonValue(QJsonValue::Null));

        QVERIFY(f.h.ok(f.act(QStringLiteral("Image2"), QStringLiteral("dblclick"))));
        QCOMPARE(f.image(QStringLiteral("Image3")), Graphics::size(288, 194));
        QVERIFY(f.sent().last().text.startsWith(QStringLiteral("[BYNAME][RHE][10][E]")));

        // The enlarged preview opens on a right-button press and closes on any press.
        QVERIFY(f.h.ok(f.act(QStringLiteral("Image1"), QStringLiteral("press"),
                             {{QStringLiteral("button"), QStringLiteral("right")}})));
        QVERIFY(f.h.get(QStringLiteral("mDisplay"),
                        QStringLiteral("mDisplay"))[QStringLiteral("visible")]
                    .toBool());
        QCOMPARE(f.image(QStringLiteral("Image1"), QStringLiteral("mDisplay")),
                 Graphics::size(648, 486));
        QVERIFY(f.h.ok(f.h.act(QStringLiteral("mDisplay"), QStringLiteral("Image1"),
                               QStringLiteral("press"))));
        QVERIFY(!f.h.get(QStringLiteral("mDisplay"),
                         QStringLiteral("mDisplay"))[QStringLiteral("visible")]
                     .toBool());

        // A preview the CG did not write is not shown: the file left from the
        // graphic before would be another graphic than play sends.
        f.h.net->onSend = nullptr;
        QVERIFY(f.select(QStringLiteral("List3"), 9));
        QCOMPARE(f.image(QStringLiteral("Image2")), QJsonValue(QJsonValue::Null));
        QCOMPARE(f.text(QStringLiteral("Image2")), QStringLiteral("沒有收到字幕機的預覽圖"));
        QVERIFY(f.enabled(QStringLiteral("Command5")));
        QFile::remove(f.folder() + QStringLiteral("TempImageB.BMP"));
        QVERIFY(f.select(QStringLiteral("List3"), 8));
        QCOMPARE(f.image(QStringLiteral("Image2")), QJsonValue(QJsonValue::Null));

        // F2 clears with the link down too, and empties the on-air image.
        f.h.net->connectedAnswer = 0;
        f.sent();
        QVERIFY(f.key(test::C, QStringLiteral("F2")));
        QCOMPARE(f.sent(), (QList<Sent>{Sent{0, QStringLiteral("-1")}}));
        QCOMPARE(f.image(QStringLiteral("Image3")), QJsonValue(QJsonValue::Null));
        // So does a double-click on either frame.
        QVERIFY(f.h.ok(f.act(QStringLiteral("Frame3"), QStringLiteral("dblclick"))));
        QCOMPARE(f.sent(), (QList<Sent>{Sent{0, QStringLiteral("-1")}}));
    }

    // A CG that takes 1.5 s over every command: the console goes on meanwhile
    // and stores what the operator does at once; the preview shows when the
    // reply comes; the commands go out in the order they were given, a play
    // after the load of its graphic.
    void aSlowCgNeverHoldsTheConsole_data() { test::TestDatabase::addEngineRows(); }
    void aSlowCgNeverHoldsTheConsole()
    {
        QFETCH(QString, engine);
        Graphics f(engine);
        QVERIFY(f.tdb.ok());
        f.writeStandardPreviews();
        f.sent();
        f.h.waitForCg = false;
        f.h.net->delayMs = 1500;
        QElapsedTimer t;
        t.start();
        QVERIFY(f.select(QStringLiteral("List3"), 6));
        QVERIFY(!f.enabled(QStringLiteral("Command5")));
        QVERIFY(f.press(QStringLiteral("SBO_Lab(1)")));
        QCOMPARE(f.row(QStringLiteral("SELECT S FROM SBO表")).value(QStringLiteral("S")),
                 QStringLiteral("1"));
        QVERIFY(f.play(QStringLiteral("一壘")));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("1")),
            QStringLiteral("一壘"));
        // Played while the graphic loads: it goes out after the load.
        QVERIFY(f.h.ok(f.act(QStringLiteral("Image2"), QStringLiteral("dblclick"))));
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(f.image(QStringLiteral("Image2")).isNull());

        QTRY_VERIFY_WITH_TIMEOUT(!f.image(QStringLiteral("Image2")).isNull(), 20000);
        QVERIFY(f.enabled(QStringLiteral("Command5")));
        QVERIFY(test::settled(f.h.cg, 20000));
        const QList<Sent> sent = f.sent();
        QList<qint32> codes;
        for (const Sent& s : sent)
            codes << s.code;
        // The cue, then its refreshes after the strike and the single, the play
        // after the load it follows.
        QCOMPARE(codes, (QList<qint32>{9, 24, 9, 24, 9, 24, 20}));
        QVERIFY(sent[0].text.contains(QStringLiteral("[S][0][0]")));
        QVERIFY(sent[2].text.contains(QStringLiteral("[S][0][1]")));
        QCOMPARE(sent[6].text,
                 QString(sent[4].text).replace(QStringLiteral("EFFECT"), QStringLiteral("[E]")));
    }
};

QTEST_MAIN(TstConsoleGraphics)
#include "tst_console_graphics.moc"
