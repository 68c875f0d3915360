#pragma once

#include <QSettings>
#include <QString>

namespace hp::app {

// Names of the program's own settings area and of the companion area that the
// set-up window fills for the graphics side.
inline const QString kAppName = QStringLiteral("BaseBall");
inline const QString kSection = QStringLiteral("QMR");
inline const QString kCompanionAppName = QStringLiteral("BaseBallCG");

// Per-user key/value store. Application, section and key are matched without
// regard to letter case; an absent key reads as the caller's default. Every
// change is flushed to disk at once so that nothing is lost on a crash.
class SettingsStore {
public:
    explicit SettingsStore(const QString& fileName);

    QString read(const QString& app, const QString& section, const QString& key,
                 const QString& defaultValue = {}) const;
    void write(const QString& app, const QString& section, const QString& key,
               const QString& value);
    void remove(const QString& app, const QString& section, const QString& key);

    // Shorthands for the program's own area ("BaseBall" / "QMR").
    QString get(const QString& key, const QString& defaultValue = {}) const;
    void set(const QString& key, const QString& value);
    void erase(const QString& key);

    QString fileName() const;

    // --settings FILE, else $HOMEPLATE_SETTINGS, else the user's config folder.
    static QString resolveFileName(const QString& commandLineFile);

private:
    static QString path(const QString& app, const QString& section, const QString& key);
    mutable QSettings m_settings;
};

} // namespace hp::app
