#include "CgCommands.h"
#include "ConsoleFixture.h"
#include "TcpQpxNet.h"
#include "WireProtocol.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtEndian>

using namespace hp;

namespace {

// Requests an operator's script might send, to be broken at random.
const QList<QByteArray> kValid{
    R"x({"id":1,"op":"act","window":"Baseball_Beat","control":"SBO_Lab(1)","action":"press"})x",
    R"x({"id":2,"op":"act","window":"Baseball_Beat","control":"List3","action":"select","index":6})x",
    R"x({"id":3,"op":"act","window":"Baseball_Beat","control":"Base_Check(2)","action":"check","value":1
})x",
    R"x({"id":4,"op":"get","window":"Baseball_Beat","control":"NameS_Lab"})x",
    R"x({"id":5,"op":"act","window":"Baseball_Beat","control":"Baseball_Beat","action":"key","key":"F2"})x",
    R"x({"id":6,"op":"menu","window":"Baseball_Beat","action":"mClear"})x",
    R"x({"id":7,"op":"answer","kind":"input","value":"3"})x"};

// A request broken one of several ways: cut short, a byte changed, a field
// of the wrong type, a name nobody has, or plain noise.
QByteArray broken(QRandomGenerator& random)
{
    QByteArray line = kValid[random.bounded(int(kValid.size()))];
    switch (random.bounded(6)) {
    case 0:
        return line.left(random.bounded(int(line.size()) - 1));
    case 1: {
        const int at = random.bounded(int(line.size()));
        line[at] = char(random.bounded(256));
        return line.replace('\n', ' ') + "}{";
    }
    case 2:
        return line.replace("\"Baseball_Beat\"", "[1,2]")
            .replace("\"index\":6", "\"index\":\"six\"")
            .replace("\"value\":1", "\"value\":{}")
            .replace("\"op\":\"get\"", "\"op\":7")
            .replace("\"op\":\"answer\"", "\"op\":null")
            .replace("\"key\":\"F2\"", "\"key\":\"F99\"")
            .replace("\"action\":\"mClear\"", "\"action\":true");
    case 3:
        return line.replace("SBO_Lab(1)", "SBO_Lab(9)")
            .replace("List3", "List33")
            .replace("Base_Check(2)", "Base_Check(0)")
            .replace("NameS_Lab", "")
            .replace("\"Baseball_Beat\",\"action\":\"key\"", "\"Nowhere\",\"action\":\"key\"")
            .replace("mClear", "mNothing")
            .replace("\"kind\":\"input\"", "\"kind\":\"telepathy\"");
    case 4: {
        QByteArray noise(1 + random.bounded(200), '\0');
        for (char& c : noise)
            c = char(random.bounded(256));
        return noise.replace('\n', ' ');
    }
    default:
        return "[" + line + "]";
    }
}

// A CG that answers the connect's ping properly and then one request with a
// broken reply, and closes: every way a reply can be wrong.
class BrokenCg : public QThread {
public:
    explicit BrokenCg(int cases)
        : m_cases(cases)
    {
    }
    quint16 port() const { return m_port; }
    void waitListening()
    {
        while (m_port.loadAcquire() == 0)
            QThread::msleep(1);
    }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_port.storeRelease(server.serverPort());
        QRandomGenerator random(7);
        for (int n = 0; n < m_cases; ++n) {
            if (!server.waitForNewConnection(5000))
                return;
            std::unique_ptr<QTcpSocket> s(server.nextPendingConnection());
            if (!readFrame(*s))
                continue;
            s->write(frame(reply(1, {})));
            s->waitForBytesWritten(1000);
            if (!readFrame(*s))
                continue;
            s->write(brokenReply(random));
            s->waitForBytesWritten(1000);
            s->disconnectFromHost();
            if (s->state() != QAbstractSocket::UnconnectedState)
                s->waitForDisconnected(200);
        }
    }

private:
    static bool readFrame(QTcpSocket& s)
    {
        QByteArray in;
        for (;;) {
            if (in.size() >= 4 && in.size() >= 4 + qFromBigEndian<qint32>(in.constData()))
                return true;
            if (!s.waitForReadyRead(3000))
                return false;
            in += s.readAll();
        }
    }
    static QByteArray reply(qint32 result, const QByteArray& text)
    {
        QByteArray r(4, '\0');
        qToBigEndian(result, r.data());
        return r + text;
    }
    static QByteArray frame(const QByteArray& payload)
    {
        QByteArray f(4, '\0');
        qToBigEndian(qint32(payload.size()), f.data());
        return f + payload;
    }
    static QByteArray brokenReply(QRandomGenerator& random)
    {
        QByteArray noise(random.bounded(64), '\0');
        for (char& c : noise)
            c = char(random.bounded(256));
        QByteArray length(4, '\0');
        switch (random.bounded(6)) {
        case 0: // nothing at all
            return {};
        case 1: // a length below zero
            qToBigEndian(qint32(-1 - random.bounded(1000)), length.data());
            return length + noise;
        case 2: // a length beyond any reply
            qToBigEndian(qint32((1 << 20) + 1 + random.bounded(1 << 20)), length.data());
            return length + noise;
        case 3: // too short to hold a result
            return frame(noise.left(random.bounded(4)));
        case 4: // cut off before its end
            return frame(reply(1, noise + "x")).chopped(1 + random.bounded(3));
        default: // noise
            return noise;
        }
    }

    int m_cases;
    QAtomicInteger<quint16> m_port = 0;
};

} // namespace

class TstConsoleFuzz : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    // A thousand broken remote-control requests against a console in play:
    // each answered with an error, none acted on, the console still serving.
    void brokenRemoteRequestsAreAnsweredWithAnError()
    {
        test::ConsoleFixture f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        const QString batter = f.text(QStringLiteral("NameS_Lab"));
        const QString strikes = f.text(QStringLiteral("SBO_Lab(1)"));
        f.h.net->clearCalls();
        QRandomGenerator random(20261208);
        for (int i = 0; i < 1000; ++i) {
            const QByteArray line = broken(random);
            const QJsonObject r = f.h.server.handle(line);
            QVERIFY2(!r.value(QStringLiteral("ok")).toBool(true), line.constData());
            QVERIFY2(!r.value(QStringLiteral("error")).toString().isEmpty(), line.constData());
        }
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), batter);
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), strikes);
        QCOMPARE(f.h.net->sends().size(), 0);
        QVERIFY(f.press(QStringLiteral("SBO_Lab(1)")));
        QCOMPARE(f.text(QStringLiteral("SBO_Lab(1)")), QStringLiteral("1"));
    }

    // A thousand broken CG replies: each send fails at once with -1, the link
    // counts as down, and the next connect works.
    void brokenCgRepliesFailTheSendAndDropTheLink()
    {
        constexpr int kCases = 1000;
        BrokenCg cg(kCases);
        cg.start();
        cg.waitListening();
        cglink::TcpQpxNet net;
        const QByteArray address = "127.0.0.1:" + QByteArray::number(cg.port());
        QElapsedTimer longest;
        qint64 worst = 0;
        for (int i = 0; i < kCases; ++i) {
            const qint32 handle = net.connectQpxSystem(address);
            QVERIFY2(handle > 0, qPrintable(QString::number(i)));
            QByteArray buffer = "[BYNAME][SBO][E]";
            longest.start();
            QCOMPARE(net.sendCommand(handle, cglink::kPlayWithFields, buffer), -1);
            worst = std::max(worst, longest.elapsed());
            QCOMPARE(net.isConnected(handle), 0);
        }
        QVERIFY(cg.wait(5000));
        // A reply that closes the connection is known at once, not after the bound.
        QVERIFY2(worst < 1000, qPrintable(QString::number(worst)));
    }
};

QTEST_MAIN(TstConsoleFuzz)
#include "tst_console_fuzz.moc"
