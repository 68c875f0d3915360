#pragma once

#include <QFile>

namespace hp::test {

// The resident memory in KiB that a /proc/PID/status file gives, -1 when
// it cannot be read.
inline qint64 residentKiBOf(const QString& statusFile)
{
    QFile status(statusFile);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace hp::test
