#include "BoxScore.h"
#include "ConsoleFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QXmlStreamReader>

using namespace hp;

namespace {

// A game with a substitution and a pitcher change, played through the console.
struct Game : test::ConsoleFixture {
    using ConsoleFixture::ConsoleFixture;
    QString replaced; // the third batter, who leaves for a pinch hitter

    bool outcome(const QString& button, int tab)
    {
        act(QStringLiteral("SSTab3"), QStringLiteral("select"), {{QStringLiteral("index"), tab}});
        return click(button);
    }
    void play()
    {
        QVERIFY(outcome(QStringLiteral("Command1(2)"), 0)); // 一壘 for the first batter
        QVERIFY(click(QStringLiteral("Command4")));
        for (int i = 0; i < 2; ++i)
            QVERIFY(press(QStringLiteral("SBO_Lab(3)"))); // two outs
        // The starter goes for the first reliever.
        QVERIFY(h.ok(act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"))));
        QVERIFY(h.ok(act(QStringLiteral("BackupP_Combo"), QStringLiteral("select"),
                         {{QStringLiteral("index"), 0}})));
        QVERIFY(h.ok(act(QStringLiteral("Base_Check(1)"), QStringLiteral("check"),
                         {{QStringLiteral("value"), 1}})));
        QVERIFY(outcome(QStringLiteral("Command1(5)"), 0)); // 全壘 with a runner on first
        QVERIFY(click(QStringLiteral("Command4")));
        // A pinch hitter for the third batter, out on a fly.
        replaced = text(QStringLiteral("NameS_Lab"));
        QVERIFY(press(QStringLiteral("NameS_Lab")));
        QVERIFY(h.ok(act(QStringLiteral("BackupS_Combo"), QStringLiteral("select"),
                         {{QStringLiteral("index"), 0}})));
        QVERIFY(outcome(QStringLiteral("Command2(4)"), 1));
    }
};

QString xmlError(const QString& page)
{
    QXmlStreamReader xml(page);
    while (!xml.atEnd())
        xml.readNext();
    return xml.hasError()
               ? xml.errorString() + QStringLiteral(" at line ") + QString::number(xml.lineNumber())
               : QString();
}

} // namespace

class TstBoxScore : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void theBoxScoreOfAPlayedGame_data() { test::TestDatabase::addEngineRows(); }
    void theBoxScoreOfAPlayedGame()
    {
        QFETCH(QString, engine);
        Game f(engine);
        QVERIFY(f.tdb.ok());
        const QString starter = f.text(QStringLiteral("NameP_Lab"));
        f.play();
        if (QTest::currentTestFailed())
            return;

        const auto box = report::readBoxScore(*f.tdb.open(), QDate(2026, 12, 8));
        QVERIFY2(box, qPrintable(box.error()));
        const report::TeamBox& first = box->first;
        QCOMPARE(first.name, f.text(QStringLiteral("Team_Lab(1)")));
        QCOMPARE(first.runs, f.text(QStringLiteral("RHE1_txt(1)")));
        QCOMPARE(first.runs, QStringLiteral("2"));
        QCOMPARE(first.hits, QStringLiteral("2"));
        QCOMPARE(first.innings[0], f.text(QStringLiteral("Score1_txt(1)")));
        QCOMPARE(box->innings(), 9);
        // Ten lines: the nine of the order and the batter who left, at his slot.
        QCOMPARE(first.batting.size(), 10);
        QCOMPARE(first.batting[2].slot, QStringLiteral("3"));
        QVERIFY(first.batting[2].leftGame);
        QCOMPARE(first.batting[2].name, f.replaced);
        QCOMPARE(first.batting[3].slot, QStringLiteral("3"));
        QCOMPARE(first.batting[3].name, f.text(QStringLiteral("NameS_Lab")));
        QCOMPARE(first.batting[3].results[0], QStringLiteral("外飛"));
        QCOMPARE(first.batting[1].results[0], QStringLiteral("全壘"));
        QCOMPARE(first.batting[1].rbis, QStringLiteral("2"));
        for (int i = 0; i < 10; ++i)
            QVERIFY(first.batting[i].slot.toInt() <= first.batting[qMin(i + 1, 9)].slot.toInt());
        // The fielding team's pitchers in order of appearance: the starter with
        // two outs (0.2), the reliever with the home run against him.
        const report::TeamBox& second = box->second;
        QCOMPARE(second.pitching.size(), 2);
        QCOMPARE(second.pitching[0].name, starter);
        QVERIFY(second.pitching[0].leftGame);
        QCOMPARE(report::boxScoreInnings(second.pitching[0].thirds), QStringLiteral("0.2"));
        QCOMPARE(second.pitching[0].hits, QStringLiteral("1"));
        QCOMPARE(second.pitching[1].name, f.text(QStringLiteral("NameP_Lab")));
        QCOMPARE(second.pitching[1].homeRuns, QStringLiteral("1"));
        QCOMPARE(second.pitching[1].runs, f.text(QStringLiteral("LostP_txt")));
        QCOMPARE(second.batting.size(), 9);

        // The page parses as XML and carries the figures; the tables are UTF-8 with BOM.
        const QString page = report::boxScoreXhtml(*box);
        QCOMPARE(xmlError(page), QString());
        QVERIFY(
            page.contains(QStringLiteral("<td>") + starter + QStringLiteral("</td><td>0.2</td>")));
        QVERIFY(!page.contains(QStringLiteral("<script")));
        const auto tables = report::boxScoreCsv(*box);
        QCOMPARE(tables.size(), 5);
        for (const auto& [name, bytes] : tables)
            QVERIFY2(bytes.startsWith("\xEF\xBB\xBF"), qPrintable(name));
        const QString batting = QString::fromUtf8(tables[1].second.mid(3));
        QCOMPARE(batting.count(QStringLiteral("\r\n")), 12); // header, ten lines, totals
        // The batter who left is marked so in his row.
        QVERIFY(batting.contains(QStringLiteral(",3,") + first.batting[2].number + u',' +
                                 f.replaced + u','));
        QCOMPARE(batting.count(QStringLiteral(",是\r\n")), 1);

        // 匯出成績 writes both beside the settings file and says where.
        f.h.messages();
        QVERIFY(f.h.ok(f.h.menu(test::C, QStringLiteral("mReport"))));
        const QStringList said = f.h.messages();
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].startsWith(QStringLiteral("成績已匯出: ")), qPrintable(said[0]));
        const QString html =
            f.h.settings.dir.filePath(QStringLiteral("boxscore-20261208-1900.html"));
        QFile written(html);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(xmlError(QString::fromUtf8(written.readAll())), QString());
        QVERIFY(QFile::exists(
            f.h.settings.dir.filePath(QStringLiteral("boxscore-20261208-1900/先攻打擊.csv"))));
    }

    void theCommandLineWritesTheSameBoxScore()
    {
        Game f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        f.play();
        if (QTest::currentTestFailed())
            return;
        const QString bin = qEnvironmentVariable("HOMEPLATE_BINARY");
        QVERIFY2(QFile::exists(bin), "HOMEPLATE_BINARY is not set");
        // The page's name is a symbolic link: the link is replaced, what it
        // pointed at is left alone.
        const QString html = f.h.settings.dir.filePath(QStringLiteral("box.html"));
        const QString target = f.h.settings.dir.filePath(QStringLiteral("keep.txt"));
        {
            QFile keep(target);
            QVERIFY(keep.open(QIODevice::WriteOnly));
            keep.write("not a box score");
        }
        QVERIFY(QFile::link(target, html));
        const QString csv = f.h.settings.dir.filePath(QStringLiteral("csv"));
        QProcess p;
        p.start(bin, {QStringLiteral("--report"), f.tdb.connectionString(),
                      QStringLiteral("--html"), html, QStringLiteral("--csv"), csv});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).count(u'\n'), 6);
        const auto box = report::readBoxScore(*f.tdb.open(), QDate::currentDate());
        QFile page(html);
        QVERIFY(page.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(page.readAll()), report::boxScoreXhtml(*box));
        QVERIFY(!QFileInfo(html).isSymLink());
        QFile kept(target);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("not a box score"));
        QVERIFY(QFile::exists(QDir(csv).filePath(QStringLiteral("後攻投手.csv"))));

        p.start(bin, {QStringLiteral("--html"), html});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 2);
    }

    void whatXmlAndSpreadsheetsCannotTake()
    {
        report::BoxScore box;
        box.date = QDate(2026, 12, 8);
        const QChar lone(char16_t(0xD800));
        box.first.name = QStringLiteral("藍\x01鯨") + QChar(u'\0') + QStringLiteral("\uFFFF");
        box.second.name = QStringLiteral("白鷺") + lone + QStringLiteral("\t隊😀");
        report::BattingLine b;
        b.slot = QStringLiteral("1");
        b.name = QStringLiteral("=cmd|' /C calc'!A0");
        b.number = QStringLiteral("-3");
        box.first.batting << b;
        const QString page = report::boxScoreXhtml(box);
        QCOMPARE(xmlError(page), QString());
        QVERIFY(page.contains(QStringLiteral("藍鯨")));
        QVERIFY(page.contains(QStringLiteral("白鷺\t隊😀")));
        const QString batting = QString::fromUtf8(report::boxScoreCsv(box)[1].second.mid(3));
        QVERIFY2(batting.contains(QStringLiteral(",1,-3,'=cmd|' /C calc'!A0,")),
                 qPrintable(batting));
    }

    void inningsInBoxScoreNotation()
    {
        QCOMPARE(report::boxScoreInnings(17), QStringLiteral("5.2"));
        QCOMPARE(report::boxScoreInnings(0), QStringLiteral("0.0"));
        QCOMPARE(report::boxScoreInnings(27), QStringLiteral("9.0"));
        QCOMPARE(report::boxScoreInnings(-3), QStringLiteral("0.0"));
    }
};

QTEST_MAIN(TstBoxScore)
#include "tst_boxscore.moc"
