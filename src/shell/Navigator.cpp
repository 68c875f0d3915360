#include "Navigator.h"

#include "Baseball_Beat.h"
#include "Main.h"
#include "mStart.h"

namespace hp::shell {

Navigator::Navigator(app::Services services, QObject* parent)
    : QObject(parent)
    , m_services(services)
{
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
    auto* window = new setup::Main(m_services);
    connect(window, &setup::Main::databaseChanged, this, [this, window] { reloadSetup(window); });
    connect(window, &setup::Main::gameInitialised, this, [this, window] { openConsole(window); });
    return window;
}

void Navigator::openSetup(QWidget* from)
{
    setup::Main* window = m_preloadedSetup;
    m_preloadedSetup.clear();
    if (!window) {
        window = newSetupWindow();
        window->show();
        window->load();
    } else {
        window->show();
    }
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

void Navigator::reloadSetup(setup::Main* current)
{
    showStart();
    current->close();
    delete m_preloadedSetup;
    m_preloadedSetup = newSetupWindow();
    m_preloadedSetup->load();
}

} // namespace hp::shell
