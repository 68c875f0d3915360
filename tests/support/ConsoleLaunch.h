#pragma once

#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>

namespace hp::test {

// A port on 127.0.0.1 that was free a moment ago, for a child to listen on.
inline quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

// Starts the program of HOMEPLATE_BINARY as a script would: offscreen, on
// loopback only, its remote control on `port`, its CG commands recorded to
// `record`, with a settings file of its own.
inline void startConsoleProgram(QProcess& process, quint16 port, const QString& record,
                                const QString& settings)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOMEPLATE_LOOPBACK_ONLY"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(qEnvironmentVariable("HOMEPLATE_BINARY"),
                  {QStringLiteral("--automation"), QStringLiteral("--remote"),
                   QString::number(port), QStringLiteral("--cg-backend"),
                   QStringLiteral("record:") + record, QStringLiteral("--settings"), settings});
}

} // namespace hp::test
