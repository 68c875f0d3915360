#pragma once

#include "Result.h"

#include <QList>
#include <QSettings>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace hp::app {

// Names of the program's own settings area and of the companion area that the
// set-up window fills for the graphics side.
inline const QString kAppName = QStringLiteral("BaseBall");
inline const QString kSection = QStringLiteral("QMR");
inline const QString kCompanionAppName = QStringLiteral("BaseBallCG");

// Per-user key/value store. Application, section and key are matched without
// regard to letter case; an absent key reads as the caller's default. Every
// change is flushed to disk at once so that nothing is lost on a crash.
//
// A change that cannot be written (a read-only file, a folder that cannot be
// written) is not kept: the keys read as they were before, the failure
// reporter is told once with a message that names the file, and the change
// returns that message as its failure. The changes of one action go in one
// Batch, so that they reach the file together and fail together.
class SettingsStore {
public:
    using FailureReporter = std::function<void(const QString& text, const QString& title)>;

    explicit SettingsStore(const QString& fileName);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    QString read(const QString& app, const QString& section, const QString& key,
                 const QString& defaultValue = {}) const;
    Result<Done> write(const QString& app, const QString& section, const QString& key,
                       const QString& value);
    Result<Done> remove(const QString& app, const QString& section, const QString& key);
    // The keys of a section as the file spells them.
    QStringList keys(const QString& app, const QString& section) const;

    // Shorthands for the program's own area ("BaseBall" / "QMR").
    QString get(const QString& key, const QString& defaultValue = {}) const;
    Result<Done> set(const QString& key, const QString& value);
    Result<Done> erase(const QString& key);

    // Told of every change that could not be written (the application shows it
    // to the operator); none by default.
    void setFailureReporter(FailureReporter reporter);

    QString fileName() const;

    // --settings FILE, else $HOMEPLATE_SETTINGS, else the user's config folder.
    static QString resolveFileName(const QString& commandLineFile);

    // One value to write (or, without a value, a key to remove), by its path.
    struct Change {
        QString path;
        std::optional<QString> value;
    };

    // The changes of one action, collected and written with one sync by
    // commit(): all of them reach the file or, when it cannot be written, none
    // (and one failure is reported). A batch dropped without commit() writes
    // nothing.
    class Batch {
    public:
        explicit Batch(SettingsStore& store);
        Batch& write(const QString& app, const QString& section, const QString& key,
                     const QString& value);
        Batch& remove(const QString& app, const QString& section, const QString& key);
        Batch& set(const QString& key, const QString& value);
        Batch& erase(const QString& key);

        Result<Done> commit();
        // After a commit, when the rest of the action failed: puts back what the
        // keys held before it, with one sync.
        Result<Done> undo();

    private:
        SettingsStore& m_store;
        QList<Change> m_changes;
        QList<Change> m_before;
        bool m_committed = false;
    };

private:
    static QString path(const QString& app, const QString& section, const QString& key);
    // The key of the file that path names: path itself, else a key spelt in
    // another case (the file may be written by hand); empty when there is none.
    QString stored(const QString& path) const;
    // The keys of the file that equal path but for case, path left out.
    QStringList spellings(const QString& path) const;
    // Applies the changes and syncs once; on failure puts the previous values
    // back. before: what the changed keys held, for undoing them.
    Result<Done> apply(const QList<Change>& changes, QList<Change>* before);

    QString m_fileName;
    std::unique_ptr<QSettings> m_settings;
    // A sync failed: QSettings keeps its error from then on, so the next change
    // starts on a fresh object to learn whether the file can be written again.
    bool m_failed = false;
    FailureReporter m_reporter;
};

} // namespace hp::app
