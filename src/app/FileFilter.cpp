#include "FileFilter.h"

#include <QStringList>

namespace hp::app {

namespace {
QString widenPattern(const QString& pattern)
{
    QStringList out{pattern};
    for (const QString& p : {pattern.toLower(), pattern.toUpper()})
        if (!out.contains(p))
            out << p;
    return out.join(u' ');
}
} // namespace

QString qtFileFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries << parts[i] + QStringLiteral(" (") + widenPattern(parts[i + 1]) + u')';
    return entries.join(QStringLiteral(";;"));
}

} // namespace hp::app
