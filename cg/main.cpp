// homeplate-cg: a virtual character generator for rehearsals, demonstrations
// and tests. It speaks the console's CG wire protocol, renders the pages of a
// template project, writes preview images and shows the program output.

#include "CgServer.h"
#include "ProgramMonitor.h"
#include "ServerState.h"
#include "WireProtocol.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QHostAddress>
#include <cstdio>

namespace {

bool wantsHeadless(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--headless") == 0)
            return true;
    return false;
}

int fail(const QString& text)
{
    std::fprintf(stderr, "homeplate-cg: %s\n", qPrintable(text));
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    // Without a window nothing needs a display; text still needs fonts.
    if (wantsHeadless(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("homeplate-cg"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Homeplate's virtual CG server"));
    parser.addHelpOption();
    const QCommandLineOption listenOpt(
        QStringLiteral("listen"), QStringLiteral("Address and port (default 127.0.0.1:7250)."),
        QStringLiteral("ADDR:PORT"), QStringLiteral("127.0.0.1:7250"));
    const QCommandLineOption headlessOpt(QStringLiteral("headless"),
                                         QStringLiteral("Run without the on-air monitor."));
    const QCommandLineOption logOpt(QStringLiteral("log"),
                                    QStringLiteral("Write every command received as JSON lines."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption projectOpt(QStringLiteral("project"),
                                        QStringLiteral("Open this template project at start."),
                                        QStringLiteral("FILE"));
    parser.addOptions({listenOpt, headlessOpt, logOpt, projectOpt});
    parser.process(app);

    const auto endpoint = hp::cglink::wire::parseEndpoint(parser.value(listenOpt));
    const QHostAddress address(endpoint ? endpoint->host : QString());
    if (!endpoint || address.isNull())
        return fail(QStringLiteral("--listen takes ADDR:PORT with a numeric address"));

    hp::cg::ServerState state;
    if (parser.isSet(projectOpt)) {
        const auto opened = state.execute(17, parser.value(projectOpt));
        if (opened.result < 0)
            return fail(opened.error);
    }
    hp::cg::CgServer server(state);
    if (parser.isSet(logOpt) && !server.setLog(parser.value(logOpt)))
        return fail(QStringLiteral("cannot write %1").arg(parser.value(logOpt)));
    if (!server.listen(address, endpoint->port))
        return fail(QStringLiteral("cannot listen on %1: %2")
                        .arg(parser.value(listenOpt), server.errorString()));
    std::fprintf(stderr, "homeplate-cg: listening on %s:%u\n", qPrintable(address.toString()),
                 unsigned(server.port()));

    std::unique_ptr<hp::cg::ProgramMonitor> monitor;
    if (!parser.isSet(headlessOpt)) {
        monitor = std::make_unique<hp::cg::ProgramMonitor>(state);
        monitor->show();
        QApplication::setQuitOnLastWindowClosed(true);
    }
    return app.exec();
}
