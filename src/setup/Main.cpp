#include "Main.h"

#include "CgLink.h"
#include "CgMenuCommands.h"
#include "OperatorDialogs.h"
#include "PanelStatusBar.h"
#include "SettingsStore.h"

#include <QMenuBar>
#include <QVBoxLayout>

namespace hp::setup {

Main::Main(app::Services services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("棒球比賽設定---Norvik"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_statusBar = new app::PanelStatusBar(2, this);
    setStatusBar(m_statusBar);
    m_cgCommands = std::make_unique<cglink::CgMenuCommands>(
        cglink::CgMenuCommands::Window::Setup, m_services.cg, m_services.settings,
        m_services.dialogs, m_services.clock,
        [this](int panel, const QString& text) { m_statusBar->setPanel(panel, text); });
    connect(&m_services.cg, &cglink::CgLink::textNotEncodable, this, [this](const QString& text) {
        m_statusBar->setPanel(2, QStringLiteral("字幕機無法顯示的字元已改為?送出: ") + text);
    });
    buildMenu();

    auto* central = new QWidget(this);
    new QVBoxLayout(central);
    setCentralWidget(central);
    resize(1100, 700);
}

Main::~Main() = default;

void Main::buildMenu()
{
    QMenu* menu = menuBar()->addMenu(QStringLiteral("設定"));
    menu->setObjectName(QStringLiteral("mSetup"));
    auto add = [&](const char* name, const QString& caption, auto handler) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
    };
    add("mDataBase", QStringLiteral("資料庫設定"), [this] { mDataBase_Click(); });
    add("mQPXServer", QStringLiteral("連線設定"), [this] { m_cgCommands->mQPXServer_Click(); });
    add("mPRJ", QStringLiteral("開啟PRJ"), [this] { m_cgCommands->mPRJ_Click(nullptr); });
    add("mColorBar", QStringLiteral("測試Color Bar"), [this] { m_cgCommands->mColorBar_Click(); });
    add("mClear", QStringLiteral("清除螢幕"), [this] { m_cgCommands->mClear_Click(); });
}

void Main::load()
{
    m_connectionString = m_services.settings.get(QStringLiteral("ODBC"));
}

void Main::mDataBase_Click()
{
    const auto chosen = m_services.dialogs.connectionString(m_connectionString);
    if (!chosen)
        return;
    m_services.settings.write(QStringLiteral("Baseball"), app::kSection, QStringLiteral("ODBC"),
                              *chosen);
    m_connectionString = *chosen;
    emit databaseChanged();
}

} // namespace hp::setup
