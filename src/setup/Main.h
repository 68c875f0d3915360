#pragma once

#include "Result.h"
#include "Selection.h"
#include "Services.h"
#include "SettingsStore.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QPushButton;
class QTabWidget;

namespace hp::app {
class PanelStatusBar;
}
namespace hp::cglink {
class CgMenuCommands;
}
namespace hp::db {
class Database;
}

namespace hp::setup {

class ImageFolder;
class LineupTab;
class TeamChoice;

// The game set-up window: teams, batting orders, positions, pitchers.
class Main : public QMainWindow {
    Q_OBJECT
public:
    // positionsFile: baseball.ini with the fielding positions.
    Main(app::Services services, QString positionsFile, QWidget* parent = nullptr);
    ~Main() override;

    // The window's opening: database name, team list, positions.
    void load();

    // Fill Combo1(index) (1 or 2) and List4(index) (0 or 1); false when the
    // list came back empty or could not be read.
    bool LoadTeamPitchers(int index, const QString& team);
    bool LoadTeamBatters(int index, const QString& team);

    // What the actions the console has left waiting let GO do: stop (they
    // wait as before), or go on, with what is to be done with them once the
    // new game stands (nothing is done with them for a GO that stops later).
    struct WaitingActionsAnswer {
        bool go = true;
        std::function<void()> onceStarted;
    };
    // Asked before GO writes anything, with the connection string.
    void setWaitingActionsCheck(std::function<WaitingActionsAnswer(const QString&)> check)
    {
        m_waitingActionsCheck = std::move(check);
    }

signals:
    // GO has initialised a game: the console is to be opened.
    void gameInitialised();
    // 比賽開始 has prepared the graphics tables.
    void gameStartPrepared();

private:
    void buildMenu();
    void buildLayout();
    // True when a new database was taken and the window loaded with it.
    bool mDataBase_Click();
    // The game GO or 比賽開始 stored last, back in the window's controls.
    void showStoredGame();
    // GO for teams that 比賽開始 has not prepared goes on only when the
    // operator says so.
    bool goWithoutGameStart();
    void StartCmd_Click();
    void GO_Click();
    void Command13_Click();
    WaitingActionsAnswer waitingActionsSettled();

    Selection selection() const;
    // Whether the season roster knows both starting pitchers; false (after
    // telling the operator which) when nothing may be written.
    bool selectionWritable(db::Database& db, const Selection& s);
    // Checks the selection, then runs the work and commits the settings in one
    // transaction; false (after telling the operator why) when nothing was
    // written.
    bool writeSelection(const std::function<Result<Done>(db::Database&, const Selection&)>& work,
                        app::SettingsStore::Batch& settings);
    std::unique_ptr<db::Database> openDatabase();
    void reportFailure(const QString& error);
    // Fills a list from a roster query; false when the query failed or came back empty.
    bool loadEntries(const std::function<Result<QStringList>(db::Database&)>& query,
                     const std::function<void(const QStringList&)>& fill);

    app::Services m_services;
    QString m_positionsFile;
    std::unique_ptr<cglink::CgMenuCommands> m_cgCommands;
    app::PanelStatusBar* m_statusBar;
    QString m_connectionString;
    TeamChoice* m_teamChoice;
    QTabWidget* m_ssTab1;
    LineupTab* m_tabs[2];
    QPushButton* m_go;
    QPushButton* m_command13;
    ImageFolder* m_imageFolder;
    std::function<WaitingActionsAnswer(const QString&)> m_waitingActionsCheck;
};

} // namespace hp::setup
