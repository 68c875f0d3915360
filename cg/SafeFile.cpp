#include "SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hp::cg {

namespace {

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool within(const QString& path, const QString& folder)
{
    if (folder == QStringLiteral("/"))
        return path.startsWith(u'/') && path.size() > 1;
    return path.startsWith(folder + u'/');
}

QString canonicalFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() ? info.canonicalFilePath() : QString();
}

class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

Result<QByteArray> readRegularFile(const QString& path, qint64 maxBytes)
{
    using R = Result<QByteArray>;
    const QByteArray name = QFile::encodeName(path);
    auto checked = [&](const struct stat& st) -> std::optional<QString> {
        if (!S_ISREG(st.st_mode))
            return QStringLiteral("%1 is not a regular file").arg(path);
        if (st.st_size > maxBytes)
            return QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes);
        return std::nullopt;
    };
    // Looked at before it is opened: opening a FIFO waits for a writer, and
    // reading a device may never end.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return R::failure(QStringLiteral("cannot open %1: %2").arg(path, lastError()));
    if (const auto why = checked(st))
        return R::failure(*why);
    const Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return R::failure(QStringLiteral("cannot open %1: %2").arg(path, lastError()));
    // And again once open, in case the name was pointed elsewhere in between.
    if (::fstat(fd.get(), &st) != 0)
        return R::failure(QStringLiteral("cannot read %1: %2").arg(path, lastError()));
    if (const auto why = checked(st))
        return R::failure(*why);
    QByteArray data;
    data.reserve(qsizetype(st.st_size));
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return R::failure(QStringLiteral("cannot read %1: %2").arg(path, lastError()));
        if (n == 0)
            return data;
        if (data.size() + n > maxBytes)
            return R::failure(QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes));
        data.append(chunk, n);
    }
}

Result<QString> existingFileInside(const QString& path, const QString& folder)
{
    const QString root = canonicalFolder(folder);
    const QString resolved = QFileInfo(path).canonicalFilePath();
    if (resolved.isEmpty())
        return Result<QString>::failure(QStringLiteral("%1 does not exist").arg(path));
    if (root.isEmpty() || !within(resolved, root))
        return Result<QString>::failure(QStringLiteral("%1 is not inside %2").arg(path, folder));
    return resolved;
}

Result<QString> newFileInside(const QString& path, const QString& folder)
{
    using R = Result<QString>;
    const QFileInfo info(path);
    if (!info.isAbsolute())
        return R::failure(QStringLiteral("%1 is not a full path").arg(path));
    const QString name = info.fileName();
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return R::failure(QStringLiteral("%1 does not name a file").arg(path));
    const QString root = canonicalFolder(folder);
    const QString dir = canonicalFolder(info.path());
    if (dir.isEmpty())
        return R::failure(QStringLiteral("the folder of %1 does not exist").arg(path));
    if (root.isEmpty() || (dir != root && !within(dir, root)))
        return R::failure(QStringLiteral("%1 is not inside %2").arg(path, folder));
    const QString target = dir + u'/' + name;
    struct stat st {};
    if (::lstat(QFile::encodeName(target).constData(), &st) == 0) {
        if (S_ISLNK(st.st_mode))
            return R::failure(QStringLiteral("%1 is a symbolic link").arg(path));
        if (!S_ISREG(st.st_mode))
            return R::failure(QStringLiteral("%1 is not a regular file").arg(path));
    }
    return target;
}

Result<Done> replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    using R = Result<Done>;
    const QFileInfo info(path);
    QTemporaryFile file(info.path() + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!file.open())
        return R::failure(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    if (!write(file) || !file.flush())
        return R::failure(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    // A temporary file is its owner's alone; the file it becomes is for
    // whoever may read the folder.
    ::fchmod(file.handle(), 0644);
    if (::rename(QFile::encodeName(file.fileName()).constData(),
                 QFile::encodeName(path).constData()) != 0)
        return R::failure(QStringLiteral("cannot write %1: %2").arg(path, lastError()));
    file.setAutoRemove(false);
    return success();
}

} // namespace hp::cg
