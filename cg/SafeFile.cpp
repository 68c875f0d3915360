#include "SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace hp::cg {

namespace {

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

} // namespace

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

} // namespace hp::cg
