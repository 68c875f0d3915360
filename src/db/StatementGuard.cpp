#include "StatementGuard.h"

#include <QSqlDriver>
#include <QVariant>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <libpq-fe.h>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <sys/socket.h>
#include <thread>

namespace hp::db {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSeverAfter = std::chrono::milliseconds(100);

struct Armed {
    Clock::time_point deadline;
    int stage = 0; // 0: waiting for the bound, 1: cancelled, waiting to sever
    std::function<void()> cancel;
    std::function<void()> sever;
    std::shared_ptr<std::atomic<bool>> fired;
};

class Watchdog {
public:
    static Watchdog& instance()
    {
        // Never destroyed: guards may disarm during static destruction.
        static auto* w = new Watchdog;
        return *w;
    }

    quint64 arm(Armed armed)
    {
        std::lock_guard lock(m_mutex);
        const quint64 token = ++m_next;
        m_armed.emplace(token, std::move(armed));
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        m_wake.notify_one();
        return token;
    }

    void disarm(quint64 token)
    {
        std::lock_guard lock(m_mutex);
        m_armed.erase(token);
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            auto next = Clock::time_point::max();
            const auto now = Clock::now();
            for (auto& [token, a] : m_armed) {
                if (a.stage < 2 && a.deadline <= now) {
                    // Called with the lock held: the connection cannot be
                    // closed under the call, since its owner disarms first.
                    if (a.stage == 0) {
                        a.fired->store(true);
                        if (a.cancel)
                            a.cancel();
                        a.deadline = now + kSeverAfter;
                    } else if (a.sever) {
                        a.sever();
                    }
                    ++a.stage;
                }
                if (a.stage < 2)
                    next = std::min(next, a.deadline);
            }
            if (next == Clock::time_point::max())
                m_wake.wait(lock);
            else
                m_wake.wait_until(lock, next);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<quint64, Armed> m_armed;
    quint64 m_next = 0;
    std::thread m_thread;
};

} // namespace

StatementGuard::StatementGuard(const QSqlDatabase& connection, int boundMs)
    : m_fired(std::make_shared<std::atomic<bool>>(false))
{
    if (boundMs <= 0 || !connection.isOpen() || !connection.driver())
        return;
    const QVariant handle = connection.driver()->handle();
    Armed a;
    a.deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    a.fired = m_fired;
    if (qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        sqlite3* db = *static_cast<sqlite3* const*>(handle.data());
        if (!db)
            return;
        a.cancel = [db] { sqlite3_interrupt(db); };
    } else if (qstrcmp(handle.typeName(), "PGconn*") == 0 ||
               qstrcmp(handle.typeName(), "pg_conn*") == 0) { // the typedef's struct
        PGconn* conn = *static_cast<PGconn* const*>(handle.data());
        if (!conn)
            return;
        // The cancel request opens a connection of its own to the server,
        // which may not answer: it is sent from a thread of its own, with
        // its own copy of what it needs.
        std::shared_ptr<PGcancel> cancel(PQgetCancel(conn), PQfreeCancel);
        a.cancel = [cancel] {
            if (!cancel)
                return;
            std::thread([cancel] {
                char error[256];
                PQcancel(cancel.get(), error, sizeof error);
            }).detach();
        };
        const int socket = PQsocket(conn);
        a.sever = [socket] {
            if (socket >= 0)
                ::shutdown(socket, SHUT_RDWR);
        };
    } else {
        return;
    }
    m_token = Watchdog::instance().arm(std::move(a));
}

StatementGuard::~StatementGuard()
{
    if (m_token)
        Watchdog::instance().disarm(m_token);
}

bool StatementGuard::fired() const
{
    return m_fired->load();
}

} // namespace hp::db
