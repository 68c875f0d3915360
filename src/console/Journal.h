#pragma once

#include "Database.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>

namespace hp::console {

// The statements a journal may hold, by name: only these are ever run from
// one, with the values it keeps.
class StatementNames {
public:
    void add(const QString& name, const QString& sql);
    // The name of a statement's text; empty when it is none of them.
    QString nameOf(const QString& sql) const { return m_names.value(sql); }
    std::optional<QString> sqlOf(const QString& name) const;

private:
    QHash<QString, QString> m_sql;   // by name
    QHash<QString, QString> m_names; // by text
};

// The units of work that could not reach the database, in the order the
// operator made them, kept in a file until they are stored.
//
// The file holds one JSON object a line, appended and synced to disk one
// unit at a time; nothing in it is ever rewritten:
//   {"journal": 2, "game": G, "database": D, "through": N, "tables": {...}}
//   {"seq": N, "game": G, "at": "...", "statements": [{"name": S, "values": [V, ...]}]}
//   ...
// The first line names the game the units belong to (the game the tables
// held, named at GO) and the rows the console kept of it after unit N; each
// further line is one unit with its sequence number. Each value V is
// {"type": "text"|"integer"|"real"|"boolean"|"null", "value": ...} (integers
// as text, so that none loses digits). The database keeps the game's last
// stored sequence, so a unit read again after it was stored is skipped.
//
// Units the database refused, or that name no statement of the console,
// go with the reason to "NAME.journal.rejected.jsonl" beside it; a journal of
// another game is renamed, never deleted.
class Journal {
public:
    struct Unit {
        qint64 seq = 0;
        QString game;
        QDateTime at;
        db::Statements statements;
    };
    struct Rejected {
        QString error;
        QJsonObject unit;
    };

    Journal(QString fileName, StatementNames names);

    // The journal beside a settings file: "NAME.journal.jsonl" in its folder.
    static QString besideSettings(const QString& settingsFile);

    // Reads the file; a missing file is an empty journal. What cannot be used
    // (a line cut short, a unit naming an unknown statement, a journal in the
    // older form that held statement texts) is set aside and named in
    // problems().
    void load();
    const QStringList& problems() const { return m_problems; }

    const QString& fileName() const { return m_fileName; }
    QString rejectedFileName() const;
    const QList<Unit>& pending() const { return m_pending; }
    bool hasPending() const { return !m_pending.isEmpty(); }
    // The game of the waiting units and the database they were made on.
    const QString& game() const { return m_game; }
    const QString& database() const { return m_database; }
    qint64 lastSeq() const { return m_pending.isEmpty() ? 0 : m_pending.last().seq; }
    // The rows kept after unit tablesThrough(), as the file holds them.
    const QJsonObject& tables() const { return m_tables; }
    qint64 tablesThrough() const { return m_through; }

    // Which game and database the units of a new file belong to, and the
    // rows kept after unit `through` (written at the head of a new file).
    void setGame(const QString& game, const QString& database);
    void setTables(QJsonObject tables, qint64 through);

    // Adds a unit and writes every unit not yet written, in order.
    Result<Done> append(const Unit& unit);
    // Writes the units a failed write left in memory only.
    Result<Done> flush();
    int unwritten() const { return m_unwritten; }
    // Whether the file has its first line (a new file gets setTables' rows).
    bool headed() const { return m_headed; }

    // The units up to `seq` were stored: they leave the memory, and with
    // nothing waiting the file goes.
    Result<Done> stored(qint64 seq);
    // A unit the database refused, set aside with its words.
    Result<Done> reject(Unit unit, const QString& error); // a copy: it may be one of pending()
    // The whole journal of another game or database, renamed aside; returns
    // the new name.
    Result<QString> setAside();
    QList<Rejected> readRejected() const;

    // A unit to its line and back (nullopt, with the reason, for a line
    // that does not name known statements with typed values).
    QJsonObject toJson(const Unit& unit) const;
    std::optional<Unit> unitFromJson(const QJsonObject& object, QString* why) const;

private:
    Result<Done> appendLine(const QString& file, const QByteArray& line);
    QByteArray headLine() const;
    // The file anew with the units waiting and nothing else, in one step.
    Result<Done> rewrite();

    QString m_fileName;
    StatementNames m_names;
    QList<Unit> m_pending;
    int m_unwritten = 0; // the last units of m_pending, not yet in the file
    bool m_headed = false;
    QString m_game;
    QString m_database;
    QJsonObject m_tables;
    qint64 m_through = 0;
    QStringList m_problems;
};

} // namespace hp::console
