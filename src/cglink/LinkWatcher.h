#pragma once

#include "CgLink.h"

#include <QTimer>
#include <functional>

namespace hp::app {
class Clock;
}

namespace hp::cglink {

// How often a lost CG link is tried again.
inline constexpr int kReconnectIntervalMs = 5000;

// Keeps the console's CG link up without holding up the window: when the
// link is lost the CG status panel turns red, and while the link is down
// (lost, or a connect that found no CG) the last address is tried again in
// the background every interval. Once a CG answers its ping, the link takes
// the connection, the template project is opened on it again as at the
// console's opening, and the panel says the CG is back.
//
// A backend that can only connect by waiting (a client library) is not
// tried in the background; the operator reconnects through the menu.
class LinkWatcher : public QObject {
    Q_OBJECT
public:
    using PanelAlert = std::function<void(int panel, const QString& text, bool alert)>;

    LinkWatcher(CgLink& link, const TemplateProject& project, const app::Clock& clock,
                PanelAlert setPanel, QObject* parent = nullptr);
    ~LinkWatcher() override;

    void setInterval(int ms) { m_retry.setInterval(ms); }
    int interval() const { return m_retry.interval(); }
    bool retrying() const { return m_retry.isActive(); }

signals:
    // A background connect brought the link back and the project went out.
    void restored();

private:
    void retry();
    void attempt();
    void attempted(qint32 handle);
    void stop();
    void abandon();

    CgLink& m_link;
    const TemplateProject& m_project;
    const app::Clock& m_clock;
    PanelAlert m_setPanel;
    QTimer m_retry;
    bool m_attempting = false;
};

} // namespace hp::cglink
