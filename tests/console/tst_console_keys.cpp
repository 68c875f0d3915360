#include "ConsoleFixture.h"
#include "Cp950.h"

using namespace hp;

namespace {

struct Keys : test::ConsoleFixture {
    using ConsoleFixture::ConsoleFixture;

    // A key pressed on the console with modifiers, as a control surface sends it.
    bool hit(const QString& key, const QStringList& mods = {})
    {
        QJsonArray m;
        for (const QString& x : mods)
            m.append(x);
        return h.ok(act(test::C, QStringLiteral("key"),
                        {{QStringLiteral("key"), key}, {QStringLiteral("mods"), m}}));
    }
    QStringList sent()
    {
        QStringList out;
        for (const auto& c : h.net->sends())
            out << QString::number(c.code) + u' ' + cglink::fromCp950(c.text).section(u'\r', 0, 0);
        h.net->clearCalls();
        return out;
    }
};

} // namespace

class TstConsoleKeys : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void everyDefaultKeyDoesWhatItsClickDoes()
    {
        Keys f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        QVERIFY(f.hit(QStringLiteral("F5")));
        QVERIFY(f.hit(QStringLiteral("F5")));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("2"));
        QCOMPARE(f.text(QStringLiteral("BallG_txt")), QStringLiteral("2"));
        QVERIFY(f.hit(QStringLiteral("F5"), {QStringLiteral("shift")}));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("1"));
        QVERIFY(f.hit(QStringLiteral("F6")));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(2)")), QStringLiteral("1"));
        QVERIFY(f.hit(QStringLiteral("F6"), {QStringLiteral("shift")}));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(2)")), QStringLiteral("0"));
        QVERIFY(f.hit(QStringLiteral("F7")));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("1"));
        QVERIFY(f.hit(QStringLiteral("F7"), {QStringLiteral("shift")}));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("0"));
        for (int i = 1; i <= 3; ++i) {
            const QString base = QStringLiteral("Base_Check(%1)").arg(i);
            QVERIFY(f.hit(QString::number(i), {QStringLiteral("ctrl")}));
            QCOMPARE(f.get(base)[QStringLiteral("checked")].toInt(), 1);
            QVERIFY(f.hit(QString::number(i), {QStringLiteral("ctrl")}));
            QCOMPARE(f.get(base)[QStringLiteral("checked")].toInt(), 0);
        }
        f.sent();
        QVERIFY(f.hit(QStringLiteral("F3")));
        QCOMPARE(f.sent(), QStringList{QStringLiteral("20 [BYNAME][SBO][12][FO]")});
        QVERIFY(f.hit(QStringLiteral("F4"))); // the first batter's line, cued at the opening
        QCOMPARE(f.sent(), QStringList{QStringLiteral("20 [BYNAME][打者今日成績][19][E]")});
        // A disabled control's key does nothing: panel A has nothing, 換局 waits for the outs.
        QVERIFY(f.hit(QStringLiteral("F12")));
        QVERIFY(f.hit(QStringLiteral("F9")));
        QCOMPARE(f.sent(), QStringList{});
        QCOMPARE(f.text(QStringLiteral("Frame1")), QStringLiteral("1B"));
        QVERIFY(f.hit(QStringLiteral("F8")));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("2"));
        // The keys are in the tool-tips.
        QVERIFY(f.get(QStringLiteral("SBO_Lab(1)"))[QStringLiteral("tooltip")].toString().contains(
            QStringLiteral("F5")));
        QVERIFY(f.get(QStringLiteral("Command4"))[QStringLiteral("tooltip")].toString().contains(
            QStringLiteral("F8")));
        QVERIFY(f.h.messages().isEmpty());
    }

    void keyNamesAndModifiersWhateverTheirCase()
    {
        Keys f(QStringLiteral("sqlite"), false);
        QVERIFY(f.tdb.ok());
        {
            // As an operator types it into the file, spelt as docs/console.md spells it.
            QSettings file(f.h.settings.store.fileName(), QSettings::IniFormat);
            file.setValue(QStringLiteral("BaseBall/keys/nextBatter"), QStringLiteral("F10"));
            file.sync();
        }
        f.open();
        QVERIFY(f.h.messages().isEmpty());
        QVERIFY(f.hit(QStringLiteral("F10")));
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("2"));
        QVERIFY(f.hit(QStringLiteral("F8"))); // no longer the next batter's key
        QCOMPARE(f.text(QStringLiteral("SS_Lab")), QStringLiteral("2"));

        // Modifiers by name in any case; anything else is refused with
        // nothing done, never taken as no modifier.
        QVERIFY(f.hit(QStringLiteral("F5")));
        QVERIFY(f.hit(QStringLiteral("F5"), {QStringLiteral("Shift")}));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("0"));
        QVERIFY(f.press(QStringLiteral("SBO_Lab(2)")));
        for (const QJsonValue& mods :
             {QJsonValue(QStringLiteral("shift")), QJsonValue(QJsonArray{QStringLiteral("meta")}),
              QJsonValue(QJsonArray{1}), QJsonValue(QJsonObject{})}) {
            const QJsonObject key = f.act(
                test::C, QStringLiteral("key"),
                {{QStringLiteral("key"), QStringLiteral("F5")}, {QStringLiteral("mods"), mods}});
            QVERIFY(!f.h.ok(key));
            QVERIFY2(key[QStringLiteral("error")].toString().startsWith(
                         QStringLiteral("mods must be a list")),
                     qPrintable(key[QStringLiteral("error")].toString()));
            QVERIFY(!f.h.ok(f.act(QStringLiteral("SBO_Lab(2)"), QStringLiteral("press"),
                                  {{QStringLiteral("mods"), mods}})));
        }
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(2)")), QStringLiteral("1"));
        QVERIFY(f.h.ok(f.act(QStringLiteral("SBO_Lab(2)"), QStringLiteral("press"),
                             {{QStringLiteral("mods"), QJsonArray{QStringLiteral("CTRL")}}})));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(2)")), QStringLiteral("0"));
    }

    void theMapComesFromTheSettings()
    {
        Keys f(QStringLiteral("sqlite"), false);
        QVERIFY(f.tdb.ok());
        auto key = [&](const QString& name, const QString& value) {
            f.h.settings.store.write(QStringLiteral("BaseBall"), QStringLiteral("Keys"), name,
                                     value);
        };
        key(QStringLiteral("strike"), QStringLiteral("Nonsense+Q"));
        key(QStringLiteral("ball"), QStringLiteral("F2"));
        key(QStringLiteral("inGame7"), QStringLiteral("A"));
        key(QStringLiteral("outcome.一壘"), QStringLiteral("Alt+K"));
        key(QStringLiteral("out"), QStringLiteral("F3")); // takes SBO TAKE's default key
        key(QStringLiteral("nextBater"), QStringLiteral("F11"));
        f.open();
        const QStringList said = f.h.messages();
        QCOMPARE(said.size(), 1);
        QVERIFY(said[0].endsWith(QStringLiteral("/按鍵設定")));
        QVERIFY(said[0].contains(QStringLiteral("strike=Nonsense+Q")));
        QVERIFY(said[0].contains(QStringLiteral("ball=F2")));
        QVERIFY(said[0].contains(QStringLiteral("quickCount=F3")));
        QVERIFY(said[0].contains(QStringLiteral("nextbater: 沒有這個動作")));
        // Bad entries keep their defaults; F2 keeps clearing.
        QVERIFY(f.hit(QStringLiteral("F5")));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("1"));
        QVERIFY(f.hit(QStringLiteral("F6")));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(2)")), QStringLiteral("1"));
        f.sent();
        QVERIFY(f.hit(QStringLiteral("F2")));
        QCOMPARE(f.sent(), QStringList{QStringLiteral("0 -1")});
        QVERIFY(f.hit(QStringLiteral("F3")));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(3)")), QStringLiteral("1"));
        QCOMPARE(f.sent(), QStringList{});

        // A letter is the box's while one has the focus, a shortcut otherwise.
        QVERIFY(f.h.ok(f.act(QStringLiteral("StrikeS_txt"), QStringLiteral("focus"))));
        QVERIFY(f.h.ok(f.act(QStringLiteral("StrikeS_txt"), QStringLiteral("key"),
                             {{QStringLiteral("key"), QStringLiteral("A")}})));
        QCOMPARE(f.sent(), QStringList{});
        QVERIFY(f.h.ok(f.act(QStringLiteral("Command4"), QStringLiteral("focus"))));
        QVERIFY(f.h.ok(f.act(QStringLiteral("Command4"), QStringLiteral("key"),
                             {{QStringLiteral("key"), QStringLiteral("A")}})));
        QCOMPARE(f.sent().value(0), QStringLiteral("9 [BYNAME][SBO][10]EFFECT"));
        QCOMPARE(f.get(QStringLiteral("List3"))[QStringLiteral("current")].toInt(), 6);

        // An outcome's key shows its tab and records it.
        QVERIFY(f.hit(QStringLiteral("K"), {QStringLiteral("alt")}));
        QCOMPARE(f.text(QStringLiteral("TimesS_txt(1)")), QStringLiteral("一壘"));
    }
};

QTEST_MAIN(TstConsoleKeys)
#include "tst_console_keys.moc"
