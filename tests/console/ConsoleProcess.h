#pragma once

#include "ConsoleFixture.h"
#include "ConsoleLaunch.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <functional>

namespace hp::test {

// The controls whose values make up what the operator sees of the game.
inline QStringList screenControls()
{
    QStringList names{
        QStringLiteral("Frame1"),      QStringLiteral("SS_Lab"),    QStringLiteral("NameS_Lab"),
        QStringLiteral("StrikeS_txt"), QStringLiteral("SaveS_txt"), QStringLiteral("HomeS_txt"),
        QStringLiteral("PointS_txt"),  QStringLiteral("NameP_Lab"), QStringLiteral("RoundS_txt"),
        QStringLiteral("BallG_txt"),   QStringLiteral("BallB_txt"), QStringLiteral("SaveP_txt"),
        QStringLiteral("OutP_txt"),    QStringLiteral("FourP_txt")};
    for (int i = 1; i <= 3; ++i)
        names << QStringLiteral("SBO_Lab(%1)").arg(i) << QStringLiteral("Base_Check(%1)").arg(i)
              << QStringLiteral("RHE1_txt(%1)").arg(i) << QStringLiteral("RHE2_txt(%1)").arg(i);
    for (int i = 1; i <= 8; ++i)
        names << QStringLiteral("TimesS_txt(%1)").arg(i);
    for (int i = 1; i <= 12; ++i)
        names << QStringLiteral("Score1_txt(%1)").arg(i) << QStringLiteral("Score2_txt(%1)").arg(i);
    return names;
}

// The program as its own process on a game database, driven over its
// remote-control port, and killed without warning.
class Console {
public:
    Console(const QString& settings, const QString& record)
        : m_settings(settings)
        , m_record(record)
    {
    }
    ~Console() { kill(); }

    // Run in the child between fork and exec (limits of its own).
    void setChildModifier(std::function<void()> modifier)
    {
        m_process.setChildProcessModifier(std::move(modifier));
    }

    bool start()
    {
        const quint16 port = freeLoopbackPort();
        startConsoleProgram(m_process, port, m_record, m_settings);
        if (!m_process.waitForStarted())
            return false;
        // A loaded machine may take seconds to bring the program up: the
        // bound is on time, and a program that ended says how.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 30000 && m_process.state() == QProcess::Running) {
            m_socket.connectToHost(QHostAddress::LocalHost, port);
            if (m_socket.waitForConnected(200)) {
                QElapsedTimer opening;
                opening.start();
                const QJsonObject r = act(QStringLiteral("mStart"), QStringLiteral("Command2"),
                                          QStringLiteral("click"));
                if (!ok(r) || opening.elapsed() > 5000)
                    qWarning() << "the console opened in" << opening.elapsed() << "ms:" << r
                               << "state" << m_process.state();
                return ok(r);
            }
            m_socket.abort();
            QTest::qWait(20);
        }
        qWarning() << "no remote control after" << waited.elapsed() << "ms; state"
                   << m_process.state() << "exit code" << m_process.exitCode();
        return false;
    }

    void kill()
    {
        m_socket.abort();
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill(); // SIGKILL: no handler of the program runs
        m_process.waitForFinished(5000);
    }

    QJsonObject call(const QJsonObject& request, bool wait = true)
    {
        m_socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
        m_socket.waitForBytesWritten(2000);
        if (!wait)
            return {};
        QElapsedTimer waited;
        waited.start();
        while (!m_socket.canReadLine())
            if (!m_socket.waitForReadyRead(1000) &&
                (waited.elapsed() > 30000 || m_socket.state() != QAbstractSocket::ConnectedState))
                return {};
        return QJsonDocument::fromJson(m_socket.readLine()).object();
    }
    QJsonObject act(const QString& window, const QString& control, const QString& action,
                    QJsonObject extra = {}, bool wait = true)
    {
        extra.insert(QStringLiteral("op"), QStringLiteral("act"));
        extra.insert(QStringLiteral("window"), window);
        extra.insert(QStringLiteral("control"), control);
        extra.insert(QStringLiteral("action"), action);
        return call(extra, wait);
    }
    // The console's status panels, and the messages shown since the last call
    // as "text/title".
    QStringList panels()
    {
        QStringList out;
        for (const QJsonValue& v : call({{QStringLiteral("op"), QStringLiteral("get")},
                                         {QStringLiteral("window"), test::C},
                                         {QStringLiteral("control"), QStringLiteral("StatusBar1")}})
                                       .value(QStringLiteral("state"))
                                       .toObject()
                                       .value(QStringLiteral("panels"))
                                       .toArray())
            out << v.toString();
        return out;
    }
    QStringList messages()
    {
        QStringList out;
        for (const QJsonValue& e : call({{QStringLiteral("op"), QStringLiteral("events")}})
                                       .value(QStringLiteral("events"))
                                       .toArray())
            if (e[QStringLiteral("kind")] == QStringLiteral("message"))
                out << e[QStringLiteral("text")].toString() + u'/' +
                           e[QStringLiteral("title")].toString();
        return out;
    }
    static bool ok(const QJsonObject& r) { return r.value(QStringLiteral("ok")).toBool(); }
    qint64 pid() const { return m_process.processId(); }

    // What the operator sees: text or tick of every game control.
    QStringList screen()
    {
        const QJsonObject all = call({{QStringLiteral("op"), QStringLiteral("dump")},
                                      {QStringLiteral("window"), test::C}})
                                    .value(QStringLiteral("controls"))
                                    .toObject();
        QStringList out;
        for (const QString& name : screenControls()) {
            const QJsonObject c = all.value(name).toObject();
            out << name + u'=' +
                       (c.value(QStringLiteral("type")).toString() == QStringLiteral("check")
                            ? QString::number(c.value(QStringLiteral("checked")).toInt())
                            : c.value(QStringLiteral("text")).toString());
        }
        return out;
    }
    bool enabled(const QString& control)
    {
        return call({{QStringLiteral("op"), QStringLiteral("get")},
                     {QStringLiteral("window"), test::C},
                     {QStringLiteral("control"), control}})
            .value(QStringLiteral("state"))
            .toObject()
            .value(QStringLiteral("enabled"))
            .toBool();
    }

private:
    QString m_settings;
    QString m_record;
    QProcess m_process;
    QTcpSocket m_socket;
};

} // namespace hp::test
