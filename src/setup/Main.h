#pragma once

#include "Services.h"

#include <QMainWindow>
#include <memory>

namespace hp::app {
class PanelStatusBar;
}
namespace hp::cglink {
class CgMenuCommands;
}

namespace hp::setup {

// The game set-up window: teams, batting orders, positions, pitchers.
class Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Main(app::Services services, QWidget* parent = nullptr);
    ~Main() override;

    // The window's opening: database name, team list, positions.
    void load();

signals:
    // The operator chose a new database: the window is to be reloaded.
    void databaseChanged();
    // GO has initialised a game: the console is to be opened.
    void gameInitialised();

private:
    void buildMenu();
    void mDataBase_Click();

    app::Services m_services;
    std::unique_ptr<cglink::CgMenuCommands> m_cgCommands;
    app::PanelStatusBar* m_statusBar;
    QString m_connectionString;
};

} // namespace hp::setup
