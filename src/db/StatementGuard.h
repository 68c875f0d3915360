#pragma once

#include <QSqlDatabase>
#include <atomic>
#include <memory>

namespace hp::db {

// Bounds how long a statement may hold the thread that runs it. Past the
// bound the statement in flight is cancelled: SQLite is interrupted,
// PostgreSQL is sent a cancel request; a server that does not answer the
// cancel within a tenth of a second (a frozen backend, a stopped server) has
// the connection's socket shut, so that the wait ends all the same. Either
// way the connection is not used again.
//
// One watchdog thread serves every guard; arming and disarming are cheap.
class StatementGuard {
public:
    // Arms the watchdog for the connection; a bound of 0 arms nothing.
    StatementGuard(const QSqlDatabase& connection, int boundMs);
    ~StatementGuard();
    StatementGuard(const StatementGuard&) = delete;
    StatementGuard& operator=(const StatementGuard&) = delete;

    // Whether the bound passed and the statement was cancelled.
    bool fired() const;

private:
    std::shared_ptr<std::atomic<bool>> m_fired;
    quint64 m_token = 0;
};

} // namespace hp::db
