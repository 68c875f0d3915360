#pragma once

#include "Database.h"

#include <QStringList>
#include <QTemporaryDir>

namespace hp::test {

// Fresh game databases for tests: an SQLite file in a temporary folder, or a
// new database on the throwaway PostgreSQL server named by HOMEPLATE_TEST_PG.
class TestDatabase {
public:
    // "sqlite", and "postgresql" when the test server is there.
    static QStringList engines();
    // Adds the engine column and one row per engine to a data-driven test.
    static void addEngineRows();

    // A new, empty database; with tables; with tables and the demo season.
    enum class Content { Empty, Schema, Demo };
    explicit TestDatabase(const QString& engine, Content content = Content::Schema);

    const QString& connectionString() const { return m_connection; }
    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    std::unique_ptr<db::Database> open() const;

private:
    QTemporaryDir m_dir;
    QString m_connection;
    QString m_error;
};

} // namespace hp::test
