// homeplate-cg: a virtual character generator for rehearsals, demonstrations
// and tests. It speaks the console's CG wire protocol, renders the pages of a
// template project, writes preview images and shows the program output.

#include "CgServer.h"
#include "CommandLine.h"
#include "ProgramHttp.h"
#include "ProgramMonitor.h"
#include "ServerState.h"

#include <QApplication>
#include <cstdio>

namespace {

int fail(const QString& text)
{
    std::fprintf(stderr, "homeplate-cg: %s\n", qPrintable(text));
    return 2;
}

QStringList arguments(int argc, char* argv[])
{
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out << QString::fromLocal8Bit(argv[i]);
    return out;
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char* argv[])
{
    // Read before the application object exists: --help, --version and a
    // mistake need no display.
    const auto line = hp::cg::parseCommandLine(arguments(argc, argv));
    if (!line)
        return fail(line.error());
    if (line->help) {
        std::fputs(qPrintable(hp::cg::helpText()), stdout);
        return 0;
    }
    if (line->version) {
        std::printf("%s\n", qPrintable(hp::cg::versionText()));
        return 0;
    }
    // Without a window nothing needs a display; text still needs fonts.
    if (line->headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!hasDisplay())
        return fail(QStringLiteral("no display for the on-air monitor; use --headless"));
    for (const QString& warning : line->warnings)
        std::fprintf(stderr, "homeplate-cg: %s\n", qPrintable(warning));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("homeplate-cg"));

    hp::cg::ServerState state;
    state.setPreviewFolder(line->previews);
    // The connection string may hold a password: it may come from the
    // environment rather than the command line, which every user can read.
    state.setDatabase(line->database.isEmpty() ? qEnvironmentVariable("HOMEPLATE_CG_DATABASE")
                                               : line->database);
    if (!line->project.isEmpty()) {
        const auto opened = state.execute(17, line->project);
        if (opened.result < 0)
            return fail(opened.error);
    }
    hp::cg::CgServer server(state);
    if (!line->log.isEmpty() && !server.setLog(line->log))
        return fail(QStringLiteral("cannot write %1").arg(line->log));
    if (!server.listen(line->address, line->port))
        return fail(QStringLiteral("cannot listen on %1:%2: %3")
                        .arg(line->address.toString())
                        .arg(line->port)
                        .arg(server.errorString()));
    std::fprintf(stderr, "homeplate-cg: listening on %s:%u\n", qPrintable(line->address.toString()),
                 unsigned(server.port()));

    hp::cg::http::ProgramHttp programHttp(state);
    if (line->http) {
        if (!programHttp.listen(line->httpAddress, line->httpPort, line->httpToken))
            return fail(QStringLiteral("cannot serve http on %1:%2: %3")
                            .arg(line->httpAddress.toString())
                            .arg(line->httpPort)
                            .arg(programHttp.errorString()));
        std::fprintf(stderr, "homeplate-cg: program for browsers on http://%s:%u/program\n",
                     qPrintable(line->httpAddress.toString()), unsigned(programHttp.port()));
    }

    std::unique_ptr<hp::cg::ProgramMonitor> monitor;
    if (!line->headless) {
        monitor = std::make_unique<hp::cg::ProgramMonitor>(state);
        monitor->show();
        QApplication::setQuitOnLastWindowClosed(true);
    }
    return app.exec();
}
