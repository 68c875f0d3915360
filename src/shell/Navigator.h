#pragma once

#include "Services.h"

#include <QObject>
#include <QPointer>

namespace hp::setup {
class Main;
}

namespace hp::shell {

// Opens the windows and moves the operator between them.
class Navigator : public QObject {
    Q_OBJECT
public:
    explicit Navigator(app::Services services, QObject* parent = nullptr);

    void showStart();

private:
    void openSetup(QWidget* from);
    void openConsole(QWidget* from);
    setup::Main* newSetupWindow();
    void reloadSetup(setup::Main* current);

    app::Services m_services;
    // A set-up window loaded in the background after a database change; the
    // start window's "設定比賽" shows it.
    QPointer<setup::Main> m_preloadedSetup;
};

} // namespace hp::shell
