#include "SettingsStore.h"

#include <QDir>
#include <QStandardPaths>
#include <algorithm>

namespace hp::app {

SettingsStore::SettingsStore(const QString& fileName)
    : m_fileName(fileName)
    , m_settings(std::make_unique<QSettings>(fileName, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::path(const QString& app, const QString& section, const QString& key)
{
    return app.toLower() + u'/' + section.toLower() + u'/' + key.toLower();
}

QString SettingsStore::read(const QString& app, const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    const QString p = stored(path(app, section, key));
    if (p.isEmpty())
        return defaultValue;
    return m_settings->value(p).toString();
}

QStringList SettingsStore::keys(const QString& app, const QString& section) const
{
    const QString prefix = path(app, section, QString());
    QStringList out;
    for (const QString& k : m_settings->allKeys())
        if (k.size() > prefix.size() && k.startsWith(prefix, Qt::CaseInsensitive))
            out << k.mid(prefix.size());
    return out;
}

QString SettingsStore::stored(const QString& path) const
{
    if (m_settings->contains(path))
        return path;
    const QStringList variants = spellings(path);
    return variants.isEmpty() ? QString() : variants.first();
}

QStringList SettingsStore::spellings(const QString& path) const
{
    QStringList out;
    for (const QString& k : m_settings->allKeys())
        if (k != path && k.compare(path, Qt::CaseInsensitive) == 0)
            out << k;
    return out;
}

Result<Done> SettingsStore::apply(const QList<Change>& changes, QList<Change>* before)
{
    QList<Change> previous;
    for (const Change& c : changes) {
        const bool seen = std::any_of(previous.cbegin(), previous.cend(),
                                      [&](const Change& p) { return p.path == c.path; });
        if (seen)
            continue;
        std::optional<QString> old;
        if (const QString p = stored(c.path); !p.isEmpty())
            old = m_settings->value(p).toString();
        // Removing a key that is not there changes nothing and writes nothing.
        if (old || c.value)
            previous << Change{c.path, old};
    }
    if (before)
        *before = previous;
    if (previous.isEmpty())
        return success();

    if (m_failed) {
        m_settings = std::make_unique<QSettings>(m_fileName, QSettings::IniFormat);
        m_failed = false;
    }
    auto put = [this](const Change& c) {
        // A key written by hand in another case goes with the change, so that
        // it cannot come back once the change is removed.
        for (const QString& other : spellings(c.path))
            m_settings->remove(other);
        if (c.value)
            m_settings->setValue(c.path, *c.value);
        else
            m_settings->remove(c.path);
    };
    for (const Change& c : changes)
        put(c);
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return success();

    for (const Change& c : previous)
        put(c);
    m_failed = true;
    const QString text =
        QStringLiteral("設定檔 %1 無法寫入,這次的設定變更沒有儲存").arg(m_fileName);
    if (m_reporter)
        m_reporter(text, QStringLiteral("錯誤"));
    return Result<Done>::failure(text);
}

Result<Done> SettingsStore::write(const QString& app, const QString& section, const QString& key,
                                  const QString& value)
{
    return apply({Change{path(app, section, key), value}}, nullptr);
}

Result<Done> SettingsStore::remove(const QString& app, const QString& section, const QString& key)
{
    return apply({Change{path(app, section, key), std::nullopt}}, nullptr);
}

QString SettingsStore::get(const QString& key, const QString& defaultValue) const
{
    return read(kAppName, kSection, key, defaultValue);
}

Result<Done> SettingsStore::set(const QString& key, const QString& value)
{
    return write(kAppName, kSection, key, value);
}

Result<Done> SettingsStore::erase(const QString& key)
{
    return remove(kAppName, kSection, key);
}

void SettingsStore::setFailureReporter(FailureReporter reporter)
{
    m_reporter = std::move(reporter);
}

QString SettingsStore::fileName() const
{
    return m_fileName;
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

SettingsStore::Batch::Batch(SettingsStore& store)
    : m_store(store)
{
}

SettingsStore::Batch& SettingsStore::Batch::write(const QString& app, const QString& section,
                                                  const QString& key, const QString& value)
{
    m_changes << Change{path(app, section, key), value};
    return *this;
}

SettingsStore::Batch& SettingsStore::Batch::remove(const QString& app, const QString& section,
                                                   const QString& key)
{
    m_changes << Change{path(app, section, key), std::nullopt};
    return *this;
}

SettingsStore::Batch& SettingsStore::Batch::set(const QString& key, const QString& value)
{
    return write(kAppName, kSection, key, value);
}

SettingsStore::Batch& SettingsStore::Batch::erase(const QString& key)
{
    return remove(kAppName, kSection, key);
}

Result<Done> SettingsStore::Batch::commit()
{
    const Result<Done> r = m_store.apply(m_changes, &m_before);
    m_committed = r.ok();
    m_changes.clear();
    return r;
}

Result<Done> SettingsStore::Batch::undo()
{
    if (!m_committed)
        return success();
    m_committed = false;
    return m_store.apply(m_before, nullptr);
}

} // namespace hp::app
