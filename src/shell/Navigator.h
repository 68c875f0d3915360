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
    // positionsFile: baseball.ini with the fielding positions.
    // Reports the settings store's write failures through the dialogs.
    Navigator(app::Services services, QString positionsFile, QObject* parent = nullptr);
    ~Navigator() override;

    static QString defaultPositionsFile();

    void showStart();

private:
    void openSetup(QWidget* from);
    void openConsole(QWidget* from);
    setup::Main* newSetupWindow();

    app::Services m_services;
    QString m_positionsFile;
};

} // namespace hp::shell
