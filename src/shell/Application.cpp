#include "Application.h"

#include "CgLink.h"
#include "Clock.h"
#include "ConnectionDialog.h"
#include "EventLog.h"
#include "InitDb.h"
#include "Navigator.h"
#include "QtDialogs.h"
#include "RemoteServer.h"
#include "ScriptedDialogs.h"
#include "SettingsStore.h"
#include "WindowWatcher.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFontDatabase>
#include <cstdio>

namespace hp::shell {

namespace {

void chooseFont(QApplication& app)
{
    // Prefer a Traditional Chinese face; fall back on whatever CJK face is there.
    const QStringList preferred{QStringLiteral("Noto Sans CJK TC"), QStringLiteral("Noto Sans TC"),
                                QStringLiteral("WenQuanYi Zen Hei"),
                                QStringLiteral("Noto Sans CJK SC")};
    const QStringList families = QFontDatabase::families();
    for (const QString& f : preferred) {
        if (families.contains(f)) {
            QFont font(f);
            font.setPointSize(10);
            app.setFont(font);
            return;
        }
    }
}

int fail(const QString& text)
{
    std::fprintf(stderr, "homeplate: %s\n", qPrintable(text));
    return 2;
}

} // namespace

struct InitDbOptions {
    QCommandLineOption init{QStringLiteral("init-db"),
                            QStringLiteral("Create the tables of a new database and exit."),
                            QStringLiteral("CONNECTION")};
    QCommandLineOption demo{QStringLiteral("demo"),
                            QStringLiteral("With --init-db: fill the fictional demo season.")};
};

// --init-db runs without windows, so it needs no display.
int runInitDb(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const InitDbOptions options;
    parser.addOptions({options.init, options.demo});
    parser.addHelpOption();
    parser.process(app);
    return initDatabase(parser.value(options.init), parser.isSet(options.demo));
}

bool wantsInitDb(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--init-db") == 0 || qstrncmp(argv[i], "--init-db=", 10) == 0)
            return true;
    return false;
}

int runApplication(int argc, char* argv[])
{
    if (wantsInitDb(argc, argv))
        return runInitDb(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("homeplate"));
    QApplication::setOrganizationName(QStringLiteral("homeplate"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Homeplate, the baseball graphics console"));
    parser.addHelpOption();
    const QCommandLineOption settingsOpt(QStringLiteral("settings"),
                                         QStringLiteral("Settings file."), QStringLiteral("FILE"));
    const QCommandLineOption backendOpt(
        QStringLiteral("cg-backend"),
        QStringLiteral("CG client: tcp, library:PATH or record:FILE."), QStringLiteral("BACKEND"),
        QStringLiteral("tcp"));
    const QCommandLineOption remoteOpt(QStringLiteral("remote"),
                                       QStringLiteral("Serve remote control on 127.0.0.1:PORT."),
                                       QStringLiteral("PORT"));
    const QCommandLineOption automationOpt(
        QStringLiteral("automation"),
        QStringLiteral("Scripted dialogs: messages become events, answers come over --remote."));
    // Listed for --help; a command line with --init-db never gets here.
    const InitDbOptions initDb;
    parser.addOptions(
        {settingsOpt, backendOpt, remoteOpt, automationOpt, initDb.init, initDb.demo});
    parser.process(app);

    chooseFont(app);

    auto net = cglink::makeQpxNet(parser.value(backendOpt));
    if (!net)
        return fail(net.error());

    app::SettingsStore settings(app::SettingsStore::resolveFileName(parser.value(settingsOpt)));
    app::SystemClock clock;
    app::EventLog events;
    std::unique_ptr<app::OperatorDialogs> dialogs;
    app::ScriptedDialogs* scripted = nullptr;
    if (parser.isSet(automationOpt)) {
        auto s = std::make_unique<app::ScriptedDialogs>(events);
        scripted = s.get();
        dialogs = std::move(s);
    } else {
        dialogs = std::make_unique<app::QtDialogs>(&db::ConnectionDialog::ask);
    }
    cglink::CgLink cg(net.value());

    remote::WindowWatcher watcher(events, nullptr);
    std::unique_ptr<remote::RemoteServer> remoteServer;
    if (parser.isSet(remoteOpt)) {
        bool ok = false;
        const uint port = parser.value(remoteOpt).toUInt(&ok);
        if (!ok || port > 65535)
            return fail(QStringLiteral("--remote takes a port number"));
        remoteServer = std::make_unique<remote::RemoteServer>(events, scripted);
        if (!remoteServer->listen(quint16(port)))
            return fail(QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                            .arg(port)
                            .arg(remoteServer->errorString()));
        std::fprintf(stderr, "homeplate: remote control on 127.0.0.1:%u\n",
                     unsigned(remoteServer->port()));
    }

    Navigator navigator(app::Services{settings, *dialogs, clock, cg},
                        Navigator::defaultPositionsFile());
    navigator.showStart();
    return app.exec();
}

} // namespace hp::shell
