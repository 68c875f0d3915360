#include "CgCommands.h"
#include "CgLink.h"
#include "CgProcess.h"
#include "FakeQpxNet.h"
#include "TcpQpxNet.h"

#include <QElapsedTimer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <poll.h>

using namespace hp::cglink;
namespace test = hp::test;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Whether a reply waits unread on the socket, without reading it.
bool replyWaiting(QTcpSocket& s)
{
    pollfd p{int(s.socketDescriptor()), POLLIN, 0};
    return s.bytesAvailable() > 0 || (::poll(&p, 1, 0) == 1 && (p.revents & POLLIN));
}

} // namespace

// A real homeplate-cg on a free loopback port, talked to by the console's tcp
// backend and by misbehaving clients. The template project lives in a folder
// of its own, as `make run` lays it out.
class TstCgProcess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("HOMEPLATE_LOOPBACK_ONLY", "1");
        m_templates = m_dir.filePath(QStringLiteral("templates"));
        QVERIFY(QDir().mkpath(m_templates));
        m_project = m_templates + QStringLiteral("/demo.PRJ");
        QVERIFY(QFile::copy(QStringLiteral(DEMO_PROJECT), m_project));
        m_log = m_dir.filePath(QStringLiteral("cg.jsonl"));
        QVERIFY(m_cg.start({QStringLiteral("--log"), m_log}));
    }

    void consoleBackendRoundTrip()
    {
        CgLink link(std::make_shared<TcpQpxNet>());
        QVERIFY(test::connectWait(link, m_cg.address()) >= 1);
        QVERIFY(test::linkUp(link));
        QString project = m_project;
        QCOMPARE(test::sendWait(link, 17, project), 1);
        QCOMPARE(project, m_project);
        QCOMPARE(
            test::sendWait(link, 9,
                           QStringLiteral("[BYNAME][基本資料][2]EFFECT\r\n[NAME][0][歐'尼爾 ]x[\r\n"
                                          "第二行]\r\n[NO][0][13]\r\n")),
            1);
        // The preview where the console asks for it: in the project's folder.
        const QString folder = templateFolderOf(m_project);
        QCOMPARE(
            test::sendWait(link, 24, previewRequest(QStringLiteral("基本資料"), folder, kPreviewA)),
            1);
        QCOMPARE(QImage(folder + kPreviewA).size(),
                 QSize(720, 486)); // in place when the reply came
        QCOMPARE(test::sendWait(link, 24,
                                previewRequest(QStringLiteral("基本資料"), folder,
                                               QStringLiteral("none/x.BMP"))),
                 -1);
        QCOMPARE(test::sendWait(link, 20, QStringLiteral("[BYNAME][沒有這頁][0][E]\r\n")), -1);
        QVERIFY(test::linkUp(link)); // a refused command costs nothing more

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
        absurd.connectToHost(QHostAddress::LocalHost, m_cg.port());
        QVERIFY(absurd.waitForConnected(2000));
        absurd.write(QByteArray("\x7f\xff\xff\xff", 4));
        QVERIFY(absurd.waitForDisconnected(3000));

        // An unknown operation and a text that is not code page 950: error replies.
        QTcpSocket odd;
        odd.connectToHost(QHostAddress::LocalHost, m_cg.port());
        QVERIFY(odd.waitForConnected(2000));
        QCOMPARE(exchange(odd, QByteArray("X\0\0\0\x09", 5)), -2);
        QCOMPARE(exchange(odd, command(9, "[BYNAME][SBO][1]EFFECT\r\n[S][0][\xa4\x20]\r\n")), -1);

        // A truncated frame, then the client leaves.
        QTcpSocket cut;
        cut.connectToHost(QHostAddress::LocalHost, m_cg.port());
        QVERIFY(cut.waitForConnected(2000));
        cut.write(QByteArray("\0\0\0\x40S\0\0", 7));
        cut.waitForBytesWritten(1000);
        cut.abort();

        // The next client is served.
        CgLink link(std::make_shared<TcpQpxNet>());
        QVERIFY(test::connectWait(link, m_cg.address()) >= 1);
        QVERIFY(test::linkUp(link));
        QCOMPARE(test::sendWait(link, 0, QStringLiteral("-1")), 1);
        QVERIFY(m_cg.running());
    }

    void previewsAndImagesStayInTheProjectFolder()
    {
        QTemporaryDir other;
        const QString elsewhere = other.filePath(QStringLiteral("kept.BMP"));
        writeFile(elsewhere, "keep");
        QVERIFY(QFile::link(elsewhere, m_templates + QStringLiteral("/link.BMP")));
        QVERIFY(QFile::link(other.path(), m_templates + QStringLiteral("/out")));
        QVERIFY(QDir(m_templates).mkdir(QStringLiteral("sub")));
        QImage red(100, 50, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(m_templates + QStringLiteral("/pic.png")));
        QVERIFY(red.save(other.filePath(QStringLiteral("secret.png"))));
        QVERIFY(QFile::link(other.filePath(QStringLiteral("secret.png")),
                            m_templates + QStringLiteral("/leak.png")));
        auto project = [&](const QString& name, const QString& background) {
            const QString path = m_templates + u'/' + name;
            writeFile(path, "page PIC 100 50\nbackground " + background.toUtf8() + "\n");
            return path.toUtf8();
        };

        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, m_cg.port());
        QVERIFY(s.waitForConnected(2000));
        QCOMPARE(exchange(s, command(17, project(QStringLiteral("pic.PRJ"),
                                                 QStringLiteral("image:pic.png")))),
                 1);
        auto preview = [&](const QString& path) {
            return exchange(s, command(24, "[BYNAME][PIC][" + path.toUtf8() + "][A][BMP]\r\n"));
        };
        const QString inside = m_templates + QStringLiteral("/sub/TempImageB.BMP");
        QCOMPARE(preview(inside), 1);
        QCOMPARE(QImage(inside).pixel(10, 10), QColor(Qt::red).rgb()); // the image is drawn

        QCOMPARE(preview(other.filePath(QStringLiteral("x.BMP"))), -1);
        QCOMPARE(preview(m_templates + QStringLiteral("/../x.BMP")), -1);
        QCOMPARE(preview(m_templates + QStringLiteral("/out/y.BMP")), -1);
        QCOMPARE(preview(m_templates + QStringLiteral("/link.BMP")), -1);
        QCOMPARE(preview(QStringLiteral("relative.BMP")), -1);
        QCOMPARE(preview(m_templates), -1);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("x.BMP"))));
        QVERIFY(!QFile::exists(other.filePath(QStringLiteral("x.BMP"))));
        QVERIFY(!QFile::exists(other.filePath(QStringLiteral("y.BMP"))));
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("relative.BMP"))));
        QFile kept(elsewhere);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep"));
        QVERIFY(m_cg.output().contains(QStringLiteral("is a symbolic link")));

        // A background image is read from the project's folder only.
        for (const QString& bg :
             {QStringLiteral("image:../pic.png"),
              QStringLiteral("image:") + m_templates + QStringLiteral("/pic.png"),
              QStringLiteral("image:") + other.filePath(QStringLiteral("secret.png")),
              QStringLiteral("image:leak.png"), QStringLiteral("image:missing.png")})
            QVERIFY2(exchange(s, command(17, project(QStringLiteral("bad.PRJ"), bg))) == -1,
                     qPrintable(bg));
        QVERIFY(m_cg.running());
    }

    void previewFolderGivenOnTheCommandLine()
    {
        QTemporaryDir previews;
        CgProcess cg;
        QVERIFY(cg.start({QStringLiteral("--previews"), previews.path(),
                          QStringLiteral("--project"), m_project}));
        CgLink link(std::make_shared<TcpQpxNet>());
        QVERIFY(test::connectWait(link, cg.address()) >= 1);
        QCOMPARE(
            test::sendWait(
                link, 24, previewRequest(QStringLiteral("SBO"), previews.path() + u'/', kPreviewA)),
            1);
        QVERIFY(QFile::exists(previews.filePath(kPreviewA)));
        QCOMPARE(test::sendWait(
                     link, 24,
                     previewRequest(QStringLiteral("SBO"), templateFolderOf(m_project), kPreviewB)),
                 -1);
        CgProcess wrong;
        QVERIFY(!wrong.start({QStringLiteral("--previews"), m_dir.filePath(QStringLiteral("no"))}));
    }

    void requestsOfAClientThatLeftAreDropped()
    {
        // A page slow enough to keep the server busy while another client gives up.
        QByteArray slow = "canvas 1920 1080\npage SLOW\n";
        for (int i = 0; i < kSlowLayers; ++i)
            slow += "rect " + QByteArray::number(i % 7) + " 0 1920 1080 #30ff8000 #ffffffff\n";
        slow += "page QUICK 100 50\nrect 0 0 10 10 #ffffffff\n";
        const QString path = m_templates + QStringLiteral("/late.PRJ");
        writeFile(path, slow);

        QTcpSocket busy;
        busy.connectToHost(QHostAddress::LocalHost, m_cg.port());
        QVERIFY(busy.waitForConnected(2000));
        QCOMPARE(exchange(busy, command(17, path.toUtf8())), 1);
        const QByteArray preview =
            command(24, "[BYNAME][SLOW][" + m_templates.toUtf8() + "/TempImageA.BMP][A][BMP]\r\n");
        QByteArray length(4, '\0');
        qToBigEndian(qint32(preview.size()), length.data());

        // Valid only if the late client left while the server was still busy;
        // a loaded machine may hold this test back longer than the preview.
        bool whileBusy = false;
        for (int attempt = 0; attempt < 3 && !whileBusy; ++attempt) {
            QTcpSocket late;
            late.connectToHost(QHostAddress::LocalHost, m_cg.port());
            QVERIFY(late.waitForConnected(2000));
            QCOMPARE(exchange(late, QByteArray("P\0\0\0\0", 5)), 1); // taken by the server
            QElapsedTimer clock;
            clock.start();
            busy.write(length + preview);
            QVERIFY(busy.waitForBytesWritten(1000));
            // The console's request, then its timeout: it closes the connection.
            late.write(QByteArray("\0\0\0\x1bS\0\0\0\x04[BYNAME][QUICK][FO][3]", 31));
            QVERIFY(late.waitForBytesWritten(1000));
            late.abort();
            whileBusy = !replyWaiting(busy);
            QVERIFY(busy.waitForReadyRead(10000));
            qInfo("slow preview took %lld ms", qlonglong(clock.elapsed()));
            busy.readAll();
            // Had the late request been acted on, the page would be on air now.
            const qint32 takenOff = exchange(busy, command(5, "[BYNAME][QUICK]"));
            if (whileBusy)
                QCOMPARE(takenOff, 0);
        }
        QVERIFY2(whileBusy, "the preview was too quick to keep the server busy");
        QVERIFY(m_cg.output().contains(QStringLiteral("left before its request")));
    }

    void commandLineNeedsNoDisplay()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        auto run = [&](const QStringList& args, QByteArray* out) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(CG_BINARY), args);
            if (!p.waitForFinished(5000))
                return -100;
            *out = p.readAllStandardOutput() + p.readAllStandardError();
            return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -101;
        };
        QByteArray out;
        QCOMPARE(run({QStringLiteral("--help")}, &out), 0);
        QVERIFY(out.startsWith("Usage: homeplate-cg"));
        QVERIFY(out.contains("--previews <DIR>"));
        QCOMPARE(run({QStringLiteral("--version")}, &out), 0);
        QCOMPARE(out, QByteArray("homeplate-cg " PROJECT_VERSION "\n"));
        QCOMPARE(run({QStringLiteral("--no-such-option")}, &out), 2);
        QVERIFY(out.contains("no-such-option"));
        // Without --headless the monitor needs a display: said, not crashed.
        QCOMPARE(run({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:1")}, &out), 2);
        QVERIFY(out.contains("--headless"));
    }

    void cleanupTestCase() { m_cg.stop(); }

private:
    static constexpr int kSlowLayers = 500;
    QTemporaryDir m_dir;
    QString m_templates;
    QString m_project;
    QString m_log;
    CgProcess m_cg;
};

QTEST_GUILESS_MAIN(TstCgProcess)
#include "tst_cg_process.moc"
