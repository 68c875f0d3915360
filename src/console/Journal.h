#pragma once

#include "Database.h"

#include <QDateTime>
#include <QJsonObject>

namespace hp::console {

// The units of work that could not reach the database, in the order the
// operator made them, kept in a file until they are stored; and the units the
// database refused, set aside with its words for the operator to look at.
//
// The file is one UTF-8 JSON document, rewritten whole through a temporary
// file that is flushed and renamed over it, so that a crash at any moment
// leaves either the old journal or the new one:
//   {"pending":  [{"at": "...", "statements": [{"sql": "...", "values": [V, ...]}]}],
//    "rejected": [{"at": "...", "error": "...", "statements": [...]}],
//    "tables":   {...}}
// where each value V is {"type": "text"|"integer"|"real"|"boolean"|"null",
// "value": ...} (integers as text, so that none loses digits), and "tables"
// holds the rows the console keeps of the game while units wait.
class Journal {
public:
    struct Unit {
        QDateTime at;
        db::Statements statements;
        QString error; // why a rejected unit was refused
    };

    explicit Journal(QString fileName);

    // The journal beside a settings file: "NAME.journal.json" in its folder.
    static QString besideSettings(const QString& settingsFile);

    // Reads the file; a missing file is an empty journal. A file that cannot
    // be read is moved aside (its name gets ".unreadable") and reported.
    Result<Done> load();
    // Writes the journal atomically; with nothing in it, removes the file.
    Result<Done> save();

    const QString& fileName() const { return m_fileName; }
    const QList<Unit>& pending() const { return m_pending; }
    const QList<Unit>& rejected() const { return m_rejected; }
    bool hasPending() const { return !m_pending.isEmpty(); }

    void append(const db::Statements& statements, const QDateTime& at);
    // The first waiting unit was stored.
    void dropFirst();
    // The first waiting unit was refused: set aside with the engine's words.
    void rejectFirst(const QString& error);
    // A unit refused as it was made.
    void reject(const db::Statements& statements, const QDateTime& at, const QString& error);

    const QJsonObject& tables() const { return m_tables; }
    void setTables(QJsonObject tables) { m_tables = std::move(tables); }

    // A statement and its typed values to JSON and back.
    static QJsonObject toJson(const db::Statement& statement);
    static std::optional<db::Statement> statementFromJson(const QJsonObject& object);

private:
    QString m_fileName;
    QList<Unit> m_pending;
    QList<Unit> m_rejected;
    QJsonObject m_tables;
};

} // namespace hp::console
