#include "CommandLine.h"

#include "ConnectionString.h"
#include "WireProtocol.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace hp::cg {

namespace {

struct Parser {
    QCommandLineParser parser;
    const QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit.")};
    const QCommandLineOption version{QStringLiteral("version"),
                                     QStringLiteral("Show the version and exit.")};
    const QCommandLineOption listen{QStringLiteral("listen"),
                                    QStringLiteral("Address and port (default 127.0.0.1:7250)."),
                                    QStringLiteral("ADDR:PORT"), QStringLiteral("127.0.0.1:7250")};
    const QCommandLineOption headless{QStringLiteral("headless"),
                                      QStringLiteral("Run without the on-air monitor.")};
    const QCommandLineOption log{QStringLiteral("log"),
                                 QStringLiteral("Write every command received as JSON lines."),
                                 QStringLiteral("FILE")};
    const QCommandLineOption project{QStringLiteral("project"),
                                     QStringLiteral("Open this template project at start."),
                                     QStringLiteral("FILE")};
    const QCommandLineOption previews{
        QStringLiteral("previews"),
        QStringLiteral("Write previews only inside this folder (default: the open project's)."),
        QStringLiteral("DIR")};
    const QCommandLineOption database{
        QStringLiteral("database"),
        QStringLiteral("Game database of the pages' queries, in place of the project's."),
        QStringLiteral("CONNECTION")};

    const QCommandLineOption http{
        QStringLiteral("http"),
        QStringLiteral("Serve the program to browsers on PORT or ADDR:PORT (127.0.0.1 unless "
                       "ADDR says otherwise); read only."),
        QStringLiteral("ADDR:PORT")};
    const QCommandLineOption httpToken{
        QStringLiteral("http-token"),
        QStringLiteral("With --http: requests must carry ?token=T (needed off loopback)."),
        QStringLiteral("T")};

    Parser()
    {
        parser.setApplicationDescription(QStringLiteral("Homeplate's virtual CG server"));
        parser.addOptions(
            {help, version, listen, headless, log, project, previews, database, http, httpToken});
    }
};

} // namespace

Result<CommandLine> parseCommandLine(const QStringList& arguments)
{
    using R = Result<CommandLine>;
    Parser p;
    if (!p.parser.parse(arguments))
        return R::failure(p.parser.errorText());
    if (!p.parser.positionalArguments().isEmpty())
        return R::failure(QStringLiteral("unexpected argument %1")
                              .arg(p.parser.positionalArguments().constFirst()));
    CommandLine line;
    line.help = p.parser.isSet(p.help);
    line.version = p.parser.isSet(p.version);
    if (line.help || line.version)
        return line;
    const auto endpoint = cglink::wire::parseEndpoint(p.parser.value(p.listen));
    line.address = QHostAddress(endpoint ? endpoint->host : QString());
    if (!endpoint || line.address.isNull())
        return R::failure(QStringLiteral("--listen takes ADDR:PORT with a numeric address"));
    line.port = endpoint->port;
    line.headless = p.parser.isSet(p.headless);
    line.log = p.parser.value(p.log);
    line.project = p.parser.value(p.project);
    line.database = p.parser.value(p.database);
    if (p.parser.isSet(p.database)) {
        if (const auto parsed = db::parseConnectionString(line.database); !parsed)
            return R::failure(QStringLiteral("--database: %1").arg(parsed.error()));
    }
    if (p.parser.isSet(p.previews)) {
        const QFileInfo previews(p.parser.value(p.previews));
        if (!previews.isDir())
            return R::failure(
                QStringLiteral("--previews %1 is not a folder").arg(p.parser.value(p.previews)));
        line.previews = previews.absoluteFilePath();
    }
    if (const QString warning = listenWarning(line.address); !warning.isEmpty())
        line.warnings << warning;
    if (p.parser.isSet(p.http)) {
        const QString value = p.parser.value(p.http);
        bool portOnly = false;
        const uint port = value.toUInt(&portOnly);
        const auto http = portOnly ? std::nullopt : cglink::wire::parseEndpoint(value);
        line.httpAddress = portOnly ? QHostAddress(QHostAddress::LocalHost)
                                    : QHostAddress(http ? http->host : QString());
        if ((portOnly && port > 65535) || (!portOnly && (!http || line.httpAddress.isNull())))
            return R::failure(
                QStringLiteral("--http takes PORT or ADDR:PORT with a numeric address"));
        line.httpPort = portOnly ? quint16(port) : http->port;
        line.http = true;
        line.httpToken = p.parser.value(p.httpToken);
        if (!line.httpAddress.isLoopback()) {
            if (line.httpToken.isEmpty())
                return R::failure(QStringLiteral("--http on %1 needs --http-token T")
                                      .arg(line.httpAddress.toString()));
            line.warnings << QStringLiteral("warning: serving the program on %1, reachable from "
                                            "other machines that know the token")
                                 .arg(line.httpAddress.toString());
        }
    } else if (p.parser.isSet(p.httpToken)) {
        return R::failure(QStringLiteral("--http-token goes with --http"));
    }
    return line;
}

QString helpText()
{
    // Qt names the program only once an application object exists; the help
    // is printed before there is one.
    Parser p;
    const QString text = p.parser.helpText();
    return QStringLiteral("Usage: homeplate-cg [options]") + text.mid(text.indexOf(u'\n'));
}

QString versionText()
{
    return QStringLiteral("homeplate-cg " HOMEPLATE_VERSION);
}

QString listenWarning(const QHostAddress& address)
{
    if (address.isLoopback())
        return {};
    return QStringLiteral("warning: listening on %1, reachable from other machines; the CG "
                          "protocol has no authentication, so anyone who can reach this port "
                          "can put graphics on air and write previews")
        .arg(address.toString());
}

} // namespace hp::cg
