#include "RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace hp::app {

namespace {

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
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

} // namespace hp::app
