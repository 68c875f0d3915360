#include "CgMenuCommands.h"

#include "CgCommands.h"
#include "Clock.h"
#include "OperatorDialogs.h"
#include "SettingsStore.h"
#include "WireProtocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace hp::cglink {

namespace {
const QString kAddressKey = QStringLiteral("QPXServerIP");
const QString kProjectFilter = QStringLiteral("*.PRJ|*.Prj|*.*|*.*");
} // namespace

QString lostLinkText(const QTime& time)
{
    return QStringLiteral("字幕機斷線於") + app::timeOfDayText(time);
}

CgMenuCommands::CgMenuCommands(Window window, CgLink& link, app::SettingsStore& settings,
                               app::OperatorDialogs& dialogs, const app::Clock& clock,
                               PanelSetter setPanel)
    : m_window(window)
    , m_link(link)
    , m_settings(settings)
    , m_dialogs(dialogs)
    , m_clock(clock)
    , m_setPanel(std::move(setPanel))
    // A cancel re-opens the template in use rather than erasing it.
    , m_lastProjectDialogPath(settings.get(QStringLiteral("PRJ")))
{
    // The CG status panel says so as soon as any command finds the link gone,
    // whether a graphic, F2, mClear or mColorBar.
    m_linkLost = QObject::connect(&m_link, &CgLink::linkLost, &m_link,
                                  [this] { m_setPanel(1, lostLinkText(m_clock.now().time())); });
}

CgMenuCommands::~CgMenuCommands()
{
    QObject::disconnect(m_linkLost);
}

void CgMenuCommands::connectAndReport(const QString& address)
{
    // The outcome is reported once the connect was carried out; the window
    // goes on meanwhile.
    m_link.connectTo(address, m_guard.get(),
                     [this, address](qint32 handle) { report(address, handle); });
}

void CgMenuCommands::report(const QString& address, qint32 handle)
{
    if (handle < 1) {
        // The box keeps its words; the status bar says where the console looked.
        const auto endpoint = wire::parseEndpoint(address);
        const QString where =
            endpoint ? QStringLiteral("%1 埠 %2").arg(endpoint->host).arg(endpoint->port)
                     : address + QStringLiteral("(埠號不正確)");
        m_setPanel(1, QStringLiteral("無法連接字幕機 ") + where + QStringLiteral(" 於") +
                          app::timeOfDayText(m_clock.now().time()));
        m_dialogs.message(QStringLiteral("無法取得字幕機連接"), QStringLiteral("連接失敗"));
        return;
    }
    m_setPanel(1, QStringLiteral("已成功連接字幕機") + address + QStringLiteral("於") +
                      app::timeOfDayText(m_clock.now().time()));
    m_settings.set(kAddressKey, address);
}

void CgMenuCommands::mQPXServer_Click()
{
    m_setPanel(1, QString());
    const QString fallback = m_window == Window::Setup ? kDefaultCgAddress : QString();
    const QString current = m_settings.get(kAddressKey, fallback);
    const QString answer =
        m_dialogs
            .input(QStringLiteral("字幕機位址: IP 或 IP:埠"), QStringLiteral("連線設定"), current)
            .value_or(QString());
    if (answer.isEmpty())
        return;
    connectAndReport(answer);
}

void CgMenuCommands::mPRJ_Click(TemplateProject* consoleProject)
{
    const auto chosen = m_dialogs.openFile(kProjectFilter, projectDialogStart());
    if (chosen)
        m_lastProjectDialogPath = *chosen;
    const QString path = m_lastProjectDialogPath;
    const int panel = m_window == Window::Console ? 2 : 1;
    m_link.send(kOpenProject, path, m_guard.get(), [this, path, panel](const CgReply& reply) {
        m_setPanel(panel, projectStatusText(path, reply.result));
    });
    // The path is kept even when the CG refused it: the CG may come back.
    // The console takes it as its project (a cancel too); the set-up window
    // keeps a chosen one for the console it opens.
    const bool console = m_window == Window::Console && consoleProject;
    if (!console && !(m_window == Window::Setup && chosen))
        return;
    const QString folder = templateFolderOf(path);
    if (console) {
        consoleProject->path = path;
        consoleProject->folder = folder;
    }
    app::SettingsStore::Batch keys(m_settings);
    keys.set(QStringLiteral("PRJ"), path).set(QStringLiteral("PRJpath"), folder);
    keys.commit(); // a failure is reported by the store
}

QString CgMenuCommands::projectDialogStart() const
{
    if (!m_lastProjectDialogPath.isEmpty())
        return m_lastProjectDialogPath;
    // A folder is passed with its trailing separator, so that the dialog
    // opens inside it.
    const QString folder = m_settings.get(QStringLiteral("PRJpath"));
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return QDir::cleanPath(folder) + u'/';
    const QString shipped =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/homeplate/demo");
    if (QFileInfo(shipped).isDir())
        return QDir::cleanPath(shipped) + u'/';
    return {};
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
