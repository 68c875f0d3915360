#include "Baseball_Beat.h"

#include "BatterPanel.h"
#include "BattingTurns.h"
#include "CgCommands.h"
#include "CgMenuCommands.h"
#include "Clock.h"
#include "ConsoleCommands.h"
#include "ConsoleDatabase.h"
#include "ConsoleGraphics.h"
#include "ConsoleStatements.h"
#include "ConsoleWidgets.h"
#include "ControlDriver.h"
#include "CountPanel.h"
#include "Figures.h"
#include "GraphicsColumn.h"
#include "InningIndicator.h"
#include "LineScorePanel.h"
#include "LinkWatcher.h"
#include "MenuCommand.h"
#include "OperatorDialogs.h"
#include "OutcomeTabs.h"
#include "PanelStatusBar.h"
#include "PitcherPanel.h"
#include "PlateAppearances.h"
#include "PlayHistory.h"
#include "PlayLog.h"
#include "SettingsStore.h"
#include "Statistics.h"
#include "WindowPlacement.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace hp::console {

namespace {
constexpr int kNoticePanel = 3;
}

Baseball_Beat::Baseball_Beat(app::Services services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_db(new ConsoleDatabase([this] { return m_connectionString; }, this))
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
    m_linkWatcher = std::make_unique<cglink::LinkWatcher>(
        m_services.cg, m_project, m_services.clock,
        [this](int panel, const QString& text, bool alert) {
            m_statusBar->setPanelAlert(panel, text, alert);
        },
        this);
    connect(&m_services.cg, &cglink::CgLink::textNotEncodable, this, [this](const QString& text) {
        m_statusBar->setPanel(3, QStringLiteral("字幕機無法顯示的字元已改為?送出: ") + text);
    });
    buildMenu();
    buildLayout();
    wire();
    m_keys = readKeyMap(m_services.settings);
    showKeys(*this, m_keys);
    app::placeOnScreen(this, QSize(1600, 900));
    m_history->placeBeside(*this);
    menuBar()
        ->findChild<QMenu*>(QStringLiteral("mSystem"))
        ->addAction(m_history->toggleViewAction());

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
    add("mReport", QStringLiteral("匯出成績"), [this] { mReport_Click(); });
    add("mEndGame", QStringLiteral("比賽結束"), [this] { endGame(m_services, *m_log); });
}

void Baseball_Beat::buildLayout()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ConsoleArea"));
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(6, 6, 6, 6);
    auto* game = new QVBoxLayout;
    columns->addLayout(game, 1);

    m_lineScore = new LineScorePanel(central);
    game->addWidget(m_lineScore);

    m_batter = new BatterPanel(m_state, *m_db, m_services.clock, central);
    m_pitcher = new PitcherPanel(m_state, *m_db, m_services.clock, central);
    auto* players = new QHBoxLayout;
    players->addWidget(m_batter, 3);
    players->addWidget(m_pitcher, 2);
    game->addLayout(players, 1);

    m_graphicsSource = std::make_unique<ConsoleGraphicsSource>(*this, m_state, *m_pitcher, *m_db,
                                                               m_services.settings);
    m_column = new graphics::GraphicsColumn({m_services, *m_graphicsSource, m_project}, central);
    m_columnCalls = std::make_unique<ColumnGraphics>(*m_column);
    m_graphics.setTarget(m_columnCalls.get());

    m_count = new CountPanel(*m_pitcher, m_graphics, central);
    connect(m_lineScore, &LineScorePanel::inningShown, m_count->inning(),
            &InningIndicator::showInning);
    m_outcomes = new OutcomeTabs(central);
    m_nextHalf = new QPushButton(QStringLiteral("換局"), central);
    m_nextHalf->setObjectName(QStringLiteral("Next_Command"));
    m_nextHalf->setEnabled(false);
    m_nextHalf->setMinimumHeight(48);
    m_nextHalf->setFont(boldFont(m_nextHalf->font(), 4));
    auto* clearKeys = new QPushButton(QStringLiteral("Delsetting"), central);
    clearKeys->setObjectName(QStringLiteral("Command3"));
    clearKeys->setToolTip(QStringLiteral("清除局數與棒次設定,下次開啟從一局上半開始"));
    auto* side = new QVBoxLayout;
    side->addWidget(m_nextHalf);
    side->addWidget(m_column->quickCountButton());
    side->addStretch();
    side->addWidget(clearKeys);
    auto* play = new QHBoxLayout;
    play->addWidget(m_count);
    play->addWidget(m_outcomes, 1);
    play->addLayout(side);
    play->addWidget(m_column->onAirFrame());
    game->addLayout(play);

    columns->addWidget(m_column);
    setCentralWidget(central);

    m_count->setButtons({m_outcomes->button(OutcomeTabs::Group::OnBase, 0),
                         m_outcomes->button(OutcomeTabs::Group::OnBase, 7),
                         m_outcomes->button(OutcomeTabs::Group::Out, 0),
                         m_outcomes->button(OutcomeTabs::Group::Out, 5),
                         m_outcomes->button(OutcomeTabs::Group::Out, 6), m_nextHalf,
                         m_batter->nextButton()});
    connect(clearKeys, &QPushButton::clicked, this, &Baseball_Beat::Command3_Click);

    m_plays = new PlateAppearances(
        m_state,
        {*m_batter, *m_pitcher, *m_count, *m_lineScore, *m_outcomes, *m_nextHalf, m_graphics},
        this);
    m_turns = new BattingTurns(
        {m_state,
         *m_db,
         m_services.settings,
         m_services.dialogs,
         {*m_batter, *m_pitcher, *m_count, *m_lineScore, *m_outcomes, *m_nextHalf, m_graphics}},
        {[this](const std::function<void()>& action) { withOneSboStore(action); },
         [this] { storeLines(); }, [this](int last) { RebuildNextThree(last); },
         [this] { SaveLineScore(); }},
        this);
    m_log = new PlayLog({m_state, *m_batter, *m_pitcher, *m_count, *m_lineScore}, *m_db,
                        m_services.clock, this);
    m_history = new PlayHistory([this] { return m_log->read(); }, this);
}

void Baseball_Beat::wire()
{
    m_db->setPreparation(&console::preparation);
    connect(m_db, &ConsoleDatabase::failed, this, [this](const QString& error) {
        m_databaseAlert = true;
        m_statusBar->setPanelAlert(kNoticePanel, error, true);
    });
    connect(m_db, &ConsoleDatabase::waiting, this, [this](int units, const QString& words) {
        m_databaseAlert = true;
        m_statusBar->setPanelAlert(
            kNoticePanel,
            QStringLiteral("資料庫無法使用:%1筆動作等待寫入,已存入動作日誌(%2)。%3")
                .arg(QString::number(units), app::timeOfDayText(m_services.clock.now().time()),
                     words),
            true);
    });
    connect(m_db, &ConsoleDatabase::forwarded, this, [this](int units) {
        m_databaseAlert = false;
        m_statusBar->setPanelAlert(
            kNoticePanel,
            QStringLiteral("資料庫已恢復於%1,等待的%2筆動作已寫入")
                .arg(app::timeOfDayText(m_services.clock.now().time()), QString::number(units)),
            false);
    });
    connect(m_db, &ConsoleDatabase::memoryOnly, this, [this](int units, const QString& words) {
        m_databaseAlert = true;
        m_statusBar->setPanelAlert(kNoticePanel,
                                   QStringLiteral("資料庫無法使用:%1筆動作等待寫入(%2)。%3")
                                       .arg(QString::number(units),
                                            app::timeOfDayText(m_services.clock.now().time()),
                                            words),
                                   true);
    });
    connect(m_db, &ConsoleDatabase::setAside, this, [this](const QString& words) {
        m_databaseAlert = true;
        m_statusBar->setPanelAlert(kNoticePanel, words, true);
        m_services.dialogs.message(words, QStringLiteral("請注意"));
    });
    connect(m_db, &ConsoleDatabase::recovered, this, [this] {
        m_databaseAlert = false;
        m_statusBar->setPanelAlert(kNoticePanel,
                                   QStringLiteral("資料庫已恢復於") +
                                       app::timeOfDayText(m_services.clock.now().time()),
                                   false);
    });
    auto message = [this](const QString& text, const QString& title) {
        m_services.dialogs.message(text, title);
    };
    connect(m_batter, &BatterPanel::notice, this, &Baseball_Beat::notice);
    connect(m_batter, &BatterPanel::message, this, message);
    connect(m_pitcher, &PitcherPanel::notice, this, &Baseball_Beat::notice);
    connect(m_pitcher, &PitcherPanel::message, this, message);
    connect(m_batter->nextButton(), &QPushButton::clicked, m_turns, &BattingTurns::nextBatter);
    m_batter->setLineStore([this] { storeLines(); });
    // The new batter's line, also when item 5 was selected already.
    connect(m_batter, &BatterPanel::substituted, this,
            [this] { m_graphics.run(kBatterTodayGraphic); });
    // Prepared graphics and the live count follow every change of the console.
    connect(m_db, &ConsoleDatabase::actionEnded, m_column,
            &graphics::GraphicsColumn::consoleChanged);
    connect(m_pitcher, &PitcherPanel::stepped, m_column, &graphics::GraphicsColumn::consoleChanged);
    connect(m_count, &CountPanel::changed, this, [this] {
        if (!m_sboDeferred)
            SaveSboState();
    });
    // A count click stores the pitcher's counters with the count, in one unit.
    m_count->setClickUnit([this](const std::function<void()>& click) {
        withOneSboStore([&] {
            click();
            m_pitcher->SavePitcherStats();
        });
    });
    // Every change of the line score is stored (and the runs of SBO表 with it),
    // at the end of the action that made it.
    connect(m_lineScore, &LineScorePanel::changed, this, [this] {
        if (m_loading)
            return;
        m_lineScoreDirty = true;
        if (!m_sboDeferred)
            withOneSboStore([] {});
    });
    connect(m_nextHalf, &QPushButton::clicked, m_turns, &BattingTurns::changeHalf);
    connect(m_turns, &BattingTurns::refused, this,
            [this](const QString& text) { m_statusBar->setPanelAlert(kNoticePanel, text, true); });
    connect(m_outcomes, &OutcomeTabs::outcome, this, [this](OutcomeTabs::Group group, int index) {
        Command_Click(OutcomeTabs::captions(group).value(index));
    });
    for (int i = 1; i <= 8; ++i)
        connect(m_batter->resultBox(i), &ConsoleBox::doubleClicked, this,
                [this, i] { TimesS_txt_DblClick(i); });
    connect(m_plays, &PlateAppearances::message, this, message);
    connect(m_plays, &PlateAppearances::notice, this, &Baseball_Beat::notice);
    connect(m_plays, &PlateAppearances::stored, this, &Baseball_Beat::storeLines);
    connect(m_log, &PlayLog::logged, m_history, &PlayHistory::add);
    connect(m_history, &PlayHistory::undo, this, &Baseball_Beat::TimesS_txt_DblClick);
    connect(m_history, &PlayHistory::message, this, message);
    connect(m_log, &PlayLog::message, this, message);
}

void Baseball_Beat::storeLines()
{
    m_batter->saveBatterStats();
    m_pitcher->SavePitcherStats();
}

void Baseball_Beat::withOneSboStore(const std::function<void()>& action)
{
    const ConsoleDatabase::Action unit(*m_db);
    const bool outer = !m_sboDeferred;
    m_sboDeferred = true;
    action();
    if (outer) {
        m_sboDeferred = false;
        if (m_lineScoreDirty)
            SaveLineScore();
        SaveSboState();
    }
}

void Baseball_Beat::Command_Click(const QString& caption)
{
    withOneSboStore([&] { m_plays->record(caption); });
}

void Baseball_Beat::TimesS_txt_DblClick(int box)
{
    withOneSboStore([&] { m_plays->undo(box); });
}

void Baseball_Beat::setInGameGraphics(InGameGraphics* graphics)
{
    m_graphics.setTarget(graphics);
}

void Baseball_Beat::notice(const QString& text)
{
    // The engine's words of a failed store stay until the database answers.
    if (!m_databaseAlert)
        m_statusBar->setPanelAlert(kNoticePanel, text, false);
}

void Baseball_Beat::load()
{
    if (!m_keys.problems.isEmpty())
        m_services.dialogs.message(QStringLiteral("按鍵設定有誤,已用預設:\n") +
                                       m_keys.problems.join(u'\n'),
                                   QStringLiteral("按鍵設定"));
    const bool framed = loadFrame();
    // Actions left in the journal (with the connection string now read):
    // stored first, or set aside when the tables hold another game.
    m_db->setJournal(std::make_unique<Journal>(
        Journal::besideSettings(m_services.settings.fileName()), statementNames()));
    if (framed) {
        // The rows of the game are kept from here on.
        m_db->keepGameTables();
        loadState();
    }
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
    m_services.cg.send(
        cglink::kOpenProject, path, this, [this, path](const cglink::CgReply& reply) {
            // The library may hand back the path as it took it.
            if (m_project.path == path)
                m_project.path = reply.buffer;
            m_statusBar->setPanel(2, cglink::projectStatusText(m_project.path, reply.result));
        });
    return true;
}

void Baseball_Beat::loadState()
{
    const ConsoleDatabase::Action action(*m_db);
    app::SettingsStore& settings = m_services.settings;
    const double round =
        game::leadingNumber(settings.get(QStringLiteral("Round"), QStringLiteral("1")));
    m_state.round = qint16(qBound(1.0, round, 12.0));
    m_state.half = settings.get(QStringLiteral("Half"), QStringLiteral("False"))
                       .compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
    m_state.battingPosition = BattingTurns::savedPosition(
        settings, m_state.half ? QStringLiteral("StrikeSL") : QStringLiteral("StrikeSF"));
    // Stopped in mid half-inning: the batter in progress comes back, not the next.
    const qint16 inProgress = BattingTurns::savedPosition(settings, QStringLiteral("StrikeNow"));
    if (inProgress > 0)
        m_state.battingPosition = qint16(inProgress - 1);

    m_turns->firstBatter();
    m_pitcher->LoadPitcherPanel();
    RebuildNextThree(int(game::leadingNumber(
        settings.get(m_state.half ? QStringLiteral("StrikeSF") : QStringLiteral("StrikeSL")))));

    m_loading = true;
    if (const auto rows = lineScoreRows(*m_db))
        m_lineScore->load(*rows);
    m_lineScore->showInning(m_state);
    m_lineScore->markCurrent(m_state);
    m_loading = false;
    if (inProgress > 0)
        restoreCount();
    SaveLineScore();
    if (const auto plays = recentPlays(*m_db, PlayHistory::kRows))
        m_history->setRows(*plays);
    m_log->start();
    m_gameLoaded = true;
}

void Baseball_Beat::restoreCount()
{
    const auto row = firstRowOfSbo(*m_db);
    if (!row)
        return;
    // Through the usual rules, so that the buttons stand as before the stop.
    withOneSboStore([&] {
        for (int i = 1; i <= 3; ++i)
            m_count->setBase(i, row->value(QStringLiteral("Base%1").arg(i)) == QStringLiteral("◆"));
        m_count->setCount(CountPanel::Strikes,
                          int(game::leadingNumber(row->value(QStringLiteral("S")))));
        m_count->setCount(CountPanel::Balls,
                          int(game::leadingNumber(row->value(QStringLiteral("B")))));
        m_count->setCount(CountPanel::Outs,
                          int(game::leadingNumber(row->value(QStringLiteral("O")))));
    });
}

void Baseball_Beat::Command3_Click()
{
    deleteGameState(m_services);
}

void Baseball_Beat::closeEvent(QCloseEvent* event)
{
    // Closing in the middle of a game is asked first.
    if (m_gameLoaded && !confirmClosingGame(m_services))
        event->ignore();
    else
        QMainWindow::closeEvent(event);
}

void Baseball_Beat::SaveSboState()
{
    SboState s;
    s.item1 = m_lineScore->teamName(1);
    s.item2 = m_lineScore->teamName(2);
    s.runs1 = m_lineScore->total(1, LineScorePanel::Runs);
    s.runs2 = m_lineScore->total(2, LineScorePanel::Runs);
    m_count->fill(s);
    m_db->store(saveSboState(s));
}

void Baseball_Beat::SaveLineScore()
{
    // R, H and E are numbers to the readers of RHE: a box holding other text
    // stores its leading number and keeps its text on screen.
    QStringList odd;
    auto numeric = [&](LineScoreRow row, int team) {
        const QString names[] = {QStringLiteral("R"), QStringLiteral("H"), QStringLiteral("E")};
        QString* totals[] = {&row.runs, &row.hits, &row.errors};
        for (int t = 0; t < 3; ++t) {
            const QString number = game::numberText(game::leadingNumber(*totals[t]));
            if (number != *totals[t]) {
                odd << m_lineScore->teamName(team) + u' ' + names[t] + u'「' + *totals[t] + u'」';
                *totals[t] = number;
            }
        }
        return row;
    };
    m_lineScoreDirty = false;
    const LineScoreRow first = numeric(m_lineScore->row(1), 1);
    const LineScoreRow second = numeric(m_lineScore->row(2), 2);
    m_db->store(saveLineScore(first, second));
    if (!odd.isEmpty())
        notice(QStringLiteral("比分欄不是整數,已存入開頭的數字: ") +
               odd.join(QStringLiteral(", ")));
}

void Baseball_Beat::RebuildNextThree(int lastPosition)
{
    const ConsoleDatabase::Action action(*m_db);
    const NextThree next = rebuildNextThree(*m_db, m_state.half, lastPosition);
    m_db->store(next.statements);
    if (!next.missing.isEmpty()) {
        QStringList skipped;
        for (int k : next.missing)
            skipped << QString::number(k);
        notice(QStringLiteral("下三棒略過沒有資料的棒次: ") + skipped.join(QStringLiteral(", ")));
    }
}

void Baseball_Beat::mReport_Click()
{
    exportBoxScore(m_services, m_connectionString, m_db->waitingUnits());
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
    m_column->clearScreen();
}

void Baseball_Beat::Escape_KeyDown()
{
    m_column->takeOffLastPlayed();
}

bool Baseball_Beat::eventFilter(QObject* watched, QEvent* event)
{
    // The console sees key presses before its controls do.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this)
        return false;
    const auto* press = static_cast<QKeyEvent*>(event);
    const int key = press->key();
    if (key == Qt::Key_F2) {
        F2_KeyDown();
        return true;
    }
    if (key == Qt::Key_Escape) {
        Escape_KeyDown();
        return true;
    }
    return mappedKey(*press, widget);
}

bool Baseball_Beat::mappedKey(const QKeyEvent& press, QWidget* target)
{
    const QKeySequence pressed(
        QKeyCombination(press.modifiers() & ~Qt::KeypadModifier, Qt::Key(press.key())));
    const KeyAction* a = m_keys.find(pressed);
    if (!a)
        return false;
    // A letter typed into a box is the box's, also when the box passed it on.
    auto isTextBox = [](QWidget* w) {
        auto* combo = qobject_cast<QComboBox*>(w);
        return w && (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                     (combo && combo->isEditable()));
    };
    if (typesCharacter(pressed) && (isTextBox(target) || isTextBox(QApplication::focusWidget())))
        return false;
    if (press.isAutoRepeat())
        return true; // a key held down counts once
    const remote::ControlDriver driver;
    if (a->tab >= 0 && !driver
                            .act(this, driver.findControl(this, QStringLiteral("SSTab3")),
                                 QStringLiteral("select"), {{QStringLiteral("index"), a->tab}})
                            .isEmpty())
        return true;
    if (QObject* control = driver.findControl(this, a->control))
        driver.act(this, control, a->action, a->extra); // refused when disabled: nothing happens
    return true;
}

} // namespace hp::console
