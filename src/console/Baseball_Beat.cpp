#include "Baseball_Beat.h"

#include "CgCommands.h"
#include "CgMenuCommands.h"
#include "MenuCommand.h"
#include "OperatorDialogs.h"
#include "PanelStatusBar.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

namespace hp::console {

Baseball_Beat::Baseball_Beat(app::Services services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("Baseball_Beat"));
    setWindowTitle(QStringLiteral("Valtor棒球體育轉播---Norvik"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_statusBar = new app::PanelStatusBar(3, this);
    setStatusBar(m_statusBar);
    m_cgCommands = std::make_unique<cglink::CgMenuCommands>(
        cglink::CgMenuCommands::Window::Console, m_services.cg, m_services.settings,
        m_services.dialogs, m_services.clock,
        [this](int panel, const QString& text) { m_statusBar->setPanel(panel, text); });
    connect(&m_services.cg, &cglink::CgLink::textNotEncodable, this, [this](const QString& text) {
        m_statusBar->setPanel(3, QStringLiteral("字幕機無法顯示的字元已改為?送出: ") + text);
    });
    buildMenu();

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ConsoleArea"));
    new QVBoxLayout(central);
    setCentralWidget(central);
    resize(1280, 720);

    qApp->installEventFilter(this);
}

Baseball_Beat::~Baseball_Beat() = default;

void Baseball_Beat::buildMenu()
{
    QMenu* system = menuBar()->addMenu(QStringLiteral("系統"));
    system->setObjectName(QStringLiteral("mSystem"));
    auto add = [&](const char* name, const QString& caption, auto handler) {
        app::addMenuCommand(system, name, caption, this, handler);
    };
    add("mOdbc", QStringLiteral("資料庫設定"), [this] { mOdbc_Click(); });
    add("mQPXServer", QStringLiteral("連線設定"), [this] { m_cgCommands->mQPXServer_Click(); });
    add("mPRJ", QStringLiteral("開啟PRJ"), [this] { m_cgCommands->mPRJ_Click(&m_project); });
    add("mColorBar", QStringLiteral("測試Color Bar"), [this] { m_cgCommands->mColorBar_Click(); });
    add("mClear", QStringLiteral("清除螢幕"), [this] { m_cgCommands->mClear_Click(); });
}

void Baseball_Beat::load()
{
    if (loadFrame())
        loadState();
}

bool Baseball_Beat::loadFrame()
{
    app::SettingsStore& settings = m_services.settings;
    app::OperatorDialogs& dialogs = m_services.dialogs;

    m_connectionString = settings.get(QStringLiteral("ODBC"));
    if (m_connectionString.isEmpty()) {
        dialogs.message(QStringLiteral("資料庫尚未設定"), QStringLiteral("請設定資料庫"));
        mOdbc_Click();
    }

    const QString address = settings.get(QStringLiteral("QPXServerIP"), cglink::kDefaultCgAddress);
    if (address.isEmpty())
        dialogs.message(QStringLiteral("字幕機尚未連線"), QStringLiteral("請設定字幕機連線"));
    else
        m_cgCommands->connectAndReport(address);

    const QString path = settings.get(QStringLiteral("PRJ"));
    if (path.isEmpty()) {
        dialogs.message(QStringLiteral("請打開播出範本"), QStringLiteral("尚未開啟範本"));
        return false;
    }
    m_project.path = path;
    if (!QFileInfo::exists(path)) {
        dialogs.message(QStringLiteral("範本檔案不存在,請重新檢查"),
                        QStringLiteral("請檢查QPX字幕範本"));
        return true;
    }
    m_project.folder = settings.get(QStringLiteral("PRJpath"), QStringLiteral("C:\\"));
    const qint32 opened = m_services.cg.sendKeeping(cglink::kOpenProject, m_project.path);
    m_statusBar->setPanel(2, cglink::projectStatusText(m_project.path, opened));
    return true;
}

void Baseball_Beat::loadState()
{
    // The game state (inning, batters, pitchers, line score) is loaded here.
}

void Baseball_Beat::mOdbc_Click()
{
    const auto chosen = m_services.dialogs.connectionString(m_connectionString);
    if (!chosen)
        return;
    m_services.settings.set(QStringLiteral("ODBC"), *chosen);
    m_connectionString = *chosen;
}

void Baseball_Beat::F2_KeyDown()
{
    m_services.cg.send(cglink::kClear, cglink::kClearText);
}

void Baseball_Beat::Escape_KeyDown()
{
    m_services.cg.sendKeeping(cglink::kTakeOff, m_takeOffReference);
}

bool Baseball_Beat::eventFilter(QObject* watched, QEvent* event)
{
    // The console sees key presses before its controls do.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_F2) {
        F2_KeyDown();
        return true;
    }
    if (key == Qt::Key_Escape) {
        Escape_KeyDown();
        return true;
    }
    return false;
}

} // namespace hp::console
