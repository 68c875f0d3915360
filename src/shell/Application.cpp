#include "Application.h"

#include "BoxScore.h"

#include "CgLink.h"
#include "Clock.h"
#include "ConnectionDialog.h"
#include "ConsoleFeed.h"
#include "EventLog.h"
#include "FeedServer.h"
#include "GameLog.h"
#include "InitDb.h"
#include "Navigator.h"
#include "QtDialogs.h"
#include "QtTranslations.h"
#include "RemoteServer.h"
#include "RosterCommand.h"
#include "ScriptedDialogs.h"
#include "SettingsStore.h"
#include "WindowWatcher.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLockFile>
#include <csignal>
#include <cstdio>
#include <utility>

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

// The box score of the game in the database, dated today.
int writeReport(const QString& connection, const QString& html, const QString& csv)
{
    const auto d = db::Database::open(connection);
    if (!d) {
        std::fprintf(stderr, "homeplate: %s\n", qPrintable(d.error()));
        return 1;
    }
    const auto box = report::readBoxScore(**d, QDate::currentDate());
    if (!box) {
        std::fprintf(stderr, "homeplate: %s\n", qPrintable(box.error()));
        return 1;
    }
    const auto written = report::writeBoxScore(*box, html, csv);
    if (!written) {
        std::fprintf(stderr, "homeplate: %s\n", qPrintable(written.error()));
        return 1;
    }
    for (const QString& path : *written)
        std::printf("%s\n", qPrintable(path));
    return 0;
}

// The play log of the game in the database as one CSV table.
int exportLog(const QString& connection, const QString& file)
{
    const auto d = db::Database::open(connection);
    if (!d) {
        std::fprintf(stderr, "homeplate: %s\n", qPrintable(d.error()));
        return 1;
    }
    if (const auto written = report::writePlayLog(**d, file); !written) {
        std::fprintf(stderr, "homeplate: %s\n", qPrintable(written.error()));
        return 1;
    }
    std::printf("%s\n", qPrintable(file));
    return 0;
}

// Every option of the program. The command line is parsed before any
// application object exists: --help, --version and --init-db need no display.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption settings{QStringLiteral("settings"), QStringLiteral("Settings file."),
                                QStringLiteral("FILE")};
    QCommandLineOption backend{QStringLiteral("cg-backend"),
                               QStringLiteral("CG client: tcp, library:PATH or record:FILE."),
                               QStringLiteral("BACKEND"), QStringLiteral("tcp")};
    QCommandLineOption remote{QStringLiteral("remote"),
                              QStringLiteral("Serve remote control on 127.0.0.1:PORT."),
                              QStringLiteral("PORT")};
    QCommandLineOption feed{QStringLiteral("feed"),
                            QStringLiteral("Serve the game as JSON and XML on 127.0.0.1:PORT."),
                            QStringLiteral("PORT")};
    QCommandLineOption automation{
        QStringLiteral("automation"),
        QStringLiteral("Scripted dialogs: messages become events, answers come over --remote.")};
    QCommandLineOption initDb{QStringLiteral("init-db"),
                              QStringLiteral("Create the tables of a new database and exit."),
                              QStringLiteral("CONNECTION")};
    QCommandLineOption demo{QStringLiteral("demo"),
                            QStringLiteral("With --init-db: fill the fictional demo season.")};
    QCommandLineOption importRoster{
        QStringLiteral("import-roster"),
        QStringLiteral("Load the season rosters from CSV files (FILE.csv... after the options) "
                       "and exit."),
        QStringLiteral("CONNECTION")};
    QCommandLineOption exportRoster{
        QStringLiteral("export-roster"),
        QStringLiteral("Write the season rosters as CSV files to FOLDER and exit."),
        QStringLiteral("CONNECTION")};
    QCommandLineOption report{
        QStringLiteral("report"),
        QStringLiteral("Write the box score of the game in the database and exit."),
        QStringLiteral("CONNECTION")};
    QCommandLineOption exportLog{
        QStringLiteral("export-log"),
        QStringLiteral("Write the play log of the game as a CSV file (FILE.csv after the options) "
                       "and exit."),
        QStringLiteral("CONNECTION")};
    QCommandLineOption html{QStringLiteral("html"),
                            QStringLiteral("With --report: the page (XHTML) to write."),
                            QStringLiteral("FILE")};
    QCommandLineOption csv{QStringLiteral("csv"),
                           QStringLiteral("With --report: the folder for the CSV tables."),
                           QStringLiteral("FOLDER")};
    QCommandLineOption dryRun{QStringLiteral("dry-run"),
                              QStringLiteral("With --import-roster: print what would change, "
                                             "write nothing.")};
};

std::optional<quint16> portValue(const QCommandLineParser& parser, const QCommandLineOption& option)
{
    bool ok = false;
    const uint port = parser.value(option).toUInt(&ok);
    if (!ok || port > 65535)
        return std::nullopt;
    return quint16(port);
}

QString helpText(const QCommandLineParser& parser)
{
    // Without an application object the parser cannot name the program.
    return parser.helpText().replace(QStringLiteral("<executable_name>"),
                                     QStringLiteral("homeplate"));
}

int runConsole(int argc, char* argv[], const QCommandLineParser& parser, const Options& options)
{
    QApplication app(argc, argv);
    chooseFont(app);
    if (!app::installQtTranslations(app))
        std::fprintf(stderr, "homeplate: Qt's Traditional Chinese texts are not installed; "
                             "Qt's own dialogs stay in English\n");

    auto net = cglink::makeQpxNet(parser.value(options.backend));
    if (!net)
        return fail(net.error());

    app::SettingsStore settings(
        app::SettingsStore::resolveFileName(parser.value(options.settings)));
    // One console per settings file: two would write one journal and one
    // game's keys over each other. A lock left by a process that died is
    // taken over.
    // (QSettings itself locks "FILE.lock" while it writes: another name.)
    QLockFile lock(settings.fileName() + QStringLiteral(".console.lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        qint64 pid = 0;
        QString host, application;
        QString text = QStringLiteral("cannot lock the settings file %1").arg(settings.fileName());
        if (lock.error() == QLockFile::LockFailedError &&
            lock.getLockInfo(&pid, &host, &application))
            text = QStringLiteral("the settings file %1 is in use by process %2 on %3 (%4); "
                                  "one console per settings file")
                       .arg(settings.fileName(), QString::number(pid), host, application);
        std::fprintf(stderr, "homeplate: %s\n", qPrintable(text));
        return 1;
    }
    // A settings write cut short by a kill leaves the settings' own lock
    // file behind, perhaps still empty, so that no owner can be checked and
    // the next write waits half a minute for it to age. With the console's
    // lock held nothing else writes the file: the lock left is stale.
    if (QLockFile written(settings.fileName() + QStringLiteral(".lock"));
        QFile::exists(settings.fileName() + QStringLiteral(".lock")))
        written.removeStaleLockFile();
    // A journal write past a file-size limit fails as a write, instead of
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    app::SystemClock clock;
    app::EventLog events;
    std::unique_ptr<app::OperatorDialogs> dialogs;
    app::ScriptedDialogs* scripted = nullptr;
    if (parser.isSet(options.automation)) {
        auto s = std::make_unique<app::ScriptedDialogs>(events);
        scripted = s.get();
        dialogs = std::move(s);
    } else {
        dialogs = std::make_unique<app::QtDialogs>(&db::ConnectionDialog::ask);
    }
    // The link's thread holds the only copy of the backend: its sockets end with that thread.
    cglink::CgLink cg(std::move(net.value()));

    remote::WindowWatcher watcher(events, nullptr);
    std::unique_ptr<remote::RemoteServer> remoteServer;
    if (parser.isSet(options.remote)) {
        const auto port = portValue(parser, options.remote);
        if (!port)
            return fail(QStringLiteral("--remote takes a port number"));
        remoteServer = std::make_unique<remote::RemoteServer>(events, scripted);
        if (!remoteServer->listen(*port))
            return fail(QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                            .arg(*port)
                            .arg(remoteServer->errorString()));
        std::fprintf(stderr, "homeplate: remote control on 127.0.0.1:%u\n",
                     unsigned(remoteServer->port()));
    }
    std::unique_ptr<feed::FeedServer> feedServer;
    std::unique_ptr<feed::ConsoleFeed> consoleFeed;
    if (parser.isSet(options.feed)) {
        const auto port = portValue(parser, options.feed);
        if (!port)
            return fail(QStringLiteral("--feed takes a port number"));
        feedServer = std::make_unique<feed::FeedServer>();
        if (!feedServer->listen(*port))
            return fail(QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                            .arg(*port)
                            .arg(feedServer->errorString()));
        consoleFeed = std::make_unique<feed::ConsoleFeed>(*feedServer);
        std::fprintf(stderr, "homeplate: game feed on http://127.0.0.1:%u/game.json\n",
                     unsigned(feedServer->port()));
    }

    Navigator navigator(app::Services{settings, *dialogs, clock, cg},
                        Navigator::defaultPositionsFile());
    navigator.showStart();
    return app.exec();
}

} // namespace

int runApplication(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("homeplate"));
    QCoreApplication::setOrganizationName(QStringLiteral("homeplate"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOMEPLATE_VERSION));

    const Options options;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Homeplate, the baseball graphics console\n\n"
                       "  homeplate [--settings FILE] [--cg-backend BACKEND] [--remote PORT] "
                       "[--automation] [--feed PORT]\n"
                       "  homeplate --init-db CONNECTION [--demo]\n"
                       "  homeplate --import-roster CONNECTION [--dry-run] FILE.csv...\n"
                       "  homeplate --export-roster CONNECTION FOLDER\n"
                       "  homeplate --report CONNECTION [--html FILE] [--csv FOLDER]\n"
                       "  homeplate --export-log CONNECTION FILE.csv"));
    parser.addOptions({options.help, options.version, options.settings, options.backend,
                       options.remote, options.feed, options.automation, options.initDb,
                       options.demo, options.importRoster, options.exportRoster, options.dryRun,
                       options.report, options.exportLog, options.html, options.csv});
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments))
        return fail(parser.errorText() + QStringLiteral(" (homeplate --help lists the options)"));
    if (parser.isSet(options.help)) {
        std::fputs(qPrintable(helpText(parser)), stdout);
        return 0;
    }
    if (parser.isSet(options.version)) {
        std::printf("homeplate %s\n", HOMEPLATE_VERSION);
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(options.dryRun) && !parser.isSet(options.importRoster))
        return fail(QStringLiteral("--dry-run goes with --import-roster"));
    if (parser.isSet(options.importRoster) && parser.isSet(options.exportRoster))
        return fail(QStringLiteral("--import-roster and --export-roster go one at a time"));
    if (parser.isSet(options.importRoster)) {
        if (positional.isEmpty())
            return fail(QStringLiteral("--import-roster needs the CSV files after the options"));
        const QCoreApplication app(argc, argv);
        return importRoster(parser.value(options.importRoster), positional,
                            parser.isSet(options.dryRun));
    }
    if (parser.isSet(options.exportRoster)) {
        if (positional.size() != 1)
            return fail(QStringLiteral("--export-roster needs one FOLDER after the options"));
        const QCoreApplication app(argc, argv);
        return exportRoster(parser.value(options.exportRoster), positional.first());
    }
    if (parser.isSet(options.exportLog)) {
        if (positional.size() != 1)
            return fail(QStringLiteral("--export-log needs one FILE.csv after the options"));
        const QCoreApplication app(argc, argv);
        return exportLog(parser.value(options.exportLog), positional.first());
    }
    if (!positional.isEmpty())
        return fail(QStringLiteral("unexpected argument: ") + positional.first());
    if ((parser.isSet(options.html) || parser.isSet(options.csv)) && !parser.isSet(options.report))
        return fail(QStringLiteral("--html and --csv go with --report"));
    if (parser.isSet(options.report)) {
        if (!parser.isSet(options.html) && !parser.isSet(options.csv))
            return fail(QStringLiteral("--report needs --html FILE or --csv FOLDER"));
        const QCoreApplication app(argc, argv);
        return writeReport(parser.value(options.report), parser.value(options.html),
                           parser.value(options.csv));
    }
    if (parser.isSet(options.initDb)) {
        // No windows: the database drivers need only the core application.
        const QCoreApplication app(argc, argv);
        return initDatabase(parser.value(options.initDb), parser.isSet(options.demo));
    }
    if (parser.isSet(options.demo))
        return fail(QStringLiteral("--demo goes with --init-db"));
    return runConsole(argc, argv, parser, options);
}

} // namespace hp::shell
