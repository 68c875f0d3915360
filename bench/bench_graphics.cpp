// Graphics playout against a real homeplate-cg on loopback, over the tcp
// backend: from the click on a list item to its preview shown in the play
// panel, and from the click on the play button to the server's reply, at the
// 720 x 486 demo project and the 1920 x 1080 one. Beside them the floor:
// the same two sends (the server renders and writes the preview in between)
// and the image read, without the console. Also the longest time the window
// thread spent in one handler while previews were pending.
//
//   bench_graphics PATH-TO-demo.PRJ [PATH-TO-demo-hd.PRJ]

#include "Baseball_Beat.h"
#include "CgLink.h"
#include "CgProcess.h"
#include "Cp950.h"
#include "DemoGame.h"
#include "GraphicsColumn.h"
#include "PreviewBmp.h"
#include "PreviewImage.h"
#include "RegularFile.h"
#include "RemoteHarness.h"
#include "ServerState.h"
#include "SetupStatements.h"
#include "TcpQpxNet.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace hp;

namespace {

constexpr int kClicks = 500;
const QString C = QStringLiteral("Baseball_Beat");

double median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double p99(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[std::min(ms.size() - 1, size_t(double(ms.size()) * 0.99))];
}

void report(const QString& what, const std::vector<double>& ms)
{
    std::printf("| %-48s | %8.2f | %8.2f |\n", qPrintable(what), median(ms), p99(ms));
}

// What no console can beat on this machine: the CG's render of the same page
// with the same values, its preview file written as raw rows and renamed into
// place, and the file read back.
std::vector<double> physicalFloor(const QString& project,
                                  const QList<std::pair<qint32, QString>>& sends,
                                  const QString& folder)
{
    cg::ServerState state;
    if (state.execute(17, project).result < 1)
        return {};
    QString pageName;
    for (const auto& [code, text] : sends) {
        if (code == 9)
            state.execute(9, text);
        if (code == 24)
            if (const auto request = cg::parsePreviewRequest(text))
                pageName = request->page;
    }
    const cg::Page* page = state.project()->page(pageName);
    if (!page)
        return {};
    const cg::Values values = state.values(pageName);
    const QString file = folder + QStringLiteral("/floor.BMP");
    cg::PreviewCanvas canvas;
    std::vector<double> ms;
    for (int i = 0; i < kClicks; ++i) {
        QElapsedTimer t;
        t.start();
        const QImage& picture = canvas.render(*state.project(), *page, values);
        app::replaceFile(
            file, [&picture](QIODevice& out) { return cglink::writePreviewBmp(out, picture); });
        if (cglink::readPreviewBmp(file).isNull())
            return {};
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return ms;
}

// A copy of a project, on its own canvas or (when `canvas` is valid) on another.
bool writeProject(const QString& from, const QString& to, const QSize& canvas)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    for (QByteArray line : in.readAll().split('\n')) {
        if (canvas.isValid() && line.startsWith("canvas "))
            line = "canvas " + QByteArray::number(canvas.width()) + ' ' +
                   QByteArray::number(canvas.height());
        out.write(line + '\n');
    }
    return true;
}

bool runCanvas(const QString& demo, const QSize& canvas, const QString& size)
{
    CgProcess cg;
    cg.setQuiet(true);
    if (!cg.start({})) {
        std::fprintf(stderr, "homeplate-cg did not start\n");
        return false;
    }
    test::TestDatabase tdb(QStringLiteral("sqlite"), test::TestDatabase::Content::Demo);
    test::RemoteHarness h(std::make_shared<cglink::TcpQpxNet>());
    // Timed as the operator meets it: a request returns when its handler does.
    h.waitForCg = false;
    startDemoGame(*tdb.open());
    const QString project = h.settings.dir.filePath(QStringLiteral("demo.PRJ"));
    if (!writeProject(demo, project, canvas))
        return false;
    h.settings.store.set(QStringLiteral("ODBC"), tdb.connectionString());
    h.settings.store.set(QStringLiteral("QPXServerIP"), cg.address());
    h.settings.store.set(QStringLiteral("PRJ"), project);
    h.settings.store.set(QStringLiteral("PRJpath"), h.settings.dir.path() + u'/');
    h.settings.store.set(QStringLiteral("PreviewWait"), QStringLiteral("500"));
    h.navigator.showStart();
    h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"));
    test::settled(h.cg);
    console::Baseball_Beat* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<console::Baseball_Beat*>(w); b && b->isVisible())
            window = b;
    if (!window || !test::linkUp(h.cg)) {
        std::fprintf(stderr, "the console did not reach homeplate-cg\n");
        return false;
    }
    graphics::GraphicsColumn* column = window->graphicsColumn();
    bool shown = false;
    QObject::connect(column, &graphics::GraphicsColumn::previewShown, column,
                     [&] { shown = true; });
    // What the console sent for the last click, for the floor.
    QList<std::pair<qint32, QString>> sent;
    QObject::connect(&h.cg, &cglink::CgLink::sent, column, [&](qint32 code, const QString& text) {
        sent.append({code, text});
    });

    // The floor's own connection, called straight from this thread.
    cglink::TcpQpxNet direct;
    const qint32 directHandle = direct.connectQpxSystem(cg.address().toLatin1());
    double longestHandler = 0;
    // The longest the window thread did not get round to a 1 ms timer.
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0, longestStall = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestStall = std::max(longestStall, now - lastTick);
        lastTick = now;
    });
    auto watchStalls = [&](bool on) {
        lastTick = clock.nsecsElapsed();
        on ? ticker.start(1) : ticker.stop();
    };
    auto cue = [&](const QString& list, int index, std::vector<double>& ms) {
        shown = false;
        sent.clear();
        QElapsedTimer t;
        t.start();
        const QJsonObject r =
            h.act(C, list, QStringLiteral("select"), {{QStringLiteral("index"), index}});
        longestHandler = std::max(longestHandler, double(t.nsecsElapsed()) / 1e6);
        while (!shown && t.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        return h.ok(r) && shown;
    };
    struct Item {
        const char* label;
        QString list;
        int index;
    };
    const Item items[] = {{"5.打者今日成績", QStringLiteral("List3"), 4},
                          {"7.SBO表", QStringLiteral("List3"), 6},
                          {"10.九局得分表", QStringLiteral("List3"), 9},
                          {"12.RHE+下三棒", QStringLiteral("List3"), 11},
                          {"打者累計成績", QStringLiteral("List4"), 9}};
    std::vector<double> play;
    for (const Item& item : items) {
        std::vector<double> ms;
        watchStalls(true);
        for (int i = 0; i < kClicks; ++i)
            if (!cue(item.list, item.index, ms)) {
                std::fprintf(stderr, "%s: no preview\n", item.label);
                return false;
            }
        watchStalls(false);
        report(QStringLiteral("click to preview, ") + QString::fromUtf8(item.label) + u' ' + size,
               ms);
        // The floor: the same sends straight through the link, then the read.
        const auto lastSends = sent;
        const QString image = h.settings.dir.filePath(item.list == QStringLiteral("List3")
                                                          ? QStringLiteral("TempImageB.BMP")
                                                          : QStringLiteral("TempImageA.BMP"));
        std::vector<double> floor;
        for (int i = 0; i < kClicks; ++i) {
            QElapsedTimer t;
            t.start();
            for (const auto& [code, text] : lastSends) {
                QByteArray buffer = cglink::toCp950(text).bytes;
                direct.sendCommand(directHandle, code, buffer);
            }
            QImageReader(image).read();
            floor.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        report(QStringLiteral("  sends straight and image read, ") + size, floor);
        const auto physical = physicalFloor(project, lastSends, h.settings.dir.path());
        if (physical.empty()) {
            std::fprintf(stderr, "%s: no floor\n", item.label);
            return false;
        }
        report(QStringLiteral("  floor: render + raw write + read, ") + size, physical);
        std::printf("| %-48s | %7.2fx | %7.2fx |\n", "  click to preview / floor",
                    median(ms) / median(physical), p99(ms) / p99(physical));
    }
    const QString playButton = QStringLiteral("Command5");
    h.act(C, QStringLiteral("List3"), QStringLiteral("select"), {{QStringLiteral("index"), 6}});
    test::settled(h.cg);
    for (int i = 0; i < kClicks; ++i) {
        QElapsedTimer t;
        t.start();
        h.act(C, playButton, QStringLiteral("click"));
        test::settled(h.cg);
        play.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    report(QStringLiteral("play, 7.SBO表 ") + size, play);
    std::printf("| %-48s | %8.2f |          |\n",
                qPrintable(QStringLiteral("longest list-click handler, ") + size), longestHandler);
    std::printf("| %-48s | %8.2f |          |\n",
                qPrintable(QStringLiteral("longest window-thread stall, ") + size),
                double(longestStall) / 1e6);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("HOMEPLATE_LOOPBACK_ONLY", "1");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_graphics PATH-TO-demo.PRJ\n");
        return 2;
    }
    const QString demo = QString::fromLocal8Bit(argv[1]);
    const QString hd = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    std::printf("\n| graphics playout (ms), %d clicks each           |   median |      p99 |\n",
                kClicks);
    std::printf("|---|---:|---:|\n");
    if (!runCanvas(demo, QSize(), QStringLiteral("720x486")))
        return 1;
    // The HD project, or else the demo pages on a 1920 x 1080 canvas.
    const bool ok = hd.isEmpty() ? runCanvas(demo, QSize(1920, 1080), QStringLiteral("1920x1080"))
                                 : runCanvas(hd, QSize(), QStringLiteral("1920x1080 HD"));
    if (!ok)
        return 1;
    db::Database::closePool();
    return 0;
}
