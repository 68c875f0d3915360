#include "PreviewLoader.h"

#include <QFileInfo>

namespace hp::graphics {

namespace {
constexpr int kPollMs = 2;
}

PreviewLoader::PreviewLoader(QObject* parent)
    : QObject(parent)
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &PreviewLoader::poll);
}

PreviewLoader::Stamp PreviewLoader::stampOf(const QString& file)
{
    const QFileInfo info(file);
    if (!info.exists())
        return {};
    return {true, info.lastModified(), info.size()};
}

void PreviewLoader::arm(const QString& file)
{
    m_timer.stop();
    m_file = file;
    m_before = stampOf(file);
}

void PreviewLoader::await(int waitMs)
{
    m_waitMs = qMax(0, waitMs);
    m_elapsed.start();
    poll();
    if (m_elapsed.isValid())
        m_timer.start();
}

void PreviewLoader::poll()
{
    const Stamp now = stampOf(m_file);
    if ((now.exists && !(now == m_before)) || m_elapsed.elapsed() >= m_waitMs)
        finish();
}

void PreviewLoader::finish()
{
    m_timer.stop();
    m_elapsed.invalidate();
    emit ready(m_file);
}

} // namespace hp::graphics
