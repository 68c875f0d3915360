#pragma once

#include "CgLink.h"

#include <QTime>
#include <functional>
#include <memory>

namespace hp::app {
class Clock;
class OperatorDialogs;
class SettingsStore;
} // namespace hp::app

namespace hp::cglink {

// What the CG status panel says when the link is found gone.
QString lostLinkText(const QTime& time);

// The menu commands that drive the CG link directly: connect, open template
// project, colour bar, clear screen. The console and the set-up window differ
// in the default address, the status panel of the project path and whether
// the project is kept.
class CgMenuCommands {
public:
    enum class Window { Console, Setup };
    using PanelSetter = std::function<void(int panel, const QString& text)>;

    CgMenuCommands(Window window, CgLink& link, app::SettingsStore& settings,
                   app::OperatorDialogs& dialogs, const app::Clock& clock, PanelSetter setPanel);
    ~CgMenuCommands();
    CgMenuCommands(const CgMenuCommands&) = delete;
    CgMenuCommands& operator=(const CgMenuCommands&) = delete;

    // mQPXServer: asks for the address, then connects.
    void mQPXServer_Click();
    // mPRJ: the console passes its project, which the chosen path replaces.
    void mPRJ_Click(TemplateProject* consoleProject);
    void mColorBar_Click();
    void mClear_Click();

    // Connects with the address and, once the connect was carried out,
    // reports the outcome.
    void connectAndReport(const QString& address);

private:
    // Where the project dialog opens: the last path chosen (or the template
    // in use); before any, the template folder of the settings, else the
    // demo templates installed beside the program.
    QString projectDialogStart() const;
    void report(const QString& address, qint32 handle);

    Window m_window;
    CgLink& m_link;
    app::SettingsStore& m_settings;
    app::OperatorDialogs& m_dialogs;
    const app::Clock& m_clock;
    PanelSetter m_setPanel;
    QString m_lastProjectDialogPath;
    QMetaObject::Connection m_linkLost;
    // Replies to this object's commands are not taken after it is gone.
    std::unique_ptr<QObject> m_guard = std::make_unique<QObject>();
};

} // namespace hp::cglink
