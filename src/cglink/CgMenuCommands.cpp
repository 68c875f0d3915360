#include "CgMenuCommands.h"

#include "CgCommands.h"
#include "Clock.h"
#include "OperatorDialogs.h"
#include "SettingsStore.h"

namespace hp::cglink {

namespace {
const QString kAddressKey = QStringLiteral("QPXServerIP");
const QString kProjectFilter = QStringLiteral("*.PRJ|*.Prj|*.*|*.*");
} // namespace

CgMenuCommands::CgMenuCommands(Window window, CgLink& link, app::SettingsStore& settings,
                               app::OperatorDialogs& dialogs, const app::Clock& clock,
                               PanelSetter setPanel)
    : m_window(window)
    , m_link(link)
    , m_settings(settings)
    , m_dialogs(dialogs)
    , m_clock(clock)
    , m_setPanel(std::move(setPanel))
{
}

bool CgMenuCommands::connectAndReport(const QString& address)
{
    if (m_link.connectTo(address) < 1) {
        m_dialogs.message(QStringLiteral("無法取得字幕機連接"), QStringLiteral("連接失敗"));
        return false;
    }
    m_setPanel(1, QStringLiteral("已成功連接字幕機") + address + QStringLiteral("於") +
                      app::timeOfDayText(m_clock.now().time()));
    m_settings.set(kAddressKey, address);
    return true;
}

void CgMenuCommands::mQPXServer_Click()
{
    m_setPanel(1, QString());
    const QString fallback = m_window == Window::Setup ? kDefaultCgAddress : QString();
    const QString current = m_settings.get(kAddressKey, fallback);
    const QString answer =
        m_dialogs.input(QStringLiteral("請輸入"), QString(), current).value_or(QString());
    if (answer.isEmpty())
        return;
    connectAndReport(answer);
}

void CgMenuCommands::mPRJ_Click(TemplateProject* consoleProject)
{
    const auto chosen = m_dialogs.openFile(kProjectFilter, m_lastProjectDialogPath);
    if (chosen)
        m_lastProjectDialogPath = *chosen;
    const QString path = m_lastProjectDialogPath;
    m_setPanel(m_window == Window::Console ? 2 : 1, path);
    m_link.send(kOpenProject, path);
    if (m_window == Window::Console && consoleProject) {
        consoleProject->path = path;
        consoleProject->folder = templateFolderOf(path);
        m_settings.set(QStringLiteral("PRJ"), consoleProject->path);
        m_settings.set(QStringLiteral("PRJpath"), consoleProject->folder);
    }
}

void CgMenuCommands::mColorBar_Click()
{
    m_link.colorBar();
}

void CgMenuCommands::mClear_Click()
{
    m_link.send(kClear, kClearText);
}

} // namespace hp::cglink
