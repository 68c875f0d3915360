#include "Navigator.h"

#include "Baseball_Beat.h"
#include "Main.h"
#include "OperatorDialogs.h"
#include "SettingsStore.h"
#include "WaitingActions.h"
#include "mStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace hp::shell {

Navigator::Navigator(app::Services services, QString positionsFile, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_positionsFile(std::move(positionsFile))
{
    // A setting that cannot be written is shown to the operator, once for
    // each change (an action's keys go in one batch).
    app::OperatorDialogs& dialogs = m_services.dialogs;
    m_services.settings.setFailureReporter(
        [&dialogs](const QString& text, const QString& title) { dialogs.message(text, title); });
}

Navigator::~Navigator()
{
    m_services.settings.setFailureReporter({});
}

QString Navigator::defaultPositionsFile()
{
    // Beside the program in the build tree; installed, under share/homeplate.
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/baseball.ini");
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                              QStringLiteral("/../share/homeplate/baseball.ini"));
    return QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside : installed;
}

void Navigator::showStart()
{
    auto* start = new app::mStart(m_services.settings, m_services.dialogs);
    connect(start, &app::mStart::setupRequested, this, [this, start] { openSetup(start); });
    connect(start, &app::mStart::consoleRequested, this, [this, start] { openConsole(start); });
    start->show();
}

setup::Main* Navigator::newSetupWindow()
{
    auto* window = new setup::Main(m_services, m_positionsFile);
    window->setWaitingActionsCheck([services = m_services](const QString& connection) {
        const console::SettledWaiting settled = console::settleWaitingActions(services, connection);
        setup::Main::WaitingActionsAnswer answer{settled.go, {}};
        if (settled.setAside)
            answer.onceStarted = [services] { console::setWaitingActionsAside(services); };
        return answer;
    });
    connect(window, &setup::Main::gameInitialised, this, [this, window] { openConsole(window); });
    // After 比賽開始 the operator goes on from the start window ("繼續比賽").
    connect(window, &setup::Main::gameStartPrepared, this, [this, window] {
        showStart();
        window->close();
    });
    return window;
}

void Navigator::openSetup(QWidget* from)
{
    setup::Main* window = newSetupWindow();
    window->show();
    window->load();
    from->close();
}

void Navigator::openConsole(QWidget* from)
{
    auto* console = new console::Baseball_Beat(m_services);
    console->show();
    if (from)
        from->close();
    console->load();
}

} // namespace hp::shell
