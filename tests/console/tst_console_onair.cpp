#include "GraphicsFixture.h"

#include <QApplication>

using namespace hp;
using test::Graphics;
using test::Sent;

namespace {

// The console on the demo game with a CG stand-in that writes every preview.
struct OnAir : Graphics {
    explicit OnAir(const QString& engine = QStringLiteral("sqlite"))
        : Graphics(engine, false)
    {
        writeStandardPreviews();
        open();
        sent();
        h.messages();
    }
    QStringList tally()
    {
        return text(QStringLiteral("OnAir_Lab")).split(u'\n', Qt::SkipEmptyParts);
    }
    bool play(const QString& list, int index, const QString& button)
    {
        return select(list, index) && click(button);
    }
    void cutOnLayer(int panelCut, int layer)
    {
        const QString n = QString::number(panelCut);
        check(QStringLiteral("FastCheck") + n, 1);
        check(QStringLiteral("Option") + n + u'(' + QString::number(layer - 1) + u')', 1);
    }
    QList<Sent> sentWithCode(qint32 code)
    {
        QList<Sent> out;
        for (const Sent& s : sent())
            if (s.code == code)
                out << s;
        return out;
    }
    // The quick count as it goes on air with the count the console shows.
    QString quickCount(const QString& strikes, const QString& balls, const QString& outs)
    {
        return test::lines(
            {QStringLiteral("[BYNAME][SBO][12][FO]"), QStringLiteral("[ROUND][0][1]"),
             QStringLiteral("[R1][0][0]"), QStringLiteral("[R2][0][0]"),
             QStringLiteral("[S][0][") + strikes + u']', QStringLiteral("[B][0][") + balls + u']',
             QStringLiteral("[O][0][") + outs + u']', QStringLiteral("[1B][0][\u3000]"),
             QStringLiteral("[2B][0][\u3000]"), QStringLiteral("[3B][0][\u3000]"),
             QStringLiteral("[HALF][0][▲]")});
    }
    bool outcome(const QString& button, int tab)
    {
        act(QStringLiteral("SSTab3"), QStringLiteral("select"), {{QStringLiteral("index"), tab}});
        return click(button);
    }
    QJsonObject events() { return h.request({{QStringLiteral("op"), QStringLiteral("events")}}); }
};

QWidget* console()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == test::C && w->isVisible())
            return w;
    return nullptr;
}

} // namespace

class TstConsoleOnAir : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void theTallyKeepsWhatIsOnEachLayer()
    {
        OnAir f;
        QVERIFY(f.tdb.ok());
        // Before anything is played the console cannot know what the CG shows.
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("連線後播出狀態不明")}));

        f.cutOnLayer(2, 2);
        QVERIFY(f.play(QStringLiteral("List3"), 4, QStringLiteral("Command5")));
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("第二層 5.打者今日成績 19:00:00")}));
        QCOMPARE(f.image(QStringLiteral("Image3")), Graphics::size(288, 194));

        f.h.clock.set(QDateTime(QDate(2026, 12, 8), QTime(21, 3, 7)));
        f.cutOnLayer(1, 1);
        QVERIFY(f.play(QStringLiteral("List4"), 3, QStringLiteral("Command6")));
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("第一層 主播 21:03:07"),
                                         QStringLiteral("第二層 5.打者今日成績 19:00:00")}));
        // The same page played on the other layer leaves the first.
        f.check(QStringLiteral("Option2(0)"), 1);
        QVERIFY(f.click(QStringLiteral("Command5")));
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("第一層 5.打者今日成績 21:03:07")}));

        // F2 empties the program, the tally and the on-air image.
        QVERIFY(f.key(test::C, QStringLiteral("F2")));
        QCOMPARE(f.tally(), QStringList());
        QCOMPARE(f.image(QStringLiteral("Image3")), QJsonValue(QJsonValue::Null));

        // A connection made again: what the CG kept is not known until the
        // next play or clear.
        QVERIFY(f.click(QStringLiteral("Command5")));
        f.h.answer(QStringLiteral("input"), QStringLiteral("127.0.0.1"));
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mQPXServer"))));
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("連線後播出狀態不明"),
                                         QStringLiteral("第一層 5.打者今日成績 21:03:07 ?")}));
        QVERIFY(f.click(QStringLiteral("Command5")));
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("第一層 5.打者今日成績 21:03:07")}));
    }

    void escapeTakesOffWhatWasPlayedLast()
    {
        OnAir f;
        QVERIFY(f.tdb.ok());
        QVERIFY(f.play(QStringLiteral("List3"), 6, QStringLiteral("Command5"))); // layer 1
        // Another graphic cued, not played: Escape still takes off the count box.
        QVERIFY(f.select(QStringLiteral("List3"), 4));
        f.sent();
        QVERIFY(f.key(test::C, QStringLiteral("Escape")));
        QCOMPARE(f.sent(), (QList<Sent>{{5, QStringLiteral("[BYNAME][7.SBO表]")}}));
        QCOMPARE(f.image(QStringLiteral("Image3")), QJsonValue(QJsonValue::Null));
        QCOMPARE(f.tally(), QStringList());
        QVERIFY(f.key(test::C, QStringLiteral("Escape")));
        QCOMPARE(f.sent(), (QList<Sent>{}));

        // Two layers: Escape takes off the later; the on-air image goes back
        // to the one still on air.
        f.cutOnLayer(2, 2);
        QVERIFY(f.click(QStringLiteral("Command5"))); // 5.打者今日成績 on layer 2
        QVERIFY(
            f.play(QStringLiteral("List4"), 1, QStringLiteral("Command6"))); // 場地資料, layer 1
        f.sent();
        QVERIFY(f.key(test::C, QStringLiteral("Escape")));
        QCOMPARE(f.sent(), (QList<Sent>{{5, QStringLiteral("[BYNAME][場地資料]")}}));
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("第二層 5.打者今日成績 19:00:00")}));
        QCOMPARE(f.image(QStringLiteral("Image3")), Graphics::size(288, 194));
    }

    // The link goes while the console plays: a play that did not reach the
    // CG is not on air, and a quick count whose ping passed but whose
    // command found the link gone is refused and not tallied.
    void whatNeverReachedTheCgIsNotOnAir()
    {
        OnAir f;
        QVERIFY(f.tdb.ok());
        QVERIFY(f.play(QStringLiteral("List3"), 6, QStringLiteral("Command5")));
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("第一層 7.SBO表 19:00:00")}));

        f.h.net->dropSends = true;
        f.h.clock.set(QDateTime(QDate(2026, 12, 8), QTime(19, 1, 0)));
        QVERIFY(f.click(QStringLiteral("Command5")));
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("連線後播出狀態不明")}));
        QCOMPARE(f.h.panels(test::C).value(0), QStringLiteral("字幕機斷線於19:01:00"));
        QCOMPARE(f.h.messages(), QStringList());

        // Connected again, the ping passes; the command does not.
        f.h.answer(QStringLiteral("input"), QStringLiteral("127.0.0.1"));
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mQPXServer"))));
        QVERIFY(f.click(QStringLiteral("SBO_Cmd")));
        QCOMPARE(f.h.messages(),
                 QStringList{QStringLiteral("請檢查字幕機連線,或重新取得字幕機連線/字幕機斷線")});
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("連線後播出狀態不明")}));
        QCOMPARE(f.h.panels(test::C).value(0), QStringLiteral("字幕機斷線於19:01:00"));
        // Nor does a list graphic: refused the same way, and the panel plays
        // what it had.
        f.h.answer(QStringLiteral("input"), QStringLiteral("127.0.0.1"));
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mQPXServer"))));
        QVERIFY(f.select(QStringLiteral("List3"), 4));
        QCOMPARE(f.h.messages().size(), 1);
        QVERIFY(f.enabled(QStringLiteral("Command5")));
        f.h.net->dropSends = false;
        f.h.answer(QStringLiteral("input"), QStringLiteral("127.0.0.1"));
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mQPXServer"))));
        f.sent();
        QVERIFY(f.click(QStringLiteral("Command5")));
        QVERIFY(f.sent().value(0).text.startsWith(QStringLiteral("[BYNAME][SBO][10][E]")));
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("第一層 7.SBO表 19:01:00")}));
    }

    void aPinchHitterReachesTheCuedBatterPage_data() { test::TestDatabase::addEngineRows(); }
    void aPinchHitterReachesTheCuedBatterPage()
    {
        QFETCH(QString, engine);
        OnAir f(engine);
        QVERIFY(f.tdb.ok());
        // The opening cued item 5 and left it selected.
        QCOMPARE(f.get(QStringLiteral("List3"))[QStringLiteral("current")].toInt(), 4);
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        const QString entry = f.items(QStringLiteral("BackupS_Combo")).value(0);
        QVERIFY(!entry.isEmpty());
        f.sent();
        const int before = f.written;
        // A click on the entry takes it.
        QVERIFY(f.h.ok(f.act(QStringLiteral("BackupS_Combo"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 0}})));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), test::ConsoleFixture::nameOf(entry));
        const QList<Sent> loads = f.sentWithCode(cglink::kLoadFields);
        QCOMPARE(loads.size(), 1);
        QVERIFY(loads[0].text.startsWith(QStringLiteral("[BYNAME][打者今日成績][19]EFFECT\r\n")));
        QVERIFY(loads[0].text.contains(QStringLiteral("[NAMES][0][") +
                                       test::ConsoleFixture::nameOf(entry) + u']'));
        // Previewed again, and play sends the new batter.
        QCOMPARE(f.written, before + 1);
        QVERIFY(f.click(QStringLiteral("Command5")));
        QVERIFY(f.sent().value(0).text.contains(test::ConsoleFixture::nameOf(entry)));
    }

    void preparedGraphicsFollowTheConsole()
    {
        OnAir f;
        QVERIFY(f.tdb.ok());
        QVERIFY(f.select(QStringLiteral("List3"), 6)); // 7.SBO表 on panel B
        QVERIFY(f.select(QStringLiteral("List4"), 9)); // 打者累計成績 on panel A
        f.sent();
        const QString batter = f.text(QStringLiteral("NameS_Lab"));

        // A ball: the count box is loaded and previewed again; the batter's
        // cumulative line did not change and is not sent; nothing is played
        // and the selection stays where the operator left it.
        QVERIFY(f.key(test::C, QStringLiteral("F6")));
        QList<Sent> out = f.sent();
        QCOMPARE(out.size(), 2);
        QCOMPARE(out[0].code, 9);
        QVERIFY(out[0].text.startsWith(QStringLiteral("[BYNAME][SBO][10]EFFECT\r\n")));
        QVERIFY(out[0].text.contains(QStringLiteral("[B][0][1]")));
        QCOMPARE(out[1],
                 (Sent{24, f.preview(QStringLiteral("SBO"), QStringLiteral("TempImageB.BMP"))}));
        QCOMPARE(f.get(QStringLiteral("List3"))[QStringLiteral("current")].toInt(), 6);
        QCOMPARE(f.get(QStringLiteral("List4"))[QStringLiteral("current")].toInt(), 9);
        QVERIFY(f.enabled(QStringLiteral("Command5")));

        // A runner, the same; ticking a ticked box changes nothing and sends nothing.
        QVERIFY(f.check(QStringLiteral("Base_Check(1)"), 1));
        out = f.sent();
        QCOMPARE(out.size(), 2);
        QVERIFY(out[0].text.contains(QStringLiteral("[1B][0][◆]")));
        QVERIFY(f.check(QStringLiteral("Base_Check(1)"), 1));
        out = f.sent();
        QCOMPARE(out, (QList<Sent>{}));

        // An outcome: the batter's cumulative line on panel A follows (sent
        // again only because its text changed).
        QVERIFY(f.outcome(QStringLiteral("Command1(2)"), 0)); // 一壘
        bool cumulative = false;
        for (const Sent& s : f.sent())
            cumulative |=
                s.code == 9 && s.text.startsWith(QStringLiteral("[BYNAME][打者成績累計]"));
        QVERIFY(cumulative);

        // The next batter: item 5 on panel B, panel A re-cued on the new batter.
        QVERIFY(f.click(QStringLiteral("Command4")));
        QVERIFY(f.text(QStringLiteral("NameS_Lab")) != batter);
        out = f.sentWithCode(9);
        QCOMPARE(out.size(), 2);
        // Panel A follows the change as the action ends, item 5 is cued once
        // the change is stored: each once, in either order.
        if (out[0].text.startsWith(QStringLiteral("[BYNAME][打者成績累計]")))
            std::swap(out[0], out[1]);
        QVERIFY(out[0].text.startsWith(QStringLiteral("[BYNAME][打者今日成績]")));
        QVERIFY(out[1].text.startsWith(QStringLiteral("[BYNAME][打者成績累計]")));
        QVERIFY(out[1].text.contains(f.text(QStringLiteral("NameS_Lab"))));

        // An earned run stepped by hand: the pitcher's line follows its ERA.
        QVERIFY(f.select(QStringLiteral("List3"), 5));
        f.sent();
        const QString era = f.text(QStringLiteral("Era_Lab"));
        QVERIFY(f.press(QStringLiteral("LostMe_txt")));
        QVERIFY(f.text(QStringLiteral("Era_Lab")) != era);
        out = f.sentWithCode(9);
        QCOMPARE(out.size(), 1);
        QVERIFY(out[0].text.contains(QStringLiteral("[ERAP][0][") +
                                     f.text(QStringLiteral("Era_Lab")) + u']'));
    }

    void aCueThatCannotBeMadeDisarmsItsPanel()
    {
        OnAir f;
        QVERIFY(f.tdb.ok());
        QVERIFY(f.select(QStringLiteral("List3"), 8)); // 9.下三棒
        QVERIFY(f.enabled(QStringLiteral("Command5")));
        QCOMPARE(f.image(QStringLiteral("Image2")), Graphics::size(240, 162));
        // The table loses a row: the next change of the console finds the
        // graphic cannot be made; play is off, the panel says why, no box.
        f.exec(QStringLiteral("DELETE FROM 下三棒 WHERE Seq=3"));
        f.sent();
        QVERIFY(f.press(QStringLiteral("SBO_Lab(2)")));
        QCOMPARE(f.sentWithCode(9), QList<Sent>{});
        QVERIFY(!f.enabled(QStringLiteral("Command5")));
        QCOMPARE(f.image(QStringLiteral("Image2")), QJsonValue(QJsonValue::Null));
        QVERIFY(!f.text(QStringLiteral("Image2")).isEmpty());
        QCOMPARE(f.h.messages(), QStringList());
        QVERIFY(f.h.ok(f.act(QStringLiteral("Image2"), QStringLiteral("dblclick"))));
        QCOMPARE(f.sent(), (QList<Sent>{}));

        // With the CG link down a cue stays as it was (previewed as it
        // plays); a refresh that cannot reach the CG disarms the panel.
        QVERIFY(f.select(QStringLiteral("List3"), 6));
        f.h.net->connectedAnswer = 0;
        QVERIFY(f.select(QStringLiteral("List3"), 7));
        QCOMPARE(f.h.messages().size(), 1);
        QVERIFY(f.enabled(QStringLiteral("Command5")));
        QVERIFY(f.press(QStringLiteral("SBO_Lab(2)")));
        QVERIFY(!f.enabled(QStringLiteral("Command5")));
        QCOMPARE(f.text(QStringLiteral("Image2")),
                 QStringLiteral("請檢查字幕機連線,或重新取得字幕機連線"));
    }

    void theQuickCountFollowsTheCountWhileOnAir()
    {
        OnAir f;
        QVERIFY(f.tdb.ok());
        QVERIFY(f.click(QStringLiteral("SBO_Cmd")));
        QCOMPARE(f.sent(), (QList<Sent>{{20, f.quickCount(QStringLiteral("0"), QStringLiteral("0"),
                                                          QStringLiteral("0"))}}));
        QCOMPARE(f.tally(), (QStringList{QStringLiteral("第一層 SBO 19:00:00 即時")}));
        QVERIFY(!f.text(QStringLiteral("Image3")).isEmpty());

        // F6: one send with the new count at the end of the click.
        QVERIFY(f.key(test::C, QStringLiteral("F6")));
        QCOMPARE(f.sent(), (QList<Sent>{{20, f.quickCount(QStringLiteral("0"), QStringLiteral("1"),
                                                          QStringLiteral("0"))}}));
        // A strike-out changes strikes, balls and outs in one action: one send.
        QVERIFY(f.key(test::C, QStringLiteral("F5")));
        QVERIFY(f.key(test::C, QStringLiteral("F5")));
        f.sent();
        QVERIFY(f.outcome(QStringLiteral("Command2(0)"), 1)); // 三振
        QCOMPARE(f.sentWithCode(20),
                 (QList<Sent>{{20, f.quickCount(QStringLiteral("0"), QStringLiteral("0"),
                                                QStringLiteral("1"))}}));

        // Another page faded in on its layer: the quick count has left the air.
        QVERIFY(f.play(QStringLiteral("List3"), 4, QStringLiteral("Command5")));
        f.sent();
        QVERIFY(f.key(test::C, QStringLiteral("F6")));
        QCOMPARE(f.sentWithCode(20), QList<Sent>{});

        // Escape while it is the graphic played last takes it off by its page.
        QVERIFY(f.click(QStringLiteral("SBO_Cmd")));
        f.sent();
        QVERIFY(f.key(test::C, QStringLiteral("Escape")));
        QCOMPARE(f.sent(), (QList<Sent>{{5, QStringLiteral("[BYNAME][SBO]")}}));
        QVERIFY(f.key(test::C, QStringLiteral("F6")));
        QCOMPARE(f.sentWithCode(20), QList<Sent>{});

        // F2 ends it as well.
        QVERIFY(f.click(QStringLiteral("SBO_Cmd")));
        QVERIFY(f.key(test::C, QStringLiteral("F2")));
        f.sent();
        QVERIFY(f.key(test::C, QStringLiteral("F6")));
        QCOMPARE(f.sentWithCode(20), QList<Sent>{});

        // After a reconnect it is not put back on air on a guess.
        QVERIFY(f.click(QStringLiteral("SBO_Cmd")));
        f.h.answer(QStringLiteral("input"), QStringLiteral("127.0.0.1"));
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mQPXServer"))));
        f.sent();
        QVERIFY(f.key(test::C, QStringLiteral("F6")));
        QCOMPARE(f.sentWithCode(20), QList<Sent>{});
    }

    void destructiveActionsAskFirst()
    {
        OnAir f;
        QVERIFY(f.tdb.ok());
        f.h.settings.store.set(QStringLiteral("Round"), QStringLiteral("3"));
        f.events();
        // Delsetting names the keys it clears; no (or no answer) keeps them.
        QVERIFY(f.click(QStringLiteral("Command3")));
        const QJsonArray asked = f.events()[QStringLiteral("events")].toArray();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0][QStringLiteral("request")].toString(), QStringLiteral("confirm"));
        const QString question = asked[0][QStringLiteral("text")].toString();
        for (const char* key : {"Round", "Half", "StrikeSF", "StrikeSL", "StrikeNow"})
            QVERIFY2(question.contains(QString::fromLatin1(key)), key);
        QCOMPARE(f.h.settings.store.get(QStringLiteral("Round")), QStringLiteral("3"));
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("no"));
        QVERIFY(f.click(QStringLiteral("Command3")));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("Round")), QStringLiteral("3"));
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        QVERIFY(f.click(QStringLiteral("Command3")));
        QCOMPARE(f.h.settings.store.get(QStringLiteral("Round"), QStringLiteral("gone")),
                 QStringLiteral("gone"));

        // Closing with a game loaded asks; no keeps the console open.
        QWidget* window = console();
        QVERIFY(window);
        f.events();
        QVERIFY(!window->close());
        const QJsonArray closing = f.events()[QStringLiteral("events")].toArray();
        QCOMPARE(closing.size(), 1);
        QCOMPARE(closing[0][QStringLiteral("text")].toString(),
                 QStringLiteral("比賽進行中,確定關閉?"));
        QVERIFY(console());
        f.h.answer(QStringLiteral("confirm"), QStringLiteral("yes"));
        QVERIFY(window->close());
    }
};

QTEST_MAIN(TstConsoleOnAir)
#include "tst_console_onair.moc"
