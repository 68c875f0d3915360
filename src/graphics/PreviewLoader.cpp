#include "PreviewLoader.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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
    Stamp s;
    s.exists = true;
    s.modified = info.lastModified();
    s.size = info.size();
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) == 0) {
        s.inode = quint64(st.st_ino);
        s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        s.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    }
#endif
    return s;
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
    const bool written = now.exists && !(now == m_before);
    if (written || m_elapsed.elapsed() >= m_waitMs)
        finish(written);
}

void PreviewLoader::finish(bool written)
{
    m_timer.stop();
    m_elapsed.invalidate();
    emit ready(m_file, written);
}

} // namespace hp::graphics
