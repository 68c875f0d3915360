// The demo projects as they go to air: every page, filled with the longest
// values of the demo season, inside the safe areas and its own boxes; and
// the program monitor's picture.
#include "PreviewBmp.h"
#include "ProgramMonitor.h"
#include "Renderer.h"
#include "ServerState.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>
#include <QtTest>

using namespace hp::cg;

namespace {

// The widest of the texts at a face's size.
QString widest(const QStringList& texts, const QString& family)
{
    QFont font(family);
    font.setPixelSize(22);
    font.setBold(true);
    const QFontMetrics m(font);
    QString best;
    for (const QString& t : texts)
        if (m.horizontalAdvance(t) > m.horizontalAdvance(best))
            best = t;
    return best;
}

struct Longest {
    QString team, player;
};

// The longest names of the demo season, read from a database filled with it.
Longest demoSeasonLongest(const QString& family)
{
    hp::test::TestDatabase database(QStringLiteral("sqlite"),
                                    hp::test::TestDatabase::Content::Demo);
    auto db = database.open();
    QStringList teams, players;
    if (db) {
        for (const QString& sql : {QStringLiteral("SELECT 姓名, 隊名 FROM 打擊整隊表年度"),
                                   QStringLiteral("SELECT 姓名, 隊名 FROM 投手整隊表年度")}) {
            const auto rows = db->query(sql);
            for (const auto& r : rows.value()) {
                players << r.at(0);
                teams << r.at(1);
            }
        }
    }
    return {widest(teams, family), widest(players, family)};
}

// The value a field shows at its longest: names of the season, three-digit
// figures, the widest marks the console sends.
QString longestValue(const QString& page, const QString& field, const Longest& l)
{
    static const QStringList positions{
        QStringLiteral("1B"), QStringLiteral("2B"), QStringLiteral("3B"),
        QStringLiteral("C"),  QStringLiteral("CF"), QStringLiteral("LF"),
        QStringLiteral("RF"), QStringLiteral("SS"), QStringLiteral("P")};
    const bool order = page == QStringLiteral("打序表") || page.startsWith(QStringLiteral("備用"));
    if (page == QStringLiteral("SBO") && field.endsWith(u'B') && field.size() == 2)
        return QStringLiteral("◆");
    if (field.startsWith(QStringLiteral("TEAM")))
        return l.team;
    if (field == QStringLiteral("HALF"))
        return QStringLiteral("▼");
    if (field == QStringLiteral("ROUND"))
        return QStringLiteral("12");
    if (field.startsWith(QStringLiteral("NAME")) || field == QStringLiteral("P1") ||
        field == QStringLiteral("P2") ||
        (page == QStringLiteral("守備") && positions.contains(field)) ||
        (order && field == QStringLiteral("P")))
        return l.player;
    if (order && field.size() == 2 && field[0].isDigit())
        return field[1] == u'1'   ? l.player
               : field[1] == u'2' ? QStringLiteral("DH")
                                  : QStringLiteral("99");
    if (page.contains(QStringLiteral("下三棒")) && field.size() == 3 && field[0] == u'T')
        return field[2] == u'1'   ? QStringLiteral("9")
               : field[2] == u'2' ? l.player
                                  : QStringLiteral("100-100");
    if (page == QStringLiteral("打者今日成績") && field.startsWith(u'S'))
        return QStringLiteral("8");
    if (page == QStringLiteral("打者今日成績") && field.startsWith(u'T'))
        return QStringLiteral("全壘");
    if (page.startsWith(QStringLiteral("投手成績")) && field == QStringLiteral("T1"))
        return QStringLiteral("123.667");
    if (page == QStringLiteral("基本資料") && field == QStringLiteral("T3"))
        return QStringLiteral("2002/12/28");
    if (field == QStringLiteral("DATE1"))
        return QStringLiteral("2026/12/31");
    if (field == QStringLiteral("DAY"))
        return QStringLiteral("累計");
    if (field == QStringLiteral("AVG"))
        return QStringLiteral("1.000");
    if (field == QStringLiteral("ERAP"))
        return QStringLiteral("108.00");
    if (field.startsWith(QStringLiteral("NO")))
        return QStringLiteral("99");
    return QStringLiteral("100");
}

// The box of what was drawn: pixels that are not transparent.
QRect drawnBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 0)
                bounds |= QRect(x, y, 1, 1);
    }
    return bounds;
}

bool isText(const Element& e)
{
    return e.kind == Element::Kind::Label || e.kind == Element::Kind::Field;
}

QRect boxOf(const Element& e)
{
    if (e.kind != Element::Kind::Diamond)
        return e.rect;
    const int r = e.rect.width();
    return QRect(e.rect.x() - r, e.rect.y() - r, 2 * r + 1, 2 * r + 1);
}

Page only(const Page& page, const std::function<bool(const Element&)>& keep)
{
    Page out = page;
    out.elements.clear();
    for (const Element& e : page.elements)
        if (keep(e))
            out.elements << e;
    return out;
}

} // namespace

class TstCgPages : public QObject {
    Q_OBJECT
private slots:
    void pagesStayInsideTheSafeAreas_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("720x486") << QStringLiteral(DEMO_PROJECT);
        QTest::newRow("1920x1080") << QStringLiteral(DEMO_HD_PROJECT);
    }
    void pagesStayInsideTheSafeAreas()
    {
        QFETCH(QString, path);
        const auto project = loadProject(path);
        QVERIFY2(project, qPrintable(project.error()));
        const Longest longest = demoSeasonLongest(project->font);
        QVERIFY(!longest.team.isEmpty() && !longest.player.isEmpty());
        const QSize raster = project->canvas;
        const QRect action = safeArea(raster, 0.9), title = safeArea(raster, 0.8);
        const int minimumText = (18 * raster.height() + 485) / 486;
        const QString pictures = qEnvironmentVariable("HOMEPLATE_CG_PAGES_PNG");
        QCOMPARE(project->pages.size(), 24);
        for (const Page& page : project->pages) {
            const QString where = page.name + u' ';
            QCOMPARE(page.size, raster);
            Values values;
            for (const QString& f : page.fieldNames())
                values.insert(f, longestValue(page.name, f, longest));
            const QImage all = renderPage(*project, page, values);
            if (!pictures.isEmpty())
                renderPreview(*project, page, values)
                    .save(QDir(pictures).filePath(
                        QStringLiteral("%1-%2.png").arg(raster.height()).arg(page.name)));
            const QRect drawn = drawnBounds(all);
            QVERIFY2(action.contains(drawn), qPrintable(where + QStringLiteral("action safe")));
            const QRect text = drawnBounds(renderPage(*project, only(page, isText), values));
            QVERIFY2(title.contains(text), qPrintable(where + QStringLiteral("title safe")));

            // The panel, the page's first box, holds everything; every text
            // stands on a box drawn before it and stays inside its own.
            QVERIFY(!page.elements.isEmpty());
            const QRect panel = boxOf(page.elements.first());
            QList<QRect> boxes;
            for (const Element& e : page.elements) {
                const QString what = where + e.text;
                QVERIFY2(panel.contains(boxOf(e)), qPrintable(what + QStringLiteral(" panel")));
                if (!isText(e)) {
                    boxes << boxOf(e);
                    continue;
                }
                QVERIFY2(e.size >= minimumText, qPrintable(what + QStringLiteral(" text size")));
                QVERIFY2(std::any_of(boxes.cbegin(), boxes.cend(),
                                     [&](const QRect& b) { return b.contains(e.rect); }),
                         qPrintable(what + QStringLiteral(" on no box")));
                const Page alone = only(page, [&](const Element& x) { return &x == &e; });
                const QRect ink = drawnBounds(renderPage(*project, alone, values));
                QVERIFY2(e.rect.contains(ink), qPrintable(what + QStringLiteral(" spills")));
            }
        }
    }

    void monitorShowsTheDisplayAspect_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<double>("aspect");
        QTest::newRow("720x486 shows 4:3") << QStringLiteral(DEMO_PROJECT) << 4.0 / 3.0;
        QTest::newRow("1920x1080 shows 16:9") << QStringLiteral(DEMO_HD_PROJECT) << 16.0 / 9.0;
    }
    void monitorShowsTheDisplayAspect()
    {
        QFETCH(QString, path);
        QFETCH(double, aspect);
        ServerState state;
        QCOMPARE(state.execute(17, path).result, 1);
        ProgramMonitor monitor(state);
        state.colourBar(); // fills the whole raster
        for (const QSize window : {QSize(1200, 600), QSize(700, 700), QSize(1000, 562)}) {
            monitor.resize(window);
            const QImage shown = monitor.grab().toImage();
            QRect picture;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    if (shown.pixel(x, y) != QColor(Qt::black).rgb())
                        picture |= QRect(x, y, 1, 1);
            QCOMPARE(picture, monitor.pictureRect());
            QVERIFY2(
                qAbs(double(picture.width()) / picture.height() - aspect) < 0.01,
                qPrintable(QStringLiteral("%1x%2").arg(picture.width()).arg(picture.height())));
            QVERIFY(picture.width() == window.width() || picture.height() == window.height());
        }
        QCOMPARE(monitor.grabProgram().size(), state.outputSize());
    }

    // The preview file holds the rendered picture pixel for pixel, for the
    // console's reader and for any other BMP reader.
    void previewFileIsTheRenderedPicture_data() { pagesStayInsideTheSafeAreas_data(); }
    void previewFileIsTheRenderedPicture()
    {
        QFETCH(QString, path);
        ServerState state;
        QCOMPARE(state.execute(17, path).result, 1);
        QTemporaryDir dir;
        state.setPreviewFolder(dir.path());
        const QString file = dir.filePath(QStringLiteral("TempImageB.BMP"));
        QCOMPARE(state
                     .execute(9, QStringLiteral("[BYNAME][SBO][3]EFFECT\r\n[ROUND][0][7]\r\n"
                                                "[HALF][0][▼]\r\n[S][0][2]\r\n"))
                     .result,
                 1);
        QCOMPARE(
            state.execute(24, QStringLiteral("[BYNAME][SBO][%1][A][BMP]\r\n").arg(file)).result, 1);
        const Project& project = *state.project();
        const QImage rendered = renderPreview(project, *project.page(QStringLiteral("SBO")),
                                              state.values(QStringLiteral("SBO")));
        QCOMPARE(rendered.size(), project.canvas);
        const QImage read = hp::cglink::readPreviewBmp(file);
        QCOMPARE(read.format(), QImage::Format_RGB32);
        QCOMPARE(read, rendered);
        QCOMPARE(QImage(file).convertToFormat(QImage::Format_RGB32), rendered);
        // 32 bits a pixel and the headers, nothing more.
        QCOMPARE(QFileInfo(file).size(), 54 + rendered.sizeInBytes());
    }

    void safeAreasOnlyOnTheMonitor()
    {
        ServerState state;
        QCOMPARE(state.execute(17, QStringLiteral(DEMO_PROJECT)).result, 1);
        ProgramMonitor monitor(state);
        monitor.resize(648, 486);
        QCOMPARE(state
                     .execute(20, QStringLiteral("[BYNAME][SBO][2][FO]\r\n[ROUND][0][7]\r\n"
                                                 "[HALF][0][▲]\r\n"))
                     .result,
                 1);
        const QImage program = monitor.grabProgram();
        const QImage plain = monitor.grab().toImage();
        QVERIFY(!monitor.safeAreasShown());
        QTest::keyClick(&monitor, Qt::Key_S);
        QVERIFY(monitor.safeAreasShown());
        const QImage marked = monitor.grab().toImage();
        QVERIFY(marked != plain);
        if (const QString pictures = qEnvironmentVariable("HOMEPLATE_CG_PAGES_PNG");
            !pictures.isEmpty())
            marked.save(QDir(pictures).filePath(QStringLiteral("monitor-safe-areas.png")));
        // The title-safe frame stands at 10 % of the picture's height.
        bool lineAtTitleSafe = false;
        for (int x = 100; x < 500 && !lineAtTitleSafe; ++x)
            for (int y = 48; y <= 50; ++y)
                lineAtTitleSafe = lineAtTitleSafe || marked.pixel(x, y) != plain.pixel(x, y);
        QVERIFY(lineAtTitleSafe);
        QCOMPARE(monitor.grabProgram(), program);
        QTemporaryDir dir;
        state.setPreviewFolder(dir.path());
        const QString file = dir.filePath(QStringLiteral("p.BMP"));
        QCOMPARE(
            state.execute(24, QStringLiteral("[BYNAME][主播][%1][A][BMP]\r\n").arg(file)).result,
            1);
        const QImage preview(file);
        QCOMPARE(preview.pixel(200, 49), preview.pixel(200, 30)); // no frame in the file
        QTest::keyClick(&monitor, Qt::Key_S);
        QCOMPARE(monitor.grab().toImage(), plain);
    }
};

QTEST_MAIN(TstCgPages)
#include "tst_cg_pages.moc"
