// The database work of one recorded outcome: the batter's line and the
// pitcher's line in one unit of work, 1,000 times, on SQLite and PostgreSQL,
// pooled and fresh; beside it the same two statements through the engine's
// own client library, the floor.
//
//   bench_db [PG-CONNECTION]     (PostgreSQL also from $HOMEPLATE_TEST_PG)

#include "ConnectionString.h"
#include "Database.h"
#include "GameStatements.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <vector>

using namespace hp;

namespace {

constexpr int kUnits = 1000;
const char* kBatterSql = "Update SF今日成績 Set 打數=$1,安打=$2,全壘打=$3,打點=$4,打擊率=$5,"
                         "\"1\"=$6,\"2\"=$7,\"3\"=$8,\"4\"=$9,\"5\"=$10,\"6\"=$11,\"7\"=$12,"
                         "\"8\"=$13 Where 棒次=$14";
const char* kPitcherSql = "Update PL今日成績 Set 背號=$1,姓名=$2,局數=$3,好球=$4,壞球=$5,"
                          "被安打=$6,被全壘打=$7,奪三振=$8,四死球=$9,失分=$10,自責分=$11";

struct Stats {
    double median, p99;
};

Stats measure(const std::function<bool(int)>& unit)
{
    std::vector<double> ms;
    ms.reserve(kUnits);
    for (int i = 0; i < 20; ++i)
        unit(i); // warm up
    for (int i = 0; i < kUnits; ++i) {
        QElapsedTimer t;
        t.start();
        if (!unit(i)) {
            std::fprintf(stderr, "unit %d failed\n", i);
            return {-1, -1};
        }
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[size_t(ms.size() * 0.99)]};
}

void report(const char* engine, const char* how, Stats s)
{
    std::printf("| %-10s | %-26s | %8.3f | %8.3f |\n", engine, how, s.median, s.p99);
}

db::BatterLine batterLine(int i)
{
    const QString blank = QStringLiteral("\u3000");
    return {
        QString::number(i % 5),
        QString::number(i % 3),
        QStringLiteral("0"),
        QString::number(i % 2),
        QStringLiteral("0.333"),
        {QStringLiteral("一壘"), QStringLiteral("三振"), blank, blank, blank, blank, blank, blank}};
}

db::PitcherLine pitcherLine(int i)
{
    const QString n = QString::number(i);
    return {QStringLiteral("51"), QStringLiteral("蘇育誠"), n, n, n, n, n, n, n, n, n};
}

bool homeplateUnit(const QString& conn, db::Database::Pooling pooling, int i)
{
    auto d = db::Database::open(conn, pooling);
    if (!d)
        return false;
    db::Database& db = *d.value();
    return db
        .transaction([&]() -> Result<Done> {
            if (auto r = db::saveBatterLine(db, db::Side::First, 1 + i % 9, batterLine(i)); !r)
                return r;
            return db::savePitcherLine(db, db::Side::Second, pitcherLine(i));
        })
        .ok();
}

bool prepare(const QString& conn)
{
    auto d = db::Database::open(conn, db::Database::Pooling::Fresh, db::Database::Missing::Create);
    if (!d || !db::createSchema(*d.value()))
        return false;
    db::Database& db = *d.value();
    for (int slot = 1; slot <= 9; ++slot)
        if (!db::insertBattingSlot(db, db::Side::First, slot, QStringLiteral("北岸海鷗"),
                                   QString::number(slot), QStringLiteral("打者"),
                                   QStringLiteral("C")))
            return false;
    return db::insertPitcher(db, db::Side::Second, QStringLiteral("51"), QStringLiteral("蘇育誠"),
                             QStringLiteral("山城雷豹"))
        .ok();
}

QByteArrayList batterParams(int i)
{
    const auto l = batterLine(i);
    QByteArrayList p{l.atBats.toUtf8(), l.hits.toUtf8(), l.homeRuns.toUtf8(), l.rbi.toUtf8(),
                     l.average.toUtf8()};
    for (const QString& o : l.outcomes)
        p << o.toUtf8();
    p << QByteArray::number(1 + i % 9);
    return p;
}

QByteArrayList pitcherParams(int i)
{
    const auto l = pitcherLine(i);
    QByteArrayList p;
    for (const QString& v : {l.number, l.name, l.thirds, l.strikes, l.balls, l.hits, l.homeRuns,
                             l.strikeouts, l.walks, l.runs, l.earnedRuns})
        p << v.toUtf8();
    return p;
}

bool sqliteFloor(sqlite3* db, int i)
{
    auto run = [&](const char* sql, const QByteArrayList& params) {
        QByteArray text(sql);
        text.replace('$', '?'); // ?NNN binds by number
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, text.constData(), -1, &st, nullptr) != SQLITE_OK)
            return false;
        for (int k = 0; k < params.size(); ++k)
            sqlite3_bind_text(st, k + 1, params[k].constData(), int(params[k].size()),
                              SQLITE_TRANSIENT);
        const bool ok = sqlite3_step(st) == SQLITE_DONE;
        sqlite3_finalize(st);
        return ok;
    };
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    const bool ok = run(kBatterSql, batterParams(i)) && run(kPitcherSql, pitcherParams(i));
    sqlite3_exec(db, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
    return ok;
}

bool pgFloor(PGconn* conn, int i)
{
    auto run = [&](const char* sql, const QByteArrayList& params) {
        std::vector<const char*> values;
        for (const QByteArray& p : params)
            values.push_back(p.constData());
        PGresult* r = PQexecParams(conn, sql, int(values.size()), nullptr, values.data(), nullptr,
                                   nullptr, 0);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        return ok;
    };
    PQclear(PQexec(conn, "BEGIN"));
    const bool ok = run(kBatterSql, batterParams(i)) && run(kPitcherSql, pitcherParams(i));
    PQclear(PQexec(conn, ok ? "COMMIT" : "ROLLBACK"));
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::printf("| engine     | unit of work               | median ms | p99 ms |\n");
    std::printf("|------------|----------------------------|----------:|-------:|\n");

    QTemporaryDir dir;
    db::ConnectionSettings lite;
    lite.file = dir.filePath(QStringLiteral("bench.db"));
    const QString liteConn = db::buildConnectionString(lite);
    if (!prepare(liteConn))
        return 1;
    report("SQLite", "homeplate, pooled", measure([&](int i) {
               return homeplateUnit(liteConn, db::Database::Pooling::Pooled, i);
           }));
    db::Database::closePool();
    report("SQLite", "homeplate, fresh connection", measure([&](int i) {
               return homeplateUnit(liteConn, db::Database::Pooling::Fresh, i);
           }));
    sqlite3* raw = nullptr;
    sqlite3_open(lite.file.toUtf8().constData(), &raw);
    report("SQLite", "libsqlite3 (floor)", measure([&](int i) { return sqliteFloor(raw, i); }));
    sqlite3_close(raw);

    const QString admin =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : qEnvironmentVariable("HOMEPLATE_TEST_PG");
    if (admin.isEmpty()) {
        std::printf("(no PostgreSQL: pass a connection string or set HOMEPLATE_TEST_PG)\n");
        return 0;
    }
    auto pg = db::parseConnectionString(admin);
    if (!pg)
        return 1;
    db::ConnectionSettings s = pg.value();
    s.database = QStringLiteral("bench_") + QUuid::createUuid().toString(QUuid::Id128).left(12);
    {
        auto server = db::Database::open(admin, db::Database::Pooling::Fresh);
        if (!server || !server.value()->exec(QStringLiteral("CREATE DATABASE ") + s.database))
            return 1;
    }
    const QString pgConn = db::buildConnectionString(s);
    if (!prepare(pgConn))
        return 1;
    report("PostgreSQL", "homeplate, pooled",
           measure([&](int i) { return homeplateUnit(pgConn, db::Database::Pooling::Pooled, i); }));
    db::Database::closePool();
    report("PostgreSQL", "homeplate, fresh connection",
           measure([&](int i) { return homeplateUnit(pgConn, db::Database::Pooling::Fresh, i); }));
    const QByteArray info = QStringLiteral("host=%1 port=%2 dbname=%3 user=%4")
                                .arg(s.host)
                                .arg(s.port)
                                .arg(s.database, s.user)
                                .toUtf8();
    PGconn* conn = PQconnectdb(info.constData());
    report("PostgreSQL", "libpq (floor)", measure([&](int i) { return pgFloor(conn, i); }));
    PQfinish(conn);
    return 0;
}
