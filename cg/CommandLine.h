#pragma once

#include "Result.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

// homeplate-cg's command line, read before anything needs a display.
namespace hp::cg {

struct CommandLine {
    bool help = false;
    bool version = false;
    QHostAddress address;
    quint16 port = 0;
    bool headless = false;
    QString log;
    QString project;
    QString previews;
    QString database;  // replaces the projects' own connection strings
    bool http = false; // the program for browsers
    QHostAddress httpAddress;
    quint16 httpPort = 0;
    QString httpToken;
    QStringList warnings; // to be printed before the server starts
};

// The arguments as main() has them, program name first.
Result<CommandLine> parseCommandLine(const QStringList& arguments);
QString helpText();
QString versionText();
// Why listening on this address deserves a warning, or nothing for loopback.
QString listenWarning(const QHostAddress& address);

} // namespace hp::cg
