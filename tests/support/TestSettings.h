#pragma once

#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <unistd.h>

namespace hp::test {

// A settings store in a folder of its own that goes away with the test.
struct TestSettings {
    QTemporaryDir dir;
    app::SettingsStore store{dir.filePath(QStringLiteral("settings.ini"))};

    // Nothing can be written to the settings file from now on: the file and its
    // folder are made read-only; for root, whom permissions do not stop, a
    // folder takes the file's place.
    void makeUnwritable()
    {
        const QString file = store.fileName();
        if (::geteuid() != 0) {
            QFile::setPermissions(file, QFile::ReadOwner);
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
            return;
        }
        QFile f(file);
        if (f.open(QIODevice::ReadOnly))
            m_saved = f.readAll();
        f.close();
        QFile::remove(file);
        QDir().mkpath(file);
    }
    void makeWritable()
    {
        const QString file = store.fileName();
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        if (QFileInfo(file).isDir()) {
            QDir(file).removeRecursively();
            QFile f(file);
            if (f.open(QIODevice::WriteOnly))
                f.write(m_saved);
        }
    }
    ~TestSettings() { makeWritable(); }

private:
    QByteArray m_saved;
};

} // namespace hp::test
