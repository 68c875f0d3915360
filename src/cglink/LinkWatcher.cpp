#include "LinkWatcher.h"

#include "CgCommands.h"
#include "CgMenuCommands.h"
#include "Clock.h"

namespace hp::cglink {

LinkWatcher::LinkWatcher(CgLink& link, const TemplateProject& project, const app::Clock& clock,
                         PanelAlert setPanel, QObject* parent)
    : QObject(parent)
    , m_link(link)
    , m_project(project)
    , m_clock(clock)
    , m_setPanel(std::move(setPanel))
{
    setObjectName(QStringLiteral("CgLinkWatcher"));
    m_retry.setInterval(kReconnectIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &LinkWatcher::attempt);
    connect(&m_link, &CgLink::linkLost, this, [this] {
        m_setPanel(1, lostLinkText(m_clock.now().time()), true);
        retry();
    });
    connect(&m_link, &CgLink::connectAttempted, this, [this](qint32 handle) {
        // A connect of the operator's or the opening's replaces whatever was
        // under way in the background.
        abandon();
        if (handle < 1)
            retry();
        else
            stop();
    });
    connect(&m_link, &CgLink::backgroundConnected, this, &LinkWatcher::attempted);
}

LinkWatcher::~LinkWatcher()
{
    // An attempt that would connect after the console closed is given up,
    // its connection with it.
    abandon();
}

void LinkWatcher::abandon()
{
    if (!m_attempting)
        return;
    m_attempting = false;
    m_link.abandonBackgroundConnect();
}

void LinkWatcher::retry()
{
    if (!m_link.address().isEmpty() && !m_retry.isActive())
        m_retry.start();
}

void LinkWatcher::stop()
{
    m_retry.stop();
    abandon();
}

void LinkWatcher::attempt()
{
    if (m_attempting)
        return; // the last attempt is still within its bound
    if (!m_link.isDown()) {
        stop();
        return;
    }
    if (!m_link.connectsInBackground()) {
        m_retry.stop();
        return;
    }
    m_attempting = true;
    m_link.connectInBackground();
}

void LinkWatcher::attempted(qint32 handle)
{
    if (!m_attempting)
        return; // abandoned: another connect came first
    m_attempting = false;
    if (handle < 1)
        return;
    stop();
    m_link.adopt(handle);
    m_setPanel(1,
               QStringLiteral("已恢復連接字幕機") + m_link.address() + QStringLiteral("於") +
                   app::timeOfDayText(m_clock.now().time()),
               false);
    // The CG may have been restarted and forgotten its project.
    if (!m_project.path.isEmpty())
        m_link.send(kOpenProject, m_project.path, this, [this](const CgReply& reply) {
            m_setPanel(2, projectStatusText(reply.buffer, reply.result), false);
        });
    emit restored();
}

} // namespace hp::cglink
