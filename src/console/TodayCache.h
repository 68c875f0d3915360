#pragma once

#include "Database.h"

#include <QHash>
#include <QJsonObject>

namespace hp::console {

// The rows of the game that the console keeps from the opening on: the today
// tables (both batting orders, both pitching rows, SBO表, RHE, 下三棒, the
// batters who left the game, the play log) as read
// and then as written, and the season rosters as read. While the database
// cannot be reached, the console's reads are answered from them.
//
// It understands the console's own statements: SELECT with a column list or
// *, WHERE of col=? / col<>? joined by AND, ORDER BY columns or LENGTH(col),
// LIMIT; UPDATE … SET col=? … [WHERE …]; INSERT INTO t (cols) VALUES (…);
// DELETE FROM t [WHERE …]. A write to a kept table that it does not
// understand makes that table unknown, so that no read is answered wrong.
class TodayCache {
public:
    // The tables kept, the today tables first.
    static QStringList keptTables();
    // The today tables: those the console writes (and a journal snapshot holds).
    static QStringList todayTables();

    // The table's rows as the database gave them, in place of what was kept.
    void keep(const QString& table, const db::Rows& rows);
    void forget(const QString& table);
    bool holds(const QString& table) const;
    bool empty() const { return m_tables.isEmpty(); }

    // A statement the database stored (or will store): applied to the rows.
    void apply(const db::Statement& statement);
    void apply(const db::Statements& statements);
    // The rows a query would give, or nullopt when the kept rows cannot tell.
    std::optional<db::Rows> answer(const db::Statement& query) const;

    // The today tables, for a journal, and back.
    QJsonObject snapshot() const;
    void restore(const QJsonObject& snapshot);

private:
    struct Table {
        QStringList columns; // lower case
        QStringList fallbacks;
        int sequence = -1; // the column numbering the rows, if any
        qint64 nextSequence = 1;
        QList<QStringList> rows;
    };
    static std::optional<Table> emptyTable(const QString& table);

    QHash<QString, Table> m_tables; // by lower-case name
};

} // namespace hp::console
