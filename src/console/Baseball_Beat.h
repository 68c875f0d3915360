#pragma once

#include "CgLink.h"
#include "Services.h"

#include <QMainWindow>
#include <memory>

class QAction;

namespace hp::app {
class PanelStatusBar;
}
namespace hp::cglink {
class CgMenuCommands;
}

namespace hp::console {

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
    const QString& takeOffReference() const { return m_takeOffReference; }
    void setTakeOffReference(const QString& reference) { m_takeOffReference = reference; }
    app::PanelStatusBar* statusPanels() const { return m_statusBar; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    // Steps 1 to 5 of the opening; false when the game state is not to be loaded.
    bool loadFrame();
    void loadState();
    void mOdbc_Click();
    void F2_KeyDown();
    void Escape_KeyDown();

    app::Services m_services;
    std::unique_ptr<cglink::CgMenuCommands> m_cgCommands;
    app::PanelStatusBar* m_statusBar;
    QString m_connectionString;
    cglink::TemplateProject m_project;
    QString m_takeOffReference;
};

} // namespace hp::console
