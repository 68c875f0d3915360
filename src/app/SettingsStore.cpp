#include "SettingsStore.h"

#include <QDir>
#include <QStandardPaths>

namespace hp::app {

SettingsStore::SettingsStore(const QString& fileName)
    : m_settings(fileName, QSettings::IniFormat)
{
}

QString SettingsStore::path(const QString& app, const QString& section, const QString& key)
{
    return app.toLower() + u'/' + section.toLower() + u'/' + key.toLower();
}

QString SettingsStore::read(const QString& app, const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    const QString p = path(app, section, key);
    if (!m_settings.contains(p))
        return defaultValue;
    return m_settings.value(p).toString();
}

void SettingsStore::write(const QString& app, const QString& section, const QString& key,
                          const QString& value)
{
    m_settings.setValue(path(app, section, key), value);
    m_settings.sync();
}

void SettingsStore::remove(const QString& app, const QString& section, const QString& key)
{
    const QString p = path(app, section, key);
    if (!m_settings.contains(p))
        return;
    m_settings.remove(p);
    m_settings.sync();
}

QString SettingsStore::get(const QString& key, const QString& defaultValue) const
{
    return read(kAppName, kSection, key, defaultValue);
}

void SettingsStore::set(const QString& key, const QString& value)
{
    write(kAppName, kSection, key, value);
}

void SettingsStore::erase(const QString& key)
{
    remove(kAppName, kSection, key);
}

QString SettingsStore::fileName() const
{
    return m_settings.fileName();
}

QString SettingsStore::resolveFileName(const QString& commandLineFile)
{
    if (!commandLineFile.isEmpty())
        return commandLineFile;
    const QString env = qEnvironmentVariable("HOMEPLATE_SETTINGS");
    if (!env.isEmpty())
        return env;
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.config/homeplate");
    QDir().mkpath(dir);
    return dir + QStringLiteral("/settings.ini");
}

} // namespace hp::app
