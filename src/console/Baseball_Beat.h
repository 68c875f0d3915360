#pragma once

#include "CgLink.h"
#include "ConsoleState.h"
#include "KeyMap.h"
#include "Services.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QKeyEvent;
class QPushButton;

namespace hp::app {
class PanelStatusBar;
}
namespace hp::cglink {
class CgMenuCommands;
class LinkWatcher;
} // namespace hp::cglink

namespace hp::graphics {
class GraphicsColumn;
}

namespace hp::console {

class BatterPanel;
class BattingTurns;
class ColumnGraphics;
class ConsoleGraphicsSource;
class ConsoleDatabase;
class CountPanel;
class LineScorePanel;
class OutcomeTabs;
class PitcherPanel;
class PlateAppearances;
class PlayHistory;
class PlayLog;

// The live scoring console.
class Baseball_Beat : public QMainWindow {
    Q_OBJECT
public:
    explicit Baseball_Beat(app::Services services, QWidget* parent = nullptr);
    ~Baseball_Beat() override;

    // The window's opening: database setting, CG connection and template
    // check, then the game state.
    void load();

    const QString& connectionString() const { return m_connectionString; }
    const cglink::TemplateProject& templateProject() const { return m_project; }
    app::PanelStatusBar* statusPanels() const { return m_statusBar; }
    const ConsoleState& state() const { return m_state; }
    // The graphics lists, once there: the console's actions call them up.
    void setInGameGraphics(InGameGraphics* graphics);
    // The graphics lists, the play panels and the on-air image.
    graphics::GraphicsColumn* graphicsColumn() const { return m_column; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildLayout();
    void wire();
    // Steps 1 to 5 of the opening; false when the game state is not to be loaded.
    bool loadFrame();
    void loadState();
    // Strikes, balls, outs and runners as SBO表 kept them.
    void restoreCount();
    void mOdbc_Click();
    // 匯出成績: the box score as a page and tables beside the settings file.
    void mReport_Click();
    void F2_KeyDown();
    // A key of the key map: the click it stands for; false when it is not one.
    bool mappedKey(const QKeyEvent& press, QWidget* target);
    void Escape_KeyDown();
    void Command3_Click();
    // The batter's and the pitcher's lines as the screen holds them.
    void storeLines();
    void Command_Click(const QString& caption);
    void TimesS_txt_DblClick(int box);
    // Runs an action whose count changes store SBO表 once, at its end.
    void withOneSboStore(const std::function<void()>& action);
    void SaveSboState();
    void SaveLineScore();
    // 下三棒 after the last batting position of the team not at bat.
    void RebuildNextThree(int lastPosition);
    void notice(const QString& text);

    app::Services m_services;
    std::unique_ptr<cglink::CgMenuCommands> m_cgCommands;
    app::PanelStatusBar* m_statusBar;
    QString m_connectionString;
    cglink::TemplateProject m_project;
    std::unique_ptr<cglink::LinkWatcher> m_linkWatcher;

    ConsoleState m_state;
    InGameGraphicsRelay m_graphics;
    ConsoleDatabase* m_db;
    BatterPanel* m_batter = nullptr;
    PitcherPanel* m_pitcher = nullptr;
    CountPanel* m_count = nullptr;
    LineScorePanel* m_lineScore = nullptr;
    OutcomeTabs* m_outcomes = nullptr;
    QPushButton* m_nextHalf = nullptr;
    PlateAppearances* m_plays = nullptr;
    BattingTurns* m_turns = nullptr;
    PlayLog* m_log = nullptr;
    PlayHistory* m_history = nullptr;
    KeyMap m_keys;
    bool m_sboDeferred = false;
    bool m_lineScoreDirty = false;
    bool m_loading = false;
    bool m_gameLoaded = false;
    bool m_databaseAlert = false;
    std::unique_ptr<ConsoleGraphicsSource> m_graphicsSource;
    graphics::GraphicsColumn* m_column = nullptr;
    std::unique_ptr<ColumnGraphics> m_columnCalls;
};

} // namespace hp::console
