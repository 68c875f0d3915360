// The whole program, run in this process against a CG on 127.0.0.1: the
// console opens, connects and is ended as the operator ends it. Nothing of
// the CG link may be torn down from a thread it does not belong to (Qt says
// so in a warning, and a socket touched that way may crash).
#include "Application.h"
#include "SettingsStore.h"
#include "WireProtocol.h"

#include <QApplication>
#include <QMutex>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace hp;
namespace wire = hp::cglink::wire;

namespace {

QString g_settings;
QMutex g_mutex;
QStringList g_warnings;
bool g_connected = false;
bool g_quitting = false;

void keepWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    const QMutexLocker lock(&g_mutex);
    if (g_quitting)
        g_warnings << message;
}

// A CG that answers every request with 1, and the program's end once the
// console's connect was answered.
void serve(QTcpServer& server)
{
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        QTcpSocket* s = server.nextPendingConnection();
        auto reader = std::make_shared<wire::FrameReader>();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, reader] {
            reader->append(s->readAll());
            QByteArray payload;
            while (reader->next(payload) == wire::FrameReader::Status::Frame) {
                s->write(wire::encodeReply({1, {}}));
                if (!g_connected) {
                    g_connected = true;
                    // Let the reply come back, then end the program's loop.
                    QTimer::singleShot(300, qApp, [] {
                        {
                            const QMutexLocker lock(&g_mutex);
                            g_quitting = true;
                        }
                        QCoreApplication::quit();
                    });
                }
            }
        });
    });
}

// Called as the program's application object is made.
void begin()
{
    auto* server = new QTcpServer(qApp);
    if (!server->listen(QHostAddress::LocalHost, 0))
        qFatal("cannot listen on 127.0.0.1");
    serve(*server);
    app::SettingsStore settings(g_settings);
    settings.set(QStringLiteral("QPXServerIP"),
                 QStringLiteral("127.0.0.1:%1").arg(server->serverPort()));
    // The start window's "繼續比賽" once the loop runs.
    QTimer::singleShot(0, qApp, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("mStart"))
                if (auto* b = w->findChild<QPushButton*>(QStringLiteral("Command2")))
                    b->click();
    });
    // A program that never connects fails instead of hanging.
    QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(3); });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(begin)

int main(int argc, char* argv[])
{
    Q_UNUSED(argc);
    qputenv("HOMEPLATE_LOOPBACK_ONLY", "1");
    QTemporaryDir dir;
    g_settings = dir.filePath(QStringLiteral("settings.ini"));
    QByteArray settingsArg = g_settings.toLocal8Bit();
    char automation[] = "--automation";
    char settingsOption[] = "--settings";
    char backend[] = "--cg-backend";
    char tcp[] = "tcp";
    char* args[] = {argv[0], automation, settingsOption, settingsArg.data(), backend, tcp, nullptr};
    int count = 6;
    qInstallMessageHandler(keepWarnings);
    const int code = hp::shell::runApplication(count, args);
    qInstallMessageHandler(nullptr);
    if (!g_connected) {
        std::fprintf(stderr, "FAIL: the console never connected to the CG (exit %d)\n", code);
        return 1;
    }
    if (!g_warnings.isEmpty()) {
        std::fprintf(stderr, "FAIL: the program warned as it ended:\n  %s\n",
                     qPrintable(g_warnings.join(QStringLiteral("\n  "))));
        return 1;
    }
    std::fprintf(stderr, "PASS: connected, ended without a warning (exit %d)\n", code);
    return 0;
}
