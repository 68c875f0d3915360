#include "CgCommandParser.h"
#include "CommandLine.h"
#include "Project.h"

#include <QtTest>

using namespace hp::cg;

class TstCgCommands : public QObject {
    Q_OBJECT
private slots:
    void fieldCommandsWithAwkwardValues()
    {
        const auto cmd =
            parseFieldCommand(QStringLiteral("[BYNAME][基本資料][3]EFFECT\r\n[NAME][0][a]b]\r\n[NO]"
                                             "[0][line\r\nbreak]\r\n[T1][0][]\r\n"));
        QVERIFY(cmd);
        QCOMPARE(cmd->page, QStringLiteral("基本資料"));
        QCOMPARE(cmd->declaredCount, 3);
        QCOMPARE(cmd->effect, QStringLiteral("EFFECT"));
        QCOMPARE(cmd->fields.size(), 3);
        QCOMPARE(cmd->fields[0].value, QStringLiteral("a]b"));
        QCOMPARE(cmd->fields[1].value, QStringLiteral("line\r\nbreak"));
        QCOMPARE(cmd->fields[2].value, QString());
    }

    void fieldLineWithoutLineEndAndCutHeader()
    {
        // The fielding page's team line has no line end before the next field.
        const auto cmd = parseFieldCommand(QStringLiteral(
            "[BYNAME][守備][10]EFFECT\r\n[TEAM][0][山城雷豹][1B][0][林]\r\n[P][0][胡]\r\n"));
        QVERIFY(cmd);
        QCOMPARE(cmd->fields.size(), 3);
        QCOMPARE(cmd->fields[0].value, QStringLiteral("山城雷豹"));
        QCOMPARE(cmd->fields[1].name, QStringLiteral("1B"));
        const auto quick =
            parseFieldCommand(QStringLiteral("[BYNAME][SBO][12][FO]\r\n[S][0][2]\r\n"));
        QVERIFY(quick);
        QCOMPARE(quick->effect, QStringLiteral("[FO]"));
        QVERIFY(!parseFieldCommand(QStringLiteral("[BYNAME][SBO][x]EFFECT\r\n")));
        QVERIFY(
            !parseFieldCommand(QStringLiteral("[BYNAME][SBO][1]EFFECT\r\ngarbage[S][0][1]\r\n")));
        QVERIFY(!parseFieldCommand(QStringLiteral("[BYNAME][SBO][1]EFFECT\r\n[S][0][no close")));
    }

    void effectsAndOtherCommands()
    {
        QCOMPARE(parseEffect(QStringLiteral("[E]"))->cut, false);
        QCOMPARE(parseEffect(QStringLiteral("[FO][2]"))->layer, 2);
        QCOMPARE(parseEffect(QStringLiteral("[FO]"))->layer, 1);
        QVERIFY(!parseEffect(QStringLiteral("[FO][0]")));
        QVERIFY(!parseEffect(QStringLiteral("[WIPE]")));
        const auto plain = parsePlainCommand(QStringLiteral("[BYNAME][主播][FO][2]"));
        QCOMPARE(plain->page, QStringLiteral("主播"));
        QCOMPARE(plain->effect, QStringLiteral("[FO][2]"));
        const auto preview = parsePreviewRequest(
            QStringLiteral("[BYNAME][SBO][/srv/範本/TempImageB.BMP][A][BMP]\r\n"));
        QCOMPARE(preview->page, QStringLiteral("SBO"));
        QCOMPARE(preview->path, QStringLiteral("/srv/範本/TempImageB.BMP"));
        QVERIFY(!parsePreviewRequest(QStringLiteral("[BYNAME][SBO][x.BMP][A][PNG]\r\n")));
        QCOMPARE(*parseTakeOff(QStringLiteral("[BYNAME][7.SBO表]")), QStringLiteral("7.SBO表"));
        QVERIFY(!parseTakeOff(QStringLiteral("[BYNAME][]")));
        QVERIFY(!parseTakeOff(QStringLiteral("-1")));
    }

    void projectFilesAreReadWithTheirMistakesNamed()
    {
        const auto p = parseProject(
            QStringLiteral("# demo\nfont \"Noto Sans CJK TC\"\ncanvas 1920 1080\n"
                           "page SBO\nalias \"7.SBO表\"\nbackground #ff102030\n"
                           "rect 0 0 10 10 #ff000000 none\n"
                           "label 1 2 3 4 \"先攻 隊\" 20 #ffffffff center bold\n"
                           "field S 5 6 7 8 22 #ffffffff right font \"WenQuanYi Zen Hei\"\n"
                           "page 主播 720 486\n"),
            QStringLiteral("/t/demo.PRJ"));
        QVERIFY2(p, qPrintable(p.error()));
        QCOMPARE(p->folder, QStringLiteral("/t/"));
        QCOMPARE(p->page(QStringLiteral("7.SBO表"))->name, QStringLiteral("SBO"));
        QCOMPARE(p->page(QStringLiteral("SBO"))->size, QSize(1920, 1080));
        QCOMPARE(p->page(QStringLiteral("主播"))->size, QSize(720, 486));
        const Element& label = p->page(QStringLiteral("SBO"))->elements[1];
        QCOMPARE(label.text, QStringLiteral("先攻 隊"));
        QVERIFY(label.bold);
        QCOMPARE(p->page(QStringLiteral("SBO"))->fieldNames(), QStringList{QStringLiteral("S")});
        QCOMPARE(p->page(QStringLiteral("SBO"))->elements[2].family,
                 QStringLiteral("WenQuanYi Zen Hei"));

        const auto bad = parseProject(QStringLiteral("page A\nfield X 1 2 3 4 20 notacolour\n"),
                                      QStringLiteral("/t/b.PRJ"));
        QVERIFY(!bad);
        QVERIFY2(bad.error().contains(QStringLiteral("b.PRJ:2")), qPrintable(bad.error()));
        QVERIFY(!parseProject(QStringLiteral("rect 0 0 1 1 #ff000000\n"), QStringLiteral("c.PRJ")));
        QVERIFY(!parseProject(QStringLiteral("page A\npage A\n"), QStringLiteral("d.PRJ")));
        QVERIFY(!parseProject(QString(), QStringLiteral("e.PRJ")));
    }

    void projectsAskForNothingUnbounded()
    {
        auto parses = [](const char* text) {
            return bool(parseProject(QString::fromUtf8(text), QStringLiteral("/t/p.PRJ")));
        };
        QVERIFY(parses("canvas 7680 4320\npage A\npage B 7680 4320\n"));
        QVERIFY(!parses("page A 30000 30000\n"));
        QVERIFY(!parses("canvas 7681 4320\npage A\n"));
        QVERIFY(!parses("page A 100 4321\n"));
        // A background image is named inside the project's folder.
        const auto p = parseProject(QStringLiteral("page A\nbackground image:art/./bg.png\n"),
                                    QStringLiteral("/t/p.PRJ"));
        QVERIFY2(p, qPrintable(p.error()));
        QCOMPARE(p->page(QStringLiteral("A"))->backgroundImage, QStringLiteral("/t/art/bg.png"));
        QVERIFY(parses("page A\nbackground image:art/../bg.png\n"));
        QVERIFY(!parses("page A\nbackground image:../bg.png\n"));
        QVERIFY(!parses("page A\nbackground image:art/../../bg.png\n"));
        QVERIFY(!parses("page A\nbackground image:/etc/passwd\n"));
        QVERIFY(!parses("page A\nbackground image:\n"));
    }

    void listeningBeyondLoopbackIsWarnedAbout()
    {
        for (const char* loopback : {"127.0.0.1", "127.0.0.2", "::1"})
            QVERIFY2(listenWarning(QHostAddress(QString::fromLatin1(loopback))).isEmpty(),
                     loopback);
        for (const char* open : {"0.0.0.0", "::", "192.0.2.10", "2001:db8::1"}) {
            const QString warning = listenWarning(QHostAddress(QString::fromLatin1(open)));
            QVERIFY2(warning.contains(QStringLiteral("no authentication")), open);
        }
        // Read from the command line, before anything is bound.
        const auto line =
            parseCommandLine({QStringLiteral("homeplate-cg"), QStringLiteral("--listen"),
                              QStringLiteral("0.0.0.0:7250")});
        QVERIFY2(line, qPrintable(line.error()));
        QCOMPARE(line->port, quint16(7250));
        QCOMPARE(line->warnings.size(), 1);
        const auto local = parseCommandLine({QStringLiteral("homeplate-cg")});
        QVERIFY(local);
        QCOMPARE(local->address, QHostAddress(QHostAddress::LocalHost));
        QVERIFY(local->warnings.isEmpty());
        QVERIFY(!parseCommandLine({QStringLiteral("homeplate-cg"), QStringLiteral("--listen"),
                                   QStringLiteral("localhost:7250")}));
        QVERIFY(!parseCommandLine({QStringLiteral("homeplate-cg"), QStringLiteral("--previews"),
                                   QStringLiteral("/no/such/folder")}));
        // The pages' database is read as the console reads it, before the start.
        const auto database =
            parseCommandLine({QStringLiteral("homeplate-cg"), QStringLiteral("--database"),
                              QStringLiteral("Provider=SQLite;Data Source=/srv/game.db")});
        QVERIFY2(database, qPrintable(database.error()));
        QCOMPARE(database->database, QStringLiteral("Provider=SQLite;Data Source=/srv/game.db"));
        const auto unknown =
            parseCommandLine({QStringLiteral("homeplate-cg"), QStringLiteral("--database"),
                              QStringLiteral("Provider=Nothing;Data Source=x")});
        QVERIFY(!unknown);
        QVERIFY2(unknown.error().startsWith(QStringLiteral("--database")),
                 qPrintable(unknown.error()));
    }
};

QTEST_GUILESS_MAIN(TstCgCommands)
#include "tst_cg_commands.moc"
