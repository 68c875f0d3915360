// Operator action latency on the live console: from the action's start to the
// end of its handler (the remote-control request handled in-process), 1,000
// actions each on the demo season, on SQLite and on PostgreSQL. Beside each,
// the floor: the very statements the action ran, through libsqlite3 or libpq
// in one transaction.
//
//   bench_console [PG-CONNECTION]     (PostgreSQL also from $HOMEPLATE_TEST_PG)

#include "ConnectionString.h"
#include "ConsoleDatabase.h"
#include "DemoGame.h"
#include "RemoteHarness.h"
#include "SetupStatements.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <libpq-fe.h>
#include <map>
#include <sqlite3.h>
#include <vector>

using namespace hp;

namespace {

constexpr int kActions = 1000;
const QString C = QStringLiteral("Baseball_Beat");

struct Stats {
    double median = -1, p99 = -1;
};

Stats stats(std::vector<double> ms)
{
    if (ms.empty())
        return {};
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, size_t(double(ms.size()) * 0.99))]};
}

// What one kind of action cost.
struct Samples {
    std::vector<double> ms;
};
// The statements of every timed action, in the order they ran.
using Log = std::vector<std::pair<QString, db::Statements>>;

class Bench {
public:
    explicit Bench(const QString& engine)
        : m_tdb(engine, test::TestDatabase::Content::Demo)
    {
        auto d = m_tdb.open();
        m_selection = startDemoGame(*d);
        const QString project = m_h.settings.dir.filePath(QStringLiteral("demo.PRJ"));
        QFile f(project);
        f.open(QIODevice::WriteOnly);
        f.write("project\n");
        m_h.settings.store.set(QStringLiteral("ODBC"), m_tdb.connectionString());
        m_h.settings.store.set(QStringLiteral("QPXServerIP"), QStringLiteral("127.0.0.1"));
        m_h.settings.store.set(QStringLiteral("PRJ"), project);
        m_h.settings.store.set(QStringLiteral("PRJpath"), m_h.settings.dir.path() + u'/');
        m_h.settings.store.set(QStringLiteral("PreviewWait"), QStringLiteral("0"));
        openConsole();
    }

    bool ok() const { return m_tdb.ok(); }
    QString connectionString() const { return m_tdb.connectionString(); }

    void openConsole()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == C)
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_h.settings.store.erase(QStringLiteral("Round"));
        m_h.settings.store.erase(QStringLiteral("Half"));
        m_h.navigator.showStart();
        m_h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == C && w->isVisible())
                if (auto* db = w->findChild<console::ConsoleDatabase*>())
                    db->setObserver([this](const db::Statement& s) { m_seen << s; });
    }

    bool act(const QString& control, const QString& action, QJsonObject extra = {})
    {
        const QJsonObject r = m_h.act(C, control, action, extra);
        if (!m_h.ok(r))
            std::fprintf(stderr, "%s %s: %s\n", qPrintable(control), qPrintable(action),
                         qPrintable(r.value(QStringLiteral("error")).toString()));
        return m_h.ok(r);
    }
    bool press(const QString& control, bool ctrl = false)
    {
        QJsonObject extra;
        if (ctrl)
            extra.insert(QStringLiteral("mods"), QJsonArray{QStringLiteral("ctrl")});
        return act(control, QStringLiteral("press"), extra);
    }
    bool tab(int index)
    {
        return act(QStringLiteral("SSTab3"), QStringLiteral("select"),
                   {{QStringLiteral("index"), index}});
    }
    QString text(const QString& control)
    {
        return m_h.get(C, control)[QStringLiteral("text")].toString();
    }

    // Times one action and keeps the statements it ran.
    bool timed(const QString& kind, const std::function<bool()>& action)
    {
        m_seen.clear();
        QElapsedTimer t;
        t.start();
        const bool ok = action();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        m_samples[kind].ms.push_back(ms);
        m_log.push_back({kind, m_seen});
        return ok;
    }

    bool run()
    {
        const QString box1 = QStringLiteral("TimesS_txt(1)");
        const QString box2 = QStringLiteral("TimesS_txt(2)");
        auto dbl = [&](const QString& box) { return act(box, QStringLiteral("dblclick")); };
        for (int i = 0; i < kActions / 2; ++i) {
            if (!timed(QStringLiteral("count click"),
                       [&] { return press(QStringLiteral("SBO_Lab(2)")); }) ||
                !timed(QStringLiteral("count click"),
                       [&] { return press(QStringLiteral("SBO_Lab(2)"), true); }))
                return false;
        }
        for (int i = 0; i < kActions; ++i)
            if (!timed(QStringLiteral("next batter"),
                       [&] { return act(QStringLiteral("Command4"), QStringLiteral("click")); }))
                return false;
        // Each measured outcome goes into the second box with the correction
        // flag clear: a first outcome in box 1 clears it.
        auto outcome = [&](const QString& kind, const QString& button, int tabIndex,
                           const std::function<void()>& before) {
            for (int i = 0; i < kActions; ++i) {
                tab(0);
                if (!act(QStringLiteral("Command1(2)"), QStringLiteral("click")))
                    return false;
                before();
                tab(tabIndex);
                if (!timed(kind, [&] { return act(button, QStringLiteral("click")); }))
                    return false;
                if (!timed(QStringLiteral("undo"), [&] { return dbl(box2); }) || !dbl(box1))
                    return false;
            }
            return true;
        };
        // One outcome and its undo first, so that every prime runs correcting.
        tab(0);
        if (!act(QStringLiteral("Command1(2)"), QStringLiteral("click")) || !dbl(box1))
            return false;
        if (!outcome(QStringLiteral("outcome 一壘"), QStringLiteral("Command1(2)"), 0, [] {}))
            return false;
        if (!outcome(QStringLiteral("全壘 with two runners"), QStringLiteral("Command1(5)"), 0,
                     [&] {
                         act(QStringLiteral("Base_Check(1)"), QStringLiteral("check"),
                             {{QStringLiteral("value"), 1}});
                         act(QStringLiteral("Base_Check(2)"), QStringLiteral("check"),
                             {{QStringLiteral("value"), 1}});
                     }))
            return false;
        if (!outcome(QStringLiteral("third out"), QStringLiteral("Command2(2)"), 1, [&] {
                while (text(QStringLiteral("SBO_Lab(3)")) != QStringLiteral("2"))
                    press(QStringLiteral("SBO_Lab(3)"));
            }))
            return false;
        for (int i = 0; i < kActions; ++i) {
            if (text(QStringLiteral("Frame1")) == QStringLiteral("12T"))
                openConsole();
            while (!m_h.get(C, QStringLiteral("Next_Command"))[QStringLiteral("enabled")].toBool())
                press(QStringLiteral("SBO_Lab(3)"));
            if (!timed(QStringLiteral("change of half-inning"), [&] {
                    return act(QStringLiteral("Next_Command"), QStringLiteral("click"));
                }))
                return false;
        }
        return true;
    }

    const std::map<QString, Samples>& samples() const { return m_samples; }
    const Log& log() const { return m_log; }

private:
    test::TestDatabase m_tdb;
    test::RemoteHarness m_h;
    setup::Selection m_selection;
    db::Statements m_seen;
    std::map<QString, Samples> m_samples;
    Log m_log;
};

QByteArrayList params(const db::Statement& s)
{
    QByteArrayList out;
    for (const QVariant& v : s.values)
        out << v.toString().toUtf8();
    return out;
}

bool sqliteFloor(sqlite3* db, const db::Statements& statements)
{
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    bool ok = true;
    for (const db::Statement& s : statements) {
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = s.sql.toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
            ok = false;
            break;
        }
        const QByteArrayList p = params(s);
        for (int k = 0; k < p.size(); ++k)
            sqlite3_bind_text(st, k + 1, p[k].constData(), int(p[k].size()), SQLITE_TRANSIENT);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) {
            ok = false;
            break;
        }
    }
    sqlite3_exec(db, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
    return ok;
}

bool pgFloor(PGconn* conn, const db::Statements& statements)
{
    PQclear(PQexec(conn, "BEGIN"));
    bool ok = true;
    for (const db::Statement& s : statements) {
        QByteArray sql = s.sql.toUtf8();
        QByteArray numbered;
        int n = 0;
        for (char c : sql)
            numbered += c == '?' ? QByteArray("$") + QByteArray::number(++n) : QByteArray(1, c);
        const QByteArrayList p = params(s);
        std::vector<const char*> values;
        for (const QByteArray& v : p)
            values.push_back(v.constData());
        PGresult* r = PQexecParams(conn, numbered.constData(), int(values.size()), nullptr,
                                   values.data(), nullptr, nullptr, 0);
        const auto status = PQresultStatus(r);
        PQclear(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            ok = false;
            break;
        }
    }
    PQclear(PQexec(conn, ok ? "COMMIT" : "ROLLBACK"));
    return ok;
}

// The same statements again, in the same order, so that the data changes as
// it did (an engine may skip work for a write that changes nothing).
template <typename Floor> std::map<QString, Samples> floor(const Log& log, Floor run)
{
    std::map<QString, Samples> out;
    for (const auto& [kind, statements] : log) {
        QElapsedTimer t;
        t.start();
        if (!run(statements))
            return {};
        out[kind].ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return out;
}

void report(const char* engine, const Bench& bench, const std::map<QString, Samples>& floors)
{
    for (const auto& [kind, samples] : bench.samples()) {
        const Stats a = stats(samples.ms);
        const auto f = floors.find(kind);
        const Stats b = f == floors.end() ? Stats{} : stats(f->second.ms);
        std::printf("| %-10s | %-22s | %9.3f | %8.3f | %9.3f | %8.3f |\n", engine, qPrintable(kind),
                    a.median, a.p99, b.median, b.p99);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOMEPLATE_LOOPBACK_ONLY", "1");
    if (argc > 1)
        qputenv("HOMEPLATE_TEST_PG", argv[1]);
    QApplication app(argc, argv);
    std::printf(
        "| engine     | action                 | median ms | p99 ms | floor med | floor p99 |\n");
    std::printf(
        "|------------|------------------------|----------:|-------:|----------:|----------:|\n");
    for (const QString& engine : test::TestDatabase::engines()) {
        Bench bench(engine);
        if (!bench.ok() || !bench.run()) {
            std::fprintf(stderr, "%s: the benchmark did not run through\n", qPrintable(engine));
            return 1;
        }
        db::Database::closePool();
        auto settings = db::parseConnectionString(bench.connectionString()).value();
        if (engine == QStringLiteral("sqlite")) {
            sqlite3* raw = nullptr;
            sqlite3_open(settings.file.toUtf8().constData(), &raw);
            report("SQLite", bench, floor(bench.log(), [&](const db::Statements& st) {
                       return sqliteFloor(raw, st);
                   }));
            sqlite3_close(raw);
        } else {
            const QByteArray info = QStringLiteral("host=%1 port=%2 dbname=%3 user=%4")
                                        .arg(settings.host)
                                        .arg(settings.port)
                                        .arg(settings.database, settings.user)
                                        .toUtf8();
            PGconn* conn = PQconnectdb(info.constData());
            report("PostgreSQL", bench,
                   floor(bench.log(), [&](const db::Statements& st) { return pgFloor(conn, st); }));
            PQfinish(conn);
        }
    }
    return 0;
}
