#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QPushButton;

namespace hp::app {

class OperatorDialogs;
class SettingsStore;

// The start window: set up a new game or continue the current one.
class mStart : public QMainWindow {
    Q_OBJECT
public:
    mStart(SettingsStore& settings, OperatorDialogs& dialogs, QWidget* parent = nullptr);

signals:
    void setupRequested();
    void consoleRequested();

private:
    void Command1_Click();
    void Command2_Click();
    void mDataBase_Click();

    SettingsStore& m_settings;
    OperatorDialogs& m_dialogs;
    QPushButton* m_command1;
    QPushButton* m_command2;
    QLabel* m_picture1;
    QAction* m_mDataBase;
};

} // namespace hp::app
