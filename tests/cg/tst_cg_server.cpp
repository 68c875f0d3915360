#include "ProgramMonitor.h"
#include "Renderer.h"
#include "ServerState.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace hp::cg;

namespace {

QString fieldCommand(const QString& page, const QList<std::pair<QString, QString>>& fields,
                     const QString& effect = QStringLiteral("EFFECT"))
{
    QString t = QStringLiteral("[BYNAME][%1][%2]%3\r\n").arg(page).arg(fields.size()).arg(effect);
    for (const auto& [name, value] : fields)
        t += QStringLiteral("[%1][0][%2]\r\n").arg(name, value);
    return t;
}

QStringList numbered(const QString& pattern, int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << pattern.arg(i);
    return out;
}

} // namespace

class TstCgServer : public QObject {
    Q_OBJECT
private slots:
    void demoProjectHasEveryPageAndField_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("720x486") << QStringLiteral(DEMO_PROJECT);
        QTest::newRow("1920x1080") << QStringLiteral(DEMO_HD_PROJECT);
    }
    void demoProjectHasEveryPageAndField()
    {
        QFETCH(QString, path);
        const auto project = loadProject(path);
        QVERIFY2(project, qPrintable(project.error()));
        const QStringList block{QStringLiteral("TEAM1"), QStringLiteral("TEAM2"),
                                QStringLiteral("R1"),    QStringLiteral("H1"),
                                QStringLiteral("E1"),    QStringLiteral("R2"),
                                QStringLiteral("H2"),    QStringLiteral("E2")};
        QStringList nextThree;
        for (int n = 1; n <= 3; ++n)
            for (int k = 1; k <= 3; ++k)
                nextThree << QStringLiteral("T%1%2").arg(n).arg(k);
        QStringList lineScore = block;
        for (int i = 1; i <= 9; ++i)
            lineScore << QStringLiteral("1%1").arg(i) << QStringLiteral("2%1").arg(i);
        QStringList extra = block;
        for (int i = 10; i <= 12; ++i)
            extra << QStringLiteral("1%1").arg(i) << QStringLiteral("2%1").arg(i);
        QStringList order{QStringLiteral("P"), QStringLiteral("TEAM")};
        for (int n = 1; n <= 9; ++n)
            order << QString::number(n) + u'1' << QString::number(n) + u'2';
        QStringList batterToday{QStringLiteral("NOS"), QStringLiteral("NAMES"),
                                QStringLiteral("AVG")};
        batterToday +=
            numbered(QStringLiteral("T%1"), 1, 8) + numbered(QStringLiteral("S%1"), 1, 8);
        const QStringList pitcher = QStringList{QStringLiteral("DAY"), QStringLiteral("NOP"),
                                                QStringLiteral("NAMEP"), QStringLiteral("ERAP")} +
                                    numbered(QStringLiteral("T%1"), 1, 4);
        const QStringList batterTotal =
            QStringList{QStringLiteral("DAY"), QStringLiteral("NOS"), QStringLiteral("NAMES"),
                        QStringLiteral("AVG")} +
            numbered(QStringLiteral("T%1"), 1, 4);
        const QList<std::pair<QString, QStringList>> expected{
            {QStringLiteral("守備"),
             {QStringLiteral("TEAM"), QStringLiteral("1B"), QStringLiteral("2B"),
              QStringLiteral("3B"), QStringLiteral("C"), QStringLiteral("CF"), QStringLiteral("LF"),
              QStringLiteral("RF"), QStringLiteral("SS"), QStringLiteral("P")}},
            {QStringLiteral("打序表"), order},
            {QStringLiteral("打者今日成績"), batterToday},
            {QStringLiteral("投手成績"), pitcher},
            {QStringLiteral("SBO"),
             {QStringLiteral("ROUND"), QStringLiteral("R1"), QStringLiteral("R2"),
              QStringLiteral("S"), QStringLiteral("B"), QStringLiteral("O"), QStringLiteral("1B"),
              QStringLiteral("2B"), QStringLiteral("3B"), QStringLiteral("HALF")}},
            {QStringLiteral("RHE"),
             block + QStringList{QStringLiteral("ROUND"), QStringLiteral("HALF")}},
            {QStringLiteral("下三棒"), nextThree},
            {QStringLiteral("九格表"), lineScore},
            {QStringLiteral("九格表延長賽"), extra},
            {QStringLiteral("RHE+下三棒"),
             block + nextThree + QStringList{QStringLiteral("ROUND"), QStringLiteral("HALF")}},
            {QStringLiteral("終場表"), block + QStringList{QStringLiteral("DATE1")}},
            {QStringLiteral("基本資料"),
             {QStringLiteral("NAME"), QStringLiteral("NO"), QStringLiteral("T1"),
              QStringLiteral("T2"), QStringLiteral("T3")}},
            {QStringLiteral("投手成績累計"), pitcher},
            {QStringLiteral("打者成績累計"), batterTotal},
        };
        for (const auto& [page, fields] : expected) {
            const Page* p = project->page(page);
            QVERIFY2(p, qPrintable(page));
            for (const QString& f : fields)
                QVERIFY2(p->fieldNames().contains(f), qPrintable(page + u' ' + f));
        }
        for (const char* plain : {"對戰表", "場地資料", "裁判名單", "主播", "工作人員", "備用一",
                                  "備用二", "備用三", "備用四", "備用五"})
            QVERIFY2(project->page(QString::fromUtf8(plain)), plain);
        // Pages are taken off by the console's list texts.
        for (const char* alias :
             {"7.SBO表", "12.RHE+下三棒", "工作人員名單", "打者基本資料", "1.先防守順序表"})
            QVERIFY2(project->page(QString::fromUtf8(alias)), alias);
    }

    void eachCodeChangesTheServerState()
    {
        ServerState state;
        QSignalSpy changed(&state, &ServerState::programChanged);
        QCOMPARE(state
                     .execute(9, fieldCommand(QStringLiteral("SBO"),
                                              {{QStringLiteral("S"), QStringLiteral("2")}}))
                     .result,
                 -1);
        QCOMPARE(state.execute(17, QStringLiteral("/no/such.PRJ")).result, -1);
        QCOMPARE(state.execute(17, QStringLiteral(DEMO_PROJECT)).result, 1);

        auto loaded =
            state.execute(9, fieldCommand(QStringLiteral("SBO"),
                                          {{QStringLiteral("S"), QStringLiteral("2")},
                                           {QStringLiteral("NOPE"), QStringLiteral("x")}}));
        QCOMPARE(loaded.result, 1);
        QCOMPARE(loaded.notes.filter(QStringLiteral("NOPE")).size(), 1);
        QCOMPARE(state.values(QStringLiteral("SBO")).value(QStringLiteral("S")),
                 QStringLiteral("2"));
        QVERIFY(state.layers().isEmpty());

        QCOMPARE(state
                     .execute(20, fieldCommand(QStringLiteral("SBO"),
                                               {{QStringLiteral("B"), QStringLiteral("3")}},
                                               QStringLiteral("[FO][2]")))
                     .result,
                 1);
        QCOMPARE(state.layers().value(2).page, QStringLiteral("SBO"));
        QVERIFY(!state.layers().value(2).fade);
        QCOMPARE(state.layers().value(2).values.value(QStringLiteral("S")), QStringLiteral("2"));

        QCOMPARE(state.execute(4, QStringLiteral("[BYNAME][主播][E]")).result, 1);
        QVERIFY(state.layers().value(1).fade);
        QCOMPARE(state.execute(4, QStringLiteral("[BYNAME][主播][WIPE]")).result, -1);
        QCOMPARE(state.execute(4, QStringLiteral("[BYNAME][沒有這頁][E]")).result, -1);

        QCOMPARE(state.execute(5, QStringLiteral("[BYNAME][7.SBO表]")).result, 1);
        QVERIFY(!state.layers().contains(2));
        QCOMPARE(state.execute(5, QStringLiteral("[BYNAME][7.SBO表]")).result, 0);

        state.colourBar();
        QVERIFY(state.colourBarsOn());
        QCOMPARE(state.execute(0, QStringLiteral("-1")).result, 1);
        QVERIFY(state.layers().isEmpty());
        QVERIFY(!state.colourBarsOn());
        QCOMPARE(state.execute(0, QStringLiteral("everything")).result, -1);
        QCOMPARE(state.execute(99, QString()).result, -1);
        QVERIFY(changed.count() >= 5);
    }

    // The console opens its project again after every reconnect: the same
    // file, unchanged, keeps what is on air; a file changed on disk, its
    // images included, is read anew and clears the program.
    void reopeningTheOpenProject()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.PRJ"));
        const QString image = dir.filePath(QStringLiteral("bg.png"));
        const auto write = [](const QString& file, const QByteArray& bytes) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        };
        const auto picture = [&](Qt::GlobalColor colour) {
            QImage i(8, 8, QImage::Format_RGB32);
            i.fill(colour);
            QVERIFY(i.save(image, "PNG"));
        };
        const QByteArray text = "page BUG 100 50\nfield S 0 0 50 50 20 #ffffffff\n"
                                "page CARD 100 50\nbackground image:bg.png\n";
        write(path, text);
        picture(Qt::red);
        ServerState state;
        QCOMPARE(state.execute(17, path).result, 1);
        QCOMPARE(state
                     .execute(20, fieldCommand(QStringLiteral("BUG"),
                                               {{QStringLiteral("S"), QStringLiteral("2")}},
                                               QStringLiteral("[FO][2]")))
                     .result,
                 1);
        QCOMPARE(state.execute(4, QStringLiteral("[BYNAME][CARD][E]")).result, 1);
        QCOMPARE(state.layers().size(), 2);

        QSignalSpy changed(&state, &ServerState::programChanged);
        const auto again = state.execute(17, dir.path() + QStringLiteral("/./p.PRJ"));
        QCOMPARE(again.result, 1);
        QCOMPARE(state.layers().size(), 2);
        QCOMPARE(state.layers().value(2).values.value(QStringLiteral("S")), QStringLiteral("2"));
        QCOMPARE(state.values(QStringLiteral("BUG")).value(QStringLiteral("S")),
                 QStringLiteral("2"));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(again.notes.filter(QStringLiteral("unchanged")).size(), 1);

        picture(Qt::blue); // same size, other bytes
        QCOMPARE(state.execute(17, path).result, 1);
        QVERIFY(state.layers().isEmpty());
        QCOMPARE(state.project()->page(QStringLiteral("CARD"))->picture.pixelColor(0, 0),
                 QColor(Qt::blue));
        QVERIFY(state.values(QStringLiteral("BUG")).isEmpty());

        QCOMPARE(state.execute(4, QStringLiteral("[BYNAME][CARD][E]")).result, 1);
        write(path, text + "# a comment\n");
        QCOMPARE(state.execute(17, path).result, 1);
        QVERIFY(state.layers().isEmpty());
    }

    void previewIsABitmapOfThePage()
    {
        ServerState state;
        QCOMPARE(state.execute(17, QStringLiteral(DEMO_PROJECT)).result, 1);
        QTemporaryDir dir;
        state.setPreviewFolder(dir.path());
        const QString empty = dir.filePath(QStringLiteral("empty.BMP"));
        const QString filled = dir.filePath(QStringLiteral("TempImageB.BMP"));
        QCOMPARE(
            state.execute(24, QStringLiteral("[BYNAME][SBO][%1][A][BMP]\r\n").arg(empty)).result,
            1);
        state.execute(
            9, fieldCommand(QStringLiteral("SBO"), {{QStringLiteral("ROUND"), QStringLiteral("7")},
                                                    {QStringLiteral("R1"), QStringLiteral("12")}}));
        QCOMPARE(
            state.execute(24, QStringLiteral("[BYNAME][SBO][%1][A][BMP]\r\n").arg(filled)).result,
            1);
        const QImage a(empty), b(filled);
        QCOMPARE(b.size(), QSize(720, 486));
        QVERIFY(!dir.isValid() || QFileInfo(filled).size() > 0);
        // The ROUND field's box differs once a value is drawn there.
        bool differs = false;
        for (int y = 84; y < 124 && !differs; ++y)
            for (int x = 258; x < 306 && !differs; ++x)
                differs = a.pixel(x, y) != b.pixel(x, y);
        QVERIFY(differs);
        QCOMPARE(b.pixel(700, 470), a.pixel(700, 470)); // untouched background

        QCOMPARE(state.execute(24, QStringLiteral("[BYNAME][SBO][/no/such/dir/x.BMP][A][BMP]\r\n"))
                     .result,
                 -1);
        QCOMPARE(state.execute(24, QStringLiteral("[BYNAME][SBO][%1]\r\n").arg(filled)).result, -1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                 2); // no temporary files left
    }

    void monitorCompositesTheLayers()
    {
        ServerState state;
        ProgramMonitor monitor(state);
        QCOMPARE(state.execute(17, QStringLiteral(DEMO_PROJECT)).result, 1);
        const QImage black = monitor.grabProgram();
        QCOMPARE(black.pixel(100, 100), QColor(Qt::black).rgb());
        state.execute(20, fieldCommand(QStringLiteral("SBO"),
                                       {{QStringLiteral("ROUND"), QStringLiteral("3")}},
                                       QStringLiteral("[FO][2]")));
        QVERIFY(monitor.grabProgram().pixel(100, 100) != black.pixel(100, 100)); // the score bug
        state.colourBar();
        QCOMPARE(monitor.grabProgram().pixel(700, 400), QColor(0, 0, 192).rgb());
        state.execute(0, QStringLiteral("-1"));
        QCOMPARE(monitor.grabProgram(), black);
    }

    void renderingAtBroadcastSizes()
    {
        Project project;
        Page page;
        page.name = QStringLiteral("P");
        page.size = QSize(1920, 1080);
        page.background = Qt::transparent;
        Element field;
        field.kind = Element::Kind::Field;
        field.rect = QRect(10, 10, 60, 40);
        field.text = QStringLiteral("NAME");
        field.color = Qt::white;
        page.elements << field;
        const QImage wide = renderPage(
            project, page, {{QStringLiteral("NAME"), QStringLiteral("非常長的球員名字超出欄位")}});
        QCOMPARE(wide.size(), QSize(1920, 1080));
        // Squeezed into its box, not spilling to the right of it.
        for (int y = 0; y < 60; ++y)
            QCOMPARE(qAlpha(wide.pixel(200, y)), 0);
        QCOMPARE(colourBars(QSize(700, 10)).pixel(5, 5), QColor(192, 192, 192).rgb());
    }
};

QTEST_MAIN(TstCgServer)
#include "tst_cg_server.moc"
