#include "ConsoleLaunch.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

// The real program, started as an operator's script would start it, driven
// over its remote-control port.
class TstRemoteProcess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        const QString bin = qEnvironmentVariable("HOMEPLATE_BINARY");
        QVERIFY2(QFile::exists(bin), "HOMEPLATE_BINARY is not set");
        m_port = hp::test::freeLoopbackPort();
        m_record = m_dir.filePath(QStringLiteral("cg.jsonl"));
        hp::test::startConsoleProgram(m_process, m_port, m_record,
                                      m_dir.filePath(QStringLiteral("s.ini")));
        QVERIFY(m_process.waitForStarted());
        QVERIFY(connectClient(m_socket));
    }

    void cleanupTestCase()
    {
        m_socket.abort();
        m_process.kill();
        m_process.waitForFinished();
    }

    void continueGameThenClearWithF2()
    {
        QCOMPARE(call(m_socket, R"({"id":1,"op":"windows"})")[QStringLiteral("windows")]
                     .toArray()
                     .size(),
                 1);
        call(m_socket, R"({"op":"answer","kind":"connection","value":null})");
        QVERIFY(call(m_socket,
                     R"({"op":"act","window":"mStart","control":"Command2","action":"click"})")
                    [QStringLiteral("ok")]
                        .toBool());
        const QJsonArray events =
            call(m_socket, R"({"op":"events"})")[QStringLiteral("events")].toArray();
        QStringList titles;
        for (const QJsonValue& e : events)
            if (e[QStringLiteral("kind")] == QStringLiteral("message"))
                titles << e[QStringLiteral("title")].toString();
        QCOMPARE(titles,
                 (QStringList{QStringLiteral("請設定資料庫"), QStringLiteral("尚未開啟範本")}));
        QVERIFY(
            call(
                m_socket,
                R"({"op":"act","window":"Baseball_Beat","control":"Baseball_Beat","action":"key","key":"F2"})")
                [QStringLiteral("ok")]
                    .toBool());

        // The program's CG link writes the record on a thread of its own, just after.
        auto last = [this] {
            QFile record(m_record);
            if (!record.open(QIODevice::ReadOnly))
                return QJsonObject();
            const QList<QByteArray> lines = record.readAll().trimmed().split('\n');
            return QJsonDocument::fromJson(lines.last()).object();
        };
        QTRY_COMPARE(last()[QStringLiteral("text")].toString(), QStringLiteral("-1"));
        QCOMPARE(last()[QStringLiteral("fn")].toString(), QStringLiteral("SendCommand"));
        QCOMPARE(last()[QStringLiteral("code")].toInt(-1), 0);
    }

    void malformedLineKeepsTheConnectionOpen()
    {
        const QJsonObject bad = call(m_socket, "this is not json");
        QCOMPARE(bad[QStringLiteral("ok")].toBool(true), false);
        QCOMPARE(call(m_socket, R"({"id":"x","op":"windows"})")[QStringLiteral("id")].toString(),
                 QStringLiteral("x"));
    }

    void secondClientAfterTheFirstLeaves()
    {
        m_socket.disconnectFromHost();
        QTcpSocket second;
        QVERIFY(connectClient(second));
        QVERIFY(call(second, R"({"op":"windows"})")[QStringLiteral("ok")].toBool());
    }

private:
    bool connectClient(QTcpSocket& socket)
    {
        for (int i = 0; i < 100; ++i) {
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(200))
                return true;
            socket.abort();
            QTest::qWait(100);
        }
        return false;
    }

    QJsonObject call(QTcpSocket& socket, const QByteArray& line)
    {
        socket.write(line + '\n');
        socket.waitForBytesWritten(2000);
        while (!socket.canReadLine())
            if (!socket.waitForReadyRead(10000))
                return {};
        return QJsonDocument::fromJson(socket.readLine()).object();
    }

    QTemporaryDir m_dir;
    QString m_record;
    QProcess m_process;
    QTcpSocket m_socket;
    quint16 m_port = 0;
};

QTEST_GUILESS_MAIN(TstRemoteProcess)
#include "tst_remote_process.moc"
