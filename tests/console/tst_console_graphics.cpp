#include "GraphicsFixture.h"

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

        // The fielders of the first team: the designated hitter left out, the
        // position codes trimmed, the pitcher last.
        QVERIFY(f.select(QStringLiteral("List3"), 2));
        QStringList fielding{QStringLiteral("[BYNAME][守備][10]EFFECT"),
                             QStringLiteral("[TEAM][0][") + team1 + u']'};
        for (int i = 1; i <= 8; ++i)
            fielding << u'[' + positions[i - 1] + QStringLiteral("][0][") +
                            name(QStringLiteral("SF今日成績"), i) + u']';
        fielding << QStringLiteral("[P][0][") + pitcher1 + u']';
        out = f.sent();
        QCOMPARE(out.size(), 2);
        QCOMPARE(out[0], (Sent{9, lines(fielding)}));
        QCOMPARE(out[1],
                 (Sent{24, f.preview(QStringLiteral("守備"), QStringLiteral("TempImageB.BMP"))}));
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

    void nextBattersAndTheListToolTip_data() { test::TestDatabase::addEngineRows(); }
    void nextBattersAndTheListToolTip()
    {
        QFETCH(QString, engine);
        Graphics f(engine);
        QVERIFY(f.tdb.ok());
        auto d = f.tdb.open();
        const db::Rows rows = d->query(QStringLiteral("SELECT * FROM 下三棒 ORDER BY Seq")).value();
        QCOMPARE(rows.size(), 3);
        QString tip = rows[0].value(QStringLiteral("隊名")) + QStringLiteral("\r\n");
        for (const db::Row& r : rows)
            tip += r.value(QStringLiteral("棒次")) + r.value(QStringLiteral("姓名")) +
                   QStringLiteral("/\r\n");
        f.sent();
        QVERIFY(f.select(QStringLiteral("List3"), 8));
        QCOMPARE(f.get(QStringLiteral("List3"))[QStringLiteral("tooltip")].toString(), QString());
        const QString nine = f.sent().value(0).text;
        QVERIFY(nine.contains(QStringLiteral("[T11][0][") + rows[0].value(QStringLiteral("棒次")) +
                              QStringLiteral("]\r\n[T12][0][") +
                              rows[0].value(QStringLiteral("姓名")) +
                              QStringLiteral("]\r\n[T13][0][0-0]\r\n")));
        QVERIFY(f.select(QStringLiteral("List3"), 11));
        QCOMPARE(f.get(QStringLiteral("List3"))[QStringLiteral("tooltip")].toString(), tip);

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
};

QTEST_MAIN(TstConsoleGraphics)
#include "tst_console_graphics.moc"
