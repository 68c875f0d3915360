#pragma once

#include "ResidentMemory.h"

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QtEndian>
#include <csignal>
#include <unistd.h>

// A real homeplate-cg, headless, on a free loopback port.
class CgProcess {
public:
    ~CgProcess() { stop(); }

    // limits: shell commands run before the server starts, e.g. "ulimit -n 48".
    // port: 0 for a free one, or the port of a server that was stopped.
    bool start(const QStringList& arguments, const QString& limits = {}, quint16 port = 0)
    {
        m_port = port;
        if (m_port == 0) {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost, 0);
            m_port = probe.serverPort();
            probe.close();
        }
        QStringList args{QStringLiteral("--headless"), QStringLiteral("--listen"),
                         QStringLiteral("127.0.0.1:%1").arg(m_port)};
        args += arguments;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        // A long run logs more than a pipe holds: unread, it would stop the
        // server in the middle of a reply.
        if (m_quiet)
            m_process.setStandardOutputFile(QProcess::nullDevice());
        if (limits.isEmpty()) {
            m_process.start(QStringLiteral(CG_BINARY), args);
        } else {
            m_process.start(QStringLiteral("/bin/sh"),
                            QStringList{QStringLiteral("-c"),
                                        limits + QStringLiteral("; exec \"$0\" \"$@\""),
                                        QStringLiteral(CG_BINARY)} +
                                args);
        }
        if (!m_process.waitForStarted())
            return false;
        for (int i = 0; i < 100 && m_process.state() == QProcess::Running; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, m_port);
            if (s.waitForConnected(200))
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(1000);
        }
    }

    // Ends the server at once, as a crash would.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }

    // Sends a signal to the server (SIGSTOP, SIGCONT).
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }

    // Before start: the server's output is not kept (long runs, benchmarks).
    void setQuiet(bool quiet) { m_quiet = quiet; }
    quint16 port() const { return m_port; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    bool running() const { return m_process.state() == QProcess::Running; }

    // Everything the server printed so far.
    QString output()
    {
        while (m_process.waitForReadyRead(100))
            m_output += m_process.readAll();
        m_output += m_process.readAll();
        return QString::fromUtf8(m_output);
    }

    // The server's processor time in seconds, user and system.
    double cpuSeconds() const
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(m_process.processId()));
        if (!stat.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return (fields.value(11).toDouble() + fields.value(12).toDouble()) /
               double(::sysconf(_SC_CLK_TCK));
    }

    // The server's resident memory in KiB.
    qint64 residentKiB() const
    {
        return hp::test::residentKiBOf(
            QStringLiteral("/proc/%1/status").arg(m_process.processId()));
    }

private:
    QProcess m_process;
    QByteArray m_output;
    bool m_quiet = false;
    quint16 m_port = 0;
};

// One request on a raw connection: the reply's result, or 99 when none came
// within the console's two seconds.
inline qint32 exchange(QTcpSocket& s, const QByteArray& payload, QByteArray* text = nullptr)
{
    QByteArray frame(4, '\0');
    qToBigEndian(qint32(payload.size()), frame.data());
    s.write(frame + payload);
    QByteArray in;
    for (;;) {
        if (in.size() >= 4 && in.size() >= 4 + qFromBigEndian<qint32>(in.constData()))
            break;
        if (!s.waitForReadyRead(2000))
            return 99;
        in += s.readAll();
    }
    if (text)
        *text = in.mid(8, qFromBigEndian<qint32>(in.constData()) - 4);
    return qFromBigEndian<qint32>(in.constData() + 4);
}

// A command payload: operation S, the code, the text in code page 950 (UTF-8
// text here is ASCII or passed through Cp950 by the caller).
inline QByteArray command(qint32 code, const QByteArray& text)
{
    QByteArray payload(5, '\0');
    payload[0] = 'S';
    qToBigEndian(code, payload.data() + 1);
    return payload + text;
}
