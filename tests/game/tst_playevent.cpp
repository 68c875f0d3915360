#include "PlayEvent.h"

#include <QtTest>

using namespace hp::game;

namespace {

PlayState atBat()
{
    PlayState s;
    s.round = 2;
    s.battingTeam = QStringLiteral("海鷗");
    s.slot = 3;
    s.batterNumber = QStringLiteral("7");
    s.batterName = QStringLiteral("何正雄");
    s.pitcherNumber = QStringLiteral("18");
    s.pitcherName = QStringLiteral("林大山");
    s.batterCounters = {{QStringLiteral("打數"), QStringLiteral("1")},
                        {QStringLiteral("安打"), QStringLiteral("0")},
                        {QStringLiteral("全壘打"), QStringLiteral("0")},
                        {QStringLiteral("打點"), QStringLiteral("0")}};
    s.pitcherCounters = {{QStringLiteral("局數"), QStringLiteral("4")},
                         {QStringLiteral("好球"), QStringLiteral("10")},
                         {QStringLiteral("失分"), QStringLiteral("1")},
                         {QStringLiteral("自責分"), QStringLiteral("1")}};
    for (auto& row : s.lineScore)
        for (auto& cell : row)
            cell = QStringLiteral("0");
    return s;
}

void setCounter(QList<std::pair<QString, QString>>& counters, const QString& caption,
                const QString& value)
{
    for (auto& c : counters)
        if (c.first == caption)
            c.second = value;
}

QStringList kinds(const QList<PlayEvent>& events)
{
    QStringList out;
    for (const PlayEvent& e : events)
        out << e.kind + u'|' + e.detail + u'|' + e.before + u'|' + e.after;
    return out;
}

} // namespace

class TstPlayEvent : public QObject {
    Q_OBJECT
private slots:
    void pitchesAreToldApart()
    {
        PlayState a = atBat();
        PlayState b = a;
        b.strikes = 1;
        setCounter(b.pitcherCounters, QStringLiteral("好球"), QStringLiteral("11"));
        QCOMPARE(kinds(describeAction(a, a, b)), QStringList{QStringLiteral("好球|||")});

        // Two strikes: a strike more for the pitcher, the count stays.
        a.strikes = b.strikes = 2;
        QCOMPARE(kinds(describeAction(a, a, b)), QStringList{QStringLiteral("界外|||")});

        b = a;
        b.balls = 1;
        QCOMPARE(kinds(describeAction(a, a, b)), QStringList{QStringLiteral("壞球|||")});

        // Ctrl-click takes one back, named by its label.
        b = a;
        b.strikes = 1;
        QCOMPARE(kinds(describeAction(a, a, b)), QStringList{QStringLiteral("收回|好球|2|1")});
        b = a;
        b.outs = 1;
        QCOMPARE(kinds(describeAction(a, a, b)), QStringList{QStringLiteral("出局|||")});
    }

    void anOutcomeAndItsUndoNameTheCaptionAndTheBox()
    {
        PlayState a = atBat();
        a.balls = 1;
        a.strikes = 2;
        a.boxes[0] = QStringLiteral("三振");
        PlayState b = a;
        b.boxes[1] = QStringLiteral("一壘");
        b.balls = b.strikes = 0;
        b.bases = {true, false, false};
        b.lineScore[0][13] = QStringLiteral("1"); // the team's hits move with it
        const QList<PlayEvent> rows = describeAction(a, a, b);
        QCOMPARE(kinds(rows), QStringList{QStringLiteral("結果|一壘|1-2|")});
        QCOMPARE(rows[0].box, 2);
        QCOMPARE(historyText(rows[0]), QStringLiteral("2局上 何正雄 一壘 (1-2) 0出局 一壘有人"));

        const QList<PlayEvent> undone = describeAction(b, b, a);
        QCOMPARE(kinds(undone), QStringList{QStringLiteral("取消|一壘||")});
        QCOMPARE(undone[0].box, 2);
    }

    void changesOfPlayersAndHalvesComeFirst()
    {
        const PlayState a = atBat();
        PlayState b = a;
        b.half = true;
        b.slot = 1;
        b.strikes = 0;
        QCOMPARE(kinds(describeAction(a, a, b)), QStringList{QStringLiteral("換局||2局上|2局下")});
        b = a;
        b.pitcherNumber = QStringLiteral("21");
        b.pitcherName = QStringLiteral("周明");
        QCOMPARE(kinds(describeAction(a, a, b)),
                 QStringList{QStringLiteral("換投||18:林大山|21:周明")});
        b = a;
        b.batterNumber = QStringLiteral("30");
        b.batterName = QStringLiteral("代打者");
        QCOMPARE(kinds(describeAction(a, a, b)),
                 QStringList{QStringLiteral("換人||7:何正雄|30:代打者")});
        b = a;
        b.slot = 4;
        b.batterName = QStringLiteral("下一位");
        QCOMPARE(kinds(describeAction(a, a, b)), QStringList{QStringLiteral("下一棒||3|4")});
    }

    void runnersAndTheLineScoreCompareWithTheLastRow()
    {
        // A tick or a cell changes before the action that stores it begins.
        const PlayState logged = atBat();
        PlayState now = logged;
        now.bases = {true, false, true};
        QCOMPARE(kinds(describeAction(logged, now, now)),
                 QStringList{QStringLiteral("跑者||壘上無人|一、三壘有人")});
        now = logged;
        now.lineScore[1][2] = QStringLiteral("2");
        now.lineScore[1][12] = QStringLiteral("2");
        QCOMPARE(kinds(describeAction(logged, now, now)),
                 QStringList{QStringLiteral("比分|後攻 3局、後攻 R|0、0|2、2")});
        QCOMPARE(kinds(describeAction(logged, logged, logged)), QStringList{});
    }

    void handEditsGoAheadOfTheActionThatStoresThem()
    {
        const PlayState logged = atBat();
        PlayState start = logged;
        setCounter(start.batterCounters, QStringLiteral("打點"), QStringLiteral("2"));
        PlayState end = start;
        end.strikes = 1;
        QCOMPARE(kinds(describeAction(logged, start, end)),
                 (QStringList{QStringLiteral("修改|打點|0|2"), QStringLiteral("好球|||")}));
        // Another batter's figures are no edit.
        start.batterName = QStringLiteral("別人");
        QCOMPARE(kinds(describeAction(logged, logged, start)),
                 QStringList{QStringLiteral("換人||7:何正雄|7:別人")});
    }

    void typedFiguresThatCannotStandAreNamed()
    {
        const PlayState stored = atBat();
        PlayState typed = stored;
        QVERIFY(typedFigureRefusals(stored, typed).isEmpty());
        for (const QString& bad :
             {QStringLiteral("-1"), QStringLiteral("1.5"), QStringLiteral("abc"), QString()}) {
            typed = stored;
            setCounter(typed.batterCounters, QStringLiteral("打數"), bad);
            const auto refused = typedFigureRefusals(stored, typed);
            QCOMPARE(refused.size(), 1);
            QCOMPARE(refused[0].caption, QStringLiteral("打數"));
            QVERIFY(!refused[0].pitcher);
        }
        typed = stored;
        setCounter(typed.batterCounters, QStringLiteral("安打"), QStringLiteral("2"));
        auto refused = typedFigureRefusals(stored, typed);
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused[0].why, QStringLiteral("「安打」不能大於「打數」"));
        // Lowering the whole below the part is refused in the same words.
        typed = stored;
        setCounter(typed.pitcherCounters, QStringLiteral("失分"), QStringLiteral("0"));
        refused = typedFigureRefusals(stored, typed);
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused[0].caption, QStringLiteral("失分"));
        QVERIFY(refused[0].pitcher);
        // A figure not typed is not judged, whatever it holds.
        PlayState odd = stored;
        setCounter(odd.batterCounters, QStringLiteral("打點"), QStringLiteral("x"));
        QVERIFY(typedFigureRefusals(odd, odd).isEmpty());
    }

    void aRowReadsBackAsWritten()
    {
        PlayEvent e;
        e.at = QDateTime(QDate(2026, 12, 9), QTime(19, 5, 0));
        e.state = atBat();
        e.state.half = true;
        e.state.bases = {false, true, true};
        e.state.lineScore[0][12] = QStringLiteral("3");
        e.state.lineScore[1][12] = QStringLiteral("4");
        e.kind = play::kOutcome;
        e.detail = QStringLiteral("全壘");
        e.before = QStringLiteral("0-1");
        e.box = 2;
        const QStringList columns = playLogColumns();
        const QVariantList values = playLogValues(e);
        QCOMPARE(values.size(), columns.size() - 1);
        const PlayEvent back = playEventFromRow([&](const QString& c) {
            const qsizetype i = columns.indexOf(c);
            return i == 0 ? QStringLiteral("12") : values.value(i - 1).toString();
        });
        QCOMPARE(back.seq, 12);
        QCOMPARE(back.at, e.at);
        QCOMPARE(historyText(back), historyText(e));
        QCOMPARE(back.box, 2);
        QCOMPARE(back.state.runs(2), QStringLiteral("4"));
        QCOMPARE(runnersText({true, true, true}), QStringLiteral("滿壘"));
    }
};

QTEST_APPLESS_MAIN(TstPlayEvent)
#include "tst_playevent.moc"
