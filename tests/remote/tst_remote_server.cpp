#include "EventLog.h"
#include "RemoteServer.h"

#include <QAction>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTcpSocket>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

using namespace hp;

namespace {

// A window of named controls: Spin runs whatever the test puts in onSpin (a
// handler that waits in a nested event loop, as a modal message does);
// mProbe is a menu command that counts its runs; the labels make a dump large.
class Probe : public QMainWindow {
public:
    explicit Probe(int labels = 0, bool shown = true)
    {
        setObjectName(QStringLiteral("Probe"));
        auto* central = new QWidget(this);
        auto* layout = new QVBoxLayout(central);
        auto* spin = new QPushButton(QStringLiteral("Spin"), central);
        spin->setObjectName(QStringLiteral("Spin"));
        layout->addWidget(spin);
        QObject::connect(spin, &QPushButton::clicked, this, [this] {
            if (onSpin)
                onSpin();
        });
        for (int i = 0; i < labels; ++i) {
            auto* label =
                new QLabel(QStringLiteral("第%1行的說明文字 text of label").arg(i), central);
            label->setObjectName(QStringLiteral("Label(%1)").arg(i));
            layout->addWidget(label);
        }
        setCentralWidget(central);
        action = menuBar()->addMenu(QStringLiteral("Menu"))->addAction(QStringLiteral("Probe"));
        action->setObjectName(QStringLiteral("mProbe"));
        QObject::connect(action, &QAction::triggered, this, [this] { ++runs; });
        if (shown)
            show();
    }

    std::function<void()> onSpin;
    QAction* action = nullptr;
    int runs = 0;
};

QByteArray line(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray windowsRequest(int id)
{
    return line({{QStringLiteral("id"), id}, {QStringLiteral("op"), QStringLiteral("windows")}});
}

QByteArray spinRequest(int id)
{
    return line({{QStringLiteral("id"), id},
                 {QStringLiteral("op"), QStringLiteral("act")},
                 {QStringLiteral("window"), QStringLiteral("Probe")},
                 {QStringLiteral("control"), QStringLiteral("Spin")},
                 {QStringLiteral("action"), QStringLiteral("click")}});
}

// Runs a nested event loop until done() or the time is up; returns done().
bool spinUntil(const std::function<bool()>& done, int timeoutMs = 10000)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

std::unique_ptr<QTcpSocket> connectTo(const remote::RemoteServer& server)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, server.port());
    return socket;
}

QJsonObject readResponse(QTcpSocket& socket, int timeoutMs = 10000)
{
    if (!QTest::qWaitFor([&] { return socket.canReadLine(); }, timeoutMs))
        return {};
    return QJsonDocument::fromJson(socket.readLine()).object();
}

// Every response line the socket has; let stray writes arrive first.
QList<QJsonObject> remainingResponses(QTcpSocket& socket)
{
    QList<QJsonObject> out;
    while (socket.canReadLine())
        out << QJsonDocument::fromJson(socket.readLine()).object();
    return out;
}

int idOf(const QJsonObject& response)
{
    return response.value(QStringLiteral("id")).toInt(-1);
}

} // namespace

// The remote-control server over real loopback sockets, in this process.
class TstRemoteServer : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_server = std::make_unique<remote::RemoteServer>(m_log, nullptr);
        QVERIFY(m_server->listen(0));
    }
    void cleanup()
    {
        m_server.reset();
        m_log.take();
    }

    // A handler that waits in a nested event loop, while many other clients
    // connect and send: everybody is answered, each client in its own order.
    void nestedEventLoopWhileOthersConnect()
    {
        Probe probe;
        auto a = connectTo(*m_server);
        std::vector<std::unique_ptr<QTcpSocket>> others;
        probe.onSpin = [&] {
            for (int i = 0; i < 60; ++i) {
                others.push_back(connectTo(*m_server));
                others.back()->write(windowsRequest(100 + i));
            }
            a->write(windowsRequest(3));
            spinUntil([&] {
                for (const auto& s : others)
                    if (!s->canReadLine())
                        return false;
                return true;
            });
        };
        a->write(spinRequest(1) + windowsRequest(2));
        QList<int> ids;
        for (int i = 0; i < 3; ++i)
            ids << idOf(readResponse(*a));
        QCOMPARE(ids, (QList<int>{1, 2, 3}));
        QCOMPARE(others.size(), size_t(60));
        QTest::qWait(100);
        for (size_t i = 0; i < others.size(); ++i) {
            const QList<QJsonObject> got = remainingResponses(*others[i]);
            QCOMPARE(got.size(), 1);
            QCOMPARE(idOf(got.first()), int(100 + i));
            QVERIFY(got.first().value(QStringLiteral("ok")).toBool());
        }
    }

    // The client leaves while its own request waits in a nested event loop and
    // new clients take its place: no response goes astray, and the server's
    // socket for it, still on the stack below the handler, lives until the
    // handler returns and is deleted after.
    void clientLeavesDuringItsOwnRequest()
    {
        Probe probe;
        auto leaver = connectTo(*m_server);
        QVERIFY(QTest::qWaitFor([&] { return m_server->findChildren<QTcpSocket*>().size() == 1; },
                                5000));
        const QPointer<QTcpSocket> serverSide = m_server->findChildren<QTcpSocket*>().first();
        std::vector<std::unique_ptr<QTcpSocket>> newcomers;
        bool aliveInHandler = false;
        probe.onSpin = [&] {
            leaver->abort();
            // Time for the server to see the disconnection.
            QEventLoop settle;
            QTimer::singleShot(100, &settle, &QEventLoop::quit);
            settle.exec();
            aliveInHandler = !serverSide.isNull();
            for (int i = 0; i < 60; ++i) {
                newcomers.push_back(connectTo(*m_server));
                newcomers.back()->write(windowsRequest(200 + i));
            }
            spinUntil([&] {
                for (const auto& s : newcomers)
                    if (!s->canReadLine())
                        return false;
                return true;
            });
        };
        leaver->write(spinRequest(1) + windowsRequest(2));
        QVERIFY(QTest::qWaitFor([&] { return newcomers.size() == 60; }, 10000));
        QTest::qWait(100);
        QVERIFY(aliveInHandler);
        QVERIFY(serverSide.isNull());
        for (size_t i = 0; i < newcomers.size(); ++i) {
            const QList<QJsonObject> got = remainingResponses(*newcomers[i]);
            QCOMPARE(got.size(), 1);
            QCOMPARE(idOf(got.first()), int(200 + i));
        }
        auto later = connectTo(*m_server);
        later->write(windowsRequest(9));
        QCOMPARE(idOf(readResponse(*later)), 9);
    }

    // A client that sends requests and reads none of the replies: the server
    // holds at most a bounded amount of unsent replies for it, and answers
    // everything in order once the client reads.
    void clientThatDoesNotReadIsNotServedWithoutBound()
    {
        Probe probe(200);
        auto client = connectTo(*m_server);
        client->setReadBufferSize(64 * 1024);
        QVERIFY(client->waitForConnected(5000));
        constexpr int kRequests = 600;
        QByteArray requests;
        for (int i = 0; i < kRequests; ++i)
            requests += line({{QStringLiteral("id"), i},
                              {QStringLiteral("op"), QStringLiteral("dump")},
                              {QStringLiteral("window"), QStringLiteral("Probe")}});
        client->write(requests);

        qint64 mostUnsent = 0;
        QTimer sample;
        connect(&sample, &QTimer::timeout, this, [&] {
            for (const QTcpSocket* s : m_server->findChildren<QTcpSocket*>())
                mostUnsent = std::max(mostUnsent, s->bytesToWrite());
        });
        sample.start(2);
        QTest::qWait(2000);
        client->setReadBufferSize(0);

        QByteArray received;
        QList<QByteArray> replies;
        const bool all = spinUntil(
            [&] {
                received += client->readAll();
                qsizetype end;
                while ((end = received.indexOf('\n')) >= 0) {
                    replies << received.left(end + 1);
                    received.remove(0, end + 1);
                }
                return replies.size() == kRequests;
            },
            60000);
        sample.stop();
        QVERIFY2(all, qPrintable(QString::number(replies.size())));
        const qint64 replySize = replies.first().size();
        QVERIFY2(replySize > 20000, qPrintable(QString::number(replySize)));
        QVERIFY2(mostUnsent <= remote::RemoteServer::kMaxUnsent + 2 * replySize,
                 qPrintable(QString::number(mostUnsent)));
        for (int i = 0; i < kRequests; ++i)
            QCOMPARE(idOf(QJsonDocument::fromJson(replies[i]).object()), i);
    }

    // A line over the limit gets one error, whether it arrives whole or in
    // pieces, and the next line is served; a line at the limit is served.
    void overLongLineGetsOneErrorAndTheNextLineIsServed()
    {
        Probe probe;
        auto padded = [](int id, qsizetype size) {
            QByteArray l = line({{QStringLiteral("id"), id},
                                 {QStringLiteral("op"), QStringLiteral("windows")},
                                 {QStringLiteral("pad"), QString()}});
            l.insert(l.indexOf("\"\"") + 1, QByteArray(size - (l.size() - 1), 'x'));
            return l;
        };
        const qsizetype limit = remote::RemoteServer::kMaxLine;
        auto client = connectTo(*m_server);
        QVERIFY(client->waitForConnected(5000));
        client->write(padded(7, limit + 1000) + windowsRequest(8));
        const QJsonObject tooLong = readResponse(*client);
        QVERIFY(!tooLong.value(QStringLiteral("ok")).toBool(true));
        QVERIFY(tooLong.value(QStringLiteral("error")).toString().contains(QStringLiteral("long")));
        QVERIFY(tooLong.value(QStringLiteral("id")).isNull());
        const QJsonObject next = readResponse(*client);
        QCOMPARE(idOf(next), 8);
        QVERIFY(next.value(QStringLiteral("ok")).toBool());

        // Written in pieces with pauses, so that the server sees parts of it.
        const QByteArray longer = padded(10, 3 * limit);
        for (qsizetype at = 0; at < longer.size(); at += limit / 2) {
            client->write(longer.mid(at, limit / 2));
            QTest::qWait(20);
        }
        client->write(windowsRequest(11));
        QVERIFY(!readResponse(*client).value(QStringLiteral("ok")).toBool(true));
        QCOMPARE(idOf(readResponse(*client)), 11);

        const QByteArray atLimit = padded(12, limit);
        QCOMPARE(atLimit.size(), limit + 1);
        client->write(atLimit);
        const QJsonObject served = readResponse(*client);
        QCOMPARE(idOf(served), 12);
        QVERIFY(served.value(QStringLiteral("ok")).toBool());
        QTest::qWait(100);
        QVERIFY(remainingResponses(*client).isEmpty());
    }

    // A menu command of a window that is not shown or is disabled, or a
    // disabled command, does nothing and is an error, through menu or act.
    void menuCommandsOfHiddenOrDisabledWindowsDoNothing()
    {
        Probe probe(0, false);
        const QJsonObject viaMenu{{QStringLiteral("op"), QStringLiteral("menu")},
                                  {QStringLiteral("window"), QStringLiteral("Probe")},
                                  {QStringLiteral("action"), QStringLiteral("mProbe")}};
        const QJsonObject viaAct{{QStringLiteral("op"), QStringLiteral("act")},
                                 {QStringLiteral("window"), QStringLiteral("Probe")},
                                 {QStringLiteral("control"), QStringLiteral("mProbe")},
                                 {QStringLiteral("action"), QStringLiteral("click")}};
        auto run = [&](const QJsonObject& request) {
            return m_server->handle(QJsonDocument(request).toJson(QJsonDocument::Compact))
                .value(QStringLiteral("ok"))
                .toBool();
        };
        QVERIFY(!run(viaMenu));
        QVERIFY(!run(viaAct));
        QCOMPARE(probe.runs, 0);

        probe.show();
        QVERIFY(run(viaMenu));
        QVERIFY(run(viaAct));
        QCOMPARE(probe.runs, 2);

        probe.setEnabled(false);
        QVERIFY(!run(viaMenu));
        QVERIFY(!run(viaAct));
        probe.setEnabled(true);
        probe.action->setEnabled(false);
        QVERIFY(!run(viaMenu));
        QVERIFY(!run(viaAct));
        QCOMPARE(probe.runs, 2);
    }

private:
    app::EventLog m_log;
    std::unique_ptr<remote::RemoteServer> m_server;
};

QTEST_MAIN(TstRemoteServer)
#include "tst_remote_server.moc"
