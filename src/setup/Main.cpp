#include "Main.h"

#include "CgLink.h"
#include "CgMenuCommands.h"
#include "ConnectionString.h"
#include "Database.h"
#include "ImageFolder.h"
#include "LineupTab.h"
#include "MenuCommand.h"
#include "OperatorDialogs.h"
#include "PanelStatusBar.h"
#include "Positions.h"
#include "SettingsStore.h"
#include "SetupStatements.h"
#include "TeamChoice.h"
#include "WidgetStyle.h"
#include "WindowPlacement.h"

#include <QGridLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace hp::setup {

namespace {
constexpr int kNoticePanel = 2;
// Which of the two actions stored the game last, so that the window shows
// that game again when it is opened.
const QString kStoredKey = QStringLiteral("SetupStored");
const QString kStoredByGo = QStringLiteral("GO");
const QString kStoredByGameStart = QStringLiteral("比賽開始");
} // namespace

Main::Main(app::Services services, QString positionsFile, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_positionsFile(std::move(positionsFile))
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
        m_statusBar->setPanel(kNoticePanel,
                              QStringLiteral("字幕機無法顯示的字元已改為?送出: ") + text);
    });
    buildMenu();
    buildLayout();
    app::placeOnScreen(this, QSize(1180, 700));
}

Main::~Main() = default;

void Main::buildMenu()
{
    QMenu* menu = menuBar()->addMenu(QStringLiteral("設定"));
    menu->setObjectName(QStringLiteral("mSetup"));
    auto add = [&](const char* name, const QString& caption, auto handler) {
        app::addMenuCommand(menu, name, caption, this, handler);
    };
    add("mDataBase", QStringLiteral("資料庫設定"), [this] { mDataBase_Click(); });
    add("mQPXServer", QStringLiteral("連線設定"), [this] { m_cgCommands->mQPXServer_Click(); });
    add("mPRJ", QStringLiteral("開啟PRJ"), [this] { m_cgCommands->mPRJ_Click(nullptr); });
    add("mColorBar", QStringLiteral("測試Color Bar"), [this] { m_cgCommands->mColorBar_Click(); });
    add("mClear", QStringLiteral("清除螢幕"), [this] { m_cgCommands->mClear_Click(); });
}

void Main::buildLayout()
{
    auto* central = new QWidget(this);
    m_teamChoice = new TeamChoice(central);
    m_ssTab1 = new QTabWidget(central);
    m_ssTab1->setObjectName(QStringLiteral("SSTab1"));
    m_tabs[0] = new LineupTab(LineupTab::firstTeamNames(), m_services.dialogs, m_ssTab1);
    m_tabs[1] = new LineupTab(LineupTab::secondTeamNames(), m_services.dialogs, m_ssTab1);
    m_ssTab1->addTab(m_tabs[0], QStringLiteral("先攻隊"));
    m_ssTab1->addTab(m_tabs[1], QStringLiteral("後攻隊"));
    m_ssTab1->hide();
    const QStringList positions = defaultPositions();
    m_tabs[0]->setPositions(positions);
    m_tabs[1]->setPositions(positions);

    m_go = new QPushButton(QStringLiteral("GO"), central);
    m_go->setObjectName(QStringLiteral("GO"));
    m_go->hide();
    m_command13 = new QPushButton(QStringLiteral("比賽開始"), central);
    m_command13->setObjectName(QStringLiteral("Command13"));
    for (QPushButton* b : {m_go, m_command13})
        app::makeProminent(b, 3, true, 40);
    m_imageFolder = new ImageFolder(m_services.settings, central);

    auto* grid = new QGridLayout(central);
    grid->addWidget(m_teamChoice, 0, 0, 2, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(m_go);
    side->addWidget(m_command13);
    side->addWidget(m_imageFolder, 1);
    grid->addLayout(side, 0, 1, 3, 1);
    grid->addWidget(m_ssTab1, 2, 0);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    setCentralWidget(central);

    connect(m_teamChoice, &TeamChoice::confirmRequested, this, &Main::StartCmd_Click);
    connect(m_go, &QPushButton::clicked, this, &Main::GO_Click);
    connect(m_command13, &QPushButton::clicked, this, &Main::Command13_Click);
}

void Main::reportFailure(const QString& error)
{
    m_statusBar->setPanel(kNoticePanel, error);
    m_services.dialogs.message(error, QStringLiteral("資料庫錯誤"));
}

std::unique_ptr<db::Database> Main::openDatabase()
{
    auto opened = db::Database::open(m_connectionString);
    if (!opened) {
        reportFailure(opened.error());
        return nullptr;
    }
    return std::move(opened.value());
}

void Main::load()
{
    m_connectionString = m_services.settings.get(QStringLiteral("ODBC"));
    bool opened = false;
    m_ssTab1->hide();
    m_go->hide();
    if (m_connectionString.isEmpty()) {
        m_services.dialogs.message(QStringLiteral("資料庫尚未設定"),
                                   QStringLiteral("請設定資料庫"));
        // A database chosen now loads the window again; otherwise it opens empty.
        if (mDataBase_Click())
            return;
    } else {
        m_statusBar->setPanel(1, db::dataSourceCaption(m_connectionString));
        if (auto database = openDatabase()) {
            const auto teams = loadTeams(*database);
            if (teams) {
                m_teamChoice->setTeams(teams.value());
                opened = true;
            } else {
                reportFailure(teams.error());
            }
        }
    }

    const PositionsRead read = readPositions(m_positionsFile);
    m_tabs[0]->setPositions(read.positions);
    m_tabs[1]->setPositions(read.positions);
    if (!read.problem.isEmpty())
        m_statusBar->setPanel(kNoticePanel, read.problem);
    if (opened)
        showStoredGame();
}

void Main::showStoredGame()
{
    const QString stored = m_services.settings.get(kStoredKey);
    if (stored != kStoredByGo && stored != kStoredByGameStart)
        return;
    auto database = openDatabase();
    if (!database)
        return;
    const auto game = storedSelection(*database, stored == kStoredByGo ? StoredTables::Go
                                                                       : StoredTables::GameStart);
    database.reset();
    if (!game) {
        reportFailure(game.error());
        return;
    }
    if (!game->has_value())
        return;
    const Selection& s = **game;
    if (!m_teamChoice->choose(s.first.team, s.second.team))
        return;
    StartCmd_Click();
    if (m_ssTab1->isHidden())
        return;
    m_tabs[0]->restore(s.first);
    m_tabs[1]->restore(s.second);
    m_statusBar->setPanel(
        kNoticePanel,
        QStringLiteral("已載入%1後儲存的比賽:%2 對 %3").arg(stored, s.first.team, s.second.team));
}

bool Main::mDataBase_Click()
{
    const auto chosen = m_services.dialogs.connectionString(m_connectionString);
    if (!chosen)
        return false;
    // A choice that cannot be kept is not taken up (the store has said why).
    if (!m_services.settings.write(QStringLiteral("Baseball"), app::kSection,
                                   QStringLiteral("ODBC"), *chosen))
        return false;
    // The window stays, with the teams of the new database.
    load();
    return true;
}

bool Main::loadEntries(const std::function<Result<QStringList>(db::Database&)>& query,
                       const std::function<void(const QStringList&)>& fill)
{
    auto database = openDatabase();
    if (!database)
        return false;
    const auto entries = query(*database);
    if (!entries) {
        reportFailure(entries.error());
        return false;
    }
    fill(entries.value());
    return !entries->isEmpty();
}

bool Main::LoadTeamPitchers(int index, const QString& team)
{
    LineupTab* tab = m_tabs[index == 1 ? 0 : 1];
    return loadEntries([&](db::Database& d) { return teamPitchers(d, team); },
                       [&](const QStringList& e) { tab->setPitchers(e); });
}

bool Main::LoadTeamBatters(int index, const QString& team)
{
    LineupTab* tab = m_tabs[index == 0 ? 0 : 1];
    return loadEntries([&](db::Database& d) { return teamBatters(d, team); },
                       [&](const QStringList& e) { tab->setRoster(e); });
}

void Main::StartCmd_Click()
{
    const QString first = m_teamChoice->firstTeam();
    const QString second = m_teamChoice->secondTeam();
    if (first.isEmpty() || second.isEmpty()) {
        m_services.dialogs.message(QStringLiteral("請選擇比賽隊伍"), QStringLiteral("請重新輸入"));
        return;
    }
    // A list that comes back empty ends the confirmation there, silently.
    if (!LoadTeamPitchers(1, first) || !LoadTeamBatters(0, first) || !LoadTeamPitchers(2, second) ||
        !LoadTeamBatters(1, second))
        return;
    m_ssTab1->show();
    m_go->show();
    m_tabs[0]->setTeamName(first);
    m_tabs[1]->setTeamName(second);
    m_tabs[1]->clearOrder();
    m_tabs[0]->clearOrder();
}

Selection Main::selection() const
{
    Selection s;
    s.first = {m_teamChoice->firstTeam(), m_tabs[0]->order(), m_tabs[0]->positions(),
               m_tabs[0]->pitcher()};
    s.second = {m_teamChoice->secondTeam(), m_tabs[1]->order(), m_tabs[1]->positions(),
                m_tabs[1]->pitcher()};
    return s;
}

bool Main::selectionWritable(db::Database& db, const Selection& s)
{
    const auto unknown = unknownPitchers(db, s);
    if (!unknown) {
        reportFailure(unknown.error());
        return false;
    }
    if (!unknown->isEmpty()) {
        m_services.dialogs.message(QStringLiteral("先發投手「%1」不在年度投手名單中,請重新選擇")
                                       .arg(unknown->join(QStringLiteral("、"))),
                                   QStringLiteral("錯誤"));
        return false;
    }
    return true;
}

bool Main::writeSelection(const std::function<Result<Done>(db::Database&, const Selection&)>& work,
                          app::SettingsStore::Batch& settings)
{
    app::BusyPointer busy(m_services.dialogs);
    const Selection s = selection();
    if (const auto refusal = checkSelection(s)) {
        m_services.dialogs.message(refusal->text, refusal->title);
        return false;
    }
    auto database = openDatabase();
    if (!database || !selectionWritable(*database, s))
        return false;
    // One transaction, the settings written just before its commit: a failure
    // halfway leaves the previous tables and settings as they were.
    enum class Settings { Pending, Failed, Written } settingsState = Settings::Pending;
    const auto written = database->transaction([&] {
        const auto tables = work(*database, s);
        if (!tables)
            return tables;
        const auto kept = settings.commit();
        settingsState = kept ? Settings::Written : Settings::Failed;
        return kept;
    });
    database.reset();
    if (!written) {
        if (settingsState == Settings::Written)
            settings.undo(); // the commit itself failed
        // A settings failure has been reported by the store.
        if (settingsState != Settings::Failed)
            reportFailure(written.error());
        return false;
    }
    return true;
}

Main::WaitingActionsAnswer Main::waitingActionsSettled()
{
    // The new game replaces the one the waiting actions belong to.
    return m_waitingActionsCheck ? m_waitingActionsCheck(m_connectionString)
                                 : WaitingActionsAnswer{};
}

bool Main::goWithoutGameStart()
{
    // Only a selection GO would write: an incomplete one is refused as ever.
    const Selection s = selection();
    if (checkSelection(s))
        return true;
    GameStartState state = GameStartState::NotRun;
    if (auto database = db::Database::open(m_connectionString))
        if (const auto read = gameStartState(**database, s))
            state = *read;
    if (state == GameStartState::Prepared)
        return true;
    const QString why =
        state == GameStartState::NotRun
            ? QStringLiteral(
                  "「%1」對「%2」還沒有按「比賽開始」:字幕機的對戰表等開賽頁面會沒有先發投手。")
            : QStringLiteral("「%1」對「%2」按「比賽開始」之後,打序、守位或先發投手改過了:"
                             "字幕機的對戰表等開賽頁面仍是按「比賽開始」時的名單。");
    return m_services.dialogs.confirm(why.arg(s.first.team, s.second.team) +
                                          QStringLiteral("\n仍要按 GO 開始比賽?"),
                                      QStringLiteral("請注意"));
}

void Main::GO_Click()
{
    const WaitingActionsAnswer waiting = waitingActionsSettled();
    if (!waiting.go || !goWithoutGameStart())
        return;
    // The new game's keys go to the file together: a stop between them would
    // leave one game's teams beside another game's inning.
    app::SettingsStore::Batch settings(m_services.settings);
    settings.set(QStringLiteral("BaseRound"), QStringLiteral("1"))
        .set(QStringLiteral("FirstAttack"), m_teamChoice->firstTeam())
        .set(QStringLiteral("SecondAttack"), m_teamChoice->secondTeam())
        .set(kStoredKey, kStoredByGo);
    for (const char* key : {"Round", "Half", "StrikeSF", "StrikeSL", "StrikeNow"})
        settings.erase(QString::fromLatin1(key));
    // A GO refused from here on leaves the waiting actions where they were:
    // their game is still the one in the tables.
    if (!writeSelection(initialiseGame, settings))
        return;
    if (waiting.onceStarted)
        waiting.onceStarted();
    emit gameInitialised();
}

void Main::Command13_Click()
{
    app::SettingsStore::Batch settings(m_services.settings);
    settings.set(kStoredKey, kStoredByGameStart);
    for (const char* key : {"BaseRound", "FirstAttack", "SecondAttack"})
        settings.write(app::kCompanionAppName, app::kSection, QString::fromLatin1(key),
                       QStringLiteral("1"));
    if (!writeSelection(prepareGraphicsTables, settings))
        return;
    emit gameStartPrepared();
}

} // namespace hp::setup
