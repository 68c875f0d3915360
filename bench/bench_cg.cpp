// homeplate-cg: rendering one page at 720x486 and 1920x1080, and one load
// (code 9) plus preview (code 24) round trip from the console's tcp backend
// to a real homeplate-cg on loopback.
//
//   bench_cg PATH-TO-homeplate-cg PATH-TO-demo.PRJ

#include "CgLink.h"
#include "Cp950.h"
#include "PreviewBmp.h"
#include "Project.h"
#include "RegularFile.h"
#include "Renderer.h"
#include "TcpQpxNet.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace hp;

namespace {

void report(const char* what, int runs, const std::function<void(int)>& work)
{
    std::vector<double> ms;
    for (int i = 0; i < 5; ++i)
        work(i);
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work(i);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("| %-44s | %8.2f | %8.2f |\n", what, ms[ms.size() / 2],
                ms[size_t(double(ms.size()) * 0.99)]);
}

cg::Page scaled(const cg::Page& page, QSize size)
{
    const double f = double(size.width()) / page.size.width();
    cg::Page out = page;
    out.size = size;
    for (cg::Element& e : out.elements) {
        e.rect = QRect(int(e.rect.x() * f), int(e.rect.y() * f), int(e.rect.width() * f),
                       int(e.rect.height() * f));
        e.size = int(e.size * f);
    }
    return out;
}

cg::Values lineScoreValues(int i)
{
    cg::Values v{{QStringLiteral("TEAM1"), QStringLiteral("北岸海鷗")},
                 {QStringLiteral("TEAM2"), QStringLiteral("山城雷豹")},
                 {QStringLiteral("R1"), QString::number(i % 10)}};
    for (int k = 1; k <= 9; ++k) {
        v.insert(QStringLiteral("1%1").arg(k), QString::number((i + k) % 4));
        v.insert(QStringLiteral("2%1").arg(k), QString::number((i * k) % 3));
    }
    return v;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOMEPLATE_LOOPBACK_ONLY", "1");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_cg HOMEPLATE-CG DEMO.PRJ\n");
        return 2;
    }
    const QString server = QString::fromLocal8Bit(argv[1]);
    const QString projectPath = QString::fromLocal8Bit(argv[2]);
    const auto project = cg::loadProject(projectPath);
    if (!project) {
        std::fprintf(stderr, "%s\n", qPrintable(project.error()));
        return 1;
    }
    const cg::Page* page = project->page(QStringLiteral("九格表"));
    const cg::Page big = scaled(*page, QSize(1920, 1080));

    std::printf("| work                                         | median ms | p99 ms |\n");
    std::printf("|----------------------------------------------|----------:|-------:|\n");
    QTemporaryDir dir;
    const QString bmp = dir.filePath(QStringLiteral("bench.BMP"));
    cg::PreviewCanvas canvas;
    report("render 九格表 720x486", 300,
           [&](int i) { canvas.render(*project, *page, lineScoreValues(i)); });
    // As the server writes a preview: raw rows beside the file, renamed over it.
    auto write = [&](const QImage& picture) {
        app::replaceFile(
            bmp, [&picture](QIODevice& out) { return cglink::writePreviewBmp(out, picture); });
    };
    report("render 九格表 720x486 and write the BMP", 300,
           [&](int i) { write(canvas.render(*project, *page, lineScoreValues(i))); });
    report("render 九格表 1920x1080", 300,
           [&](int i) { canvas.render(*project, big, lineScoreValues(i)); });
    report("render 九格表 1920x1080 and write the BMP", 300,
           [&](int i) { write(canvas.render(*project, big, lineScoreValues(i))); });

    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess cgServer;
    // Previews go to a folder of their own, not beside the project in the sources.
    cgServer.start(server, {QStringLiteral("--headless"), QStringLiteral("--listen"),
                            QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("--previews"),
                            dir.path()});
    if (!cgServer.waitForStarted())
        return 1;
    cglink::TcpQpxNet net;
    qint32 handle = 0;
    for (int i = 0;
         i < 50 &&
         (handle = net.connectQpxSystem(QStringLiteral("127.0.0.1:%1").arg(port).toLatin1())) < 1;
         ++i)
        QThread::msleep(100);
    if (handle < 1)
        return 1;
    auto send = [&](qint32 code, const QString& text) {
        QByteArray buffer = cglink::toCp950(text).bytes;
        return net.sendCommand(handle, code, buffer);
    };
    send(17, projectPath);
    const QString preview = QStringLiteral("[BYNAME][九格表][%1][A][BMP]\r\n")
                                .arg(dir.filePath(QStringLiteral("TempImageB.BMP")));
    auto command = [](int i) {
        QString cmd = QStringLiteral("[BYNAME][九格表][26]EFFECT\r\n");
        const cg::Values v = lineScoreValues(i);
        for (auto it = v.cbegin(); it != v.cend(); ++it)
            cmd += QStringLiteral("[%1][0][%2]\r\n").arg(it.key(), it.value());
        return cmd;
    };
    report("code 9 + code 24 round trip, 720x486 page", 300, [&](int i) {
        send(9, command(i));
        send(24, preview);
    });
    // The same through the console's link, whose own thread makes the calls:
    // from posting the two to their results back on this thread.
    cglink::CgLink link(std::make_shared<cglink::TcpQpxNet>());
    link.connectTo(QStringLiteral("127.0.0.1:%1").arg(port));
    link.send(17, projectPath);
    auto waitIdle = [&] {
        while (!link.idle())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    };
    waitIdle();
    report("the same posted through the link's thread", 300, [&](int i) {
        link.send(9, command(i));
        link.send(24, preview);
        waitIdle();
    });
    cgServer.terminate();
    cgServer.waitForFinished(3000);
    return 0;
}
