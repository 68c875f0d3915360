#pragma once

#include "Database.h"

#include <QObject>
#include <functional>
#include <memory>

namespace hp::console {

using db::Statement;
using db::Statements;

// Every database read and write of the console. One operator action is one
// unit of work: whatever its handlers read and write goes through one
// connection and one transaction, committed when the action ends, so that an
// action is stored whole or not at all. A failing statement ends the action's
// database work (rolled back, the rest of it refused) and is reported; the
// screen keeps what the operator recorded.
class ConsoleDatabase : public QObject {
    Q_OBJECT
public:
    explicit ConsoleDatabase(std::function<QString()> connectionString, QObject* parent = nullptr);
    ~ConsoleDatabase() override;

    // Held for the length of one operator action; an action started inside
    // another joins it.
    class Action {
    public:
        explicit Action(ConsoleDatabase& db);
        ~Action();
        Action(const Action&) = delete;
        Action& operator=(const Action&) = delete;

    private:
        ConsoleDatabase& m_db;
    };

    Result<db::Rows> query(const QString& sql, const QVariantList& values = {});
    // The first row, or nullopt when there is none or the query failed.
    std::optional<db::Row> firstRow(const QString& sql, const QVariantList& values = {});
    // Writes the statements as part of the current action (or as an action of
    // their own when none is running).
    void store(const Statements& statements);
    void store(const Statement& statement) { store(Statements{statement}); }
    // Whether the current action's database work has failed (its reads are
    // refused from then on, and nothing of it is stored).
    bool actionFailed() const { return m_actionFailed; }

    // Statements run once per connection string before the first action, for
    // tables an older database may lack. Their failure is reported.
    void setPreparation(std::function<Statements(db::ConnectionSettings::Engine)> preparation);

    // Sees every statement as it is run (benchmarks, diagnostics).
    void setObserver(std::function<void(const Statement&)> observer)
    {
        m_observer = std::move(observer);
    }

signals:
    // A statement or the connection failed: the engine's words.
    void failed(const QString& error);
    // An action was stored after an earlier one had failed.
    void recovered();

private:
    void begin();
    void end();
    db::Database* session();
    void fail(const QString& error);

    std::function<QString()> m_connectionString;
    std::function<Statements(db::ConnectionSettings::Engine)> m_preparation;
    std::function<void(const Statement&)> m_observer;
    QString m_prepared;
    int m_depth = 0;
    std::unique_ptr<db::Database> m_db;
    bool m_inTransaction = false;
    bool m_actionFailed = false;
    bool m_wrote = false;
    bool m_downReported = false;
};

} // namespace hp::console
