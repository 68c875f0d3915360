#include "CgLink.h"
#include "Cp950.h"
#include "TcpQpxNet.h"
#include "WireProtocol.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace hp::cglink;

// A real homeplate-cg on a free loopback port, talked to by the console's tcp
// backend and by a misbehaving client.
class TstCgProcess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("HOMEPLATE_LOOPBACK_ONLY", "1");
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        m_port = probe.serverPort();
        probe.close();
        m_log = m_dir.filePath(QStringLiteral("cg.jsonl"));
        m_server.setProcessChannelMode(QProcess::ForwardedChannels);
        m_server.start(QStringLiteral(CG_BINARY),
                       {QStringLiteral("--headless"), QStringLiteral("--listen"),
                        QStringLiteral("127.0.0.1:%1").arg(m_port), QStringLiteral("--log"),
                        m_log});
        QVERIFY(m_server.waitForStarted());
        for (int i = 0; i < 100 && !m_up; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, m_port);
            m_up = s.waitForConnected(200);
            if (!m_up)
                QTest::qWait(100);
        }
        QVERIFY(m_up);
    }

    void cleanupTestCase()
    {
        m_server.terminate();
        m_server.waitForFinished(3000);
    }

    void consoleBackendRoundTrip()
    {
        CgLink link(std::make_shared<TcpQpxNet>());
        QVERIFY(link.connectTo(QStringLiteral("127.0.0.1:%1").arg(m_port)) >= 1);
        QVERIFY(link.isUp());
        QString project = QStringLiteral(DEMO_PROJECT);
        QCOMPARE(link.sendKeeping(17, project), 1);
        QCOMPARE(project, QStringLiteral(DEMO_PROJECT));
        QCOMPARE(
            link.send(9, QStringLiteral("[BYNAME][基本資料][2]EFFECT\r\n[NAME][0][歐'尼爾 ]x[\r\n"
                                        "第二行]\r\n[NO][0][13]\r\n")),
            1);
        const QString bmp = m_dir.filePath(QStringLiteral("TempImageA.BMP"));
        QCOMPARE(link.send(24, QStringLiteral("[BYNAME][基本資料][%1][A][BMP]\r\n").arg(bmp)), 1);
        QCOMPARE(QImage(bmp).size(), QSize(720, 486)); // in place when the reply came
        QCOMPARE(link.send(24, QStringLiteral("[BYNAME][基本資料][%1/none/x.BMP][A][BMP]\r\n")
                                   .arg(m_dir.path())),
                 -1);
        QCOMPARE(link.send(20, QStringLiteral("[BYNAME][沒有這頁][0][E]\r\n")), -1);
        QVERIFY(link.isUp()); // a refused command costs nothing more

        QFile log(m_log);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
        const QJsonObject load = QJsonDocument::fromJson(lines[1]).object();
        QCOMPARE(load[QStringLiteral("fn")].toString(), QStringLiteral("SendCommand"));
        QCOMPARE(load[QStringLiteral("code")].toInt(), 9);
        QVERIFY(load[QStringLiteral("text")].toString().contains(
            QStringLiteral("歐'尼爾 ]x[\r\n第二行")));
    }

    void badClientsCostOnlyTheirOwnConnection()
    {
        // An absurd length: the server closes that connection.
        QTcpSocket absurd;
        absurd.connectToHost(QHostAddress::LocalHost, m_port);
        QVERIFY(absurd.waitForConnected(2000));
        absurd.write(QByteArray("\x7f\xff\xff\xff", 4));
        QVERIFY(absurd.waitForDisconnected(3000));

        // An unknown operation and a text that is not code page 950: error replies.
        QTcpSocket odd;
        odd.connectToHost(QHostAddress::LocalHost, m_port);
        QVERIFY(odd.waitForConnected(2000));
        QCOMPARE(exchange(odd, QByteArray("X\0\0\0\x09", 5)), -2);
        QByteArray bad("S\0\0\0\x09", 5);
        bad += "[BYNAME][SBO][1]EFFECT\r\n[S][0][\xa4\x20]\r\n";
        QCOMPARE(exchange(odd, bad), -1);

        // A truncated frame, then the client leaves.
        QTcpSocket cut;
        cut.connectToHost(QHostAddress::LocalHost, m_port);
        QVERIFY(cut.waitForConnected(2000));
        cut.write(QByteArray("\0\0\0\x40S\0\0", 7));
        cut.waitForBytesWritten(1000);
        cut.abort();

        // The next client is served.
        CgLink link(std::make_shared<TcpQpxNet>());
        QVERIFY(link.connectTo(QStringLiteral("127.0.0.1:%1").arg(m_port)) >= 1);
        QVERIFY(link.isUp());
        QCOMPARE(link.send(0, QStringLiteral("-1")), 1);
        QCOMPARE(m_server.state(), QProcess::Running);
    }

private:
    static qint32 exchange(QTcpSocket& s, const QByteArray& payload)
    {
        QByteArray frame(4, '\0');
        qToBigEndian(qint32(payload.size()), frame.data());
        s.write(frame + payload);
        QByteArray in;
        while (in.size() < 8) {
            if (!s.waitForReadyRead(3000))
                return 99;
            in += s.readAll();
        }
        return qFromBigEndian<qint32>(in.constData() + 4);
    }

    QTemporaryDir m_dir;
    QString m_log;
    QProcess m_server;
    quint16 m_port = 0;
    bool m_up = false;
};

QTEST_GUILESS_MAIN(TstCgProcess)
#include "tst_cg_process.moc"
