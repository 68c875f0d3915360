// Soak run: 10,000 random operator actions over the remote control, graphics
// included, against a real homeplate-cg, on SQLite and on PostgreSQL; then the
// tables must equal the screen, and the resident memory after the run must be
// within 10 % of what it was after the first 1,000 actions.
//
//   soak_console PATH-TO-demo.PRJ [PG-CONNECTION]   (PostgreSQL also from $HOMEPLATE_TEST_PG)

#include "CgProcess.h"
#include "DemoGame.h"
#include "RandomPlay.h"
#include "RemoteHarness.h"
#include "TcpQpxNet.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

using namespace hp;

namespace {

constexpr int kActions = 10000;
constexpr int kWarmUp = 1000;
const QString C = QStringLiteral("Baseball_Beat");

qint64 residentKiB()
{
    return test::residentKiBOf(QStringLiteral("/proc/self/status"));
}

db::Row rowAt(const db::Rows& rows, qsizetype i)
{
    return i < rows.size() ? rows[i] : db::Row(std::make_shared<QStringList>(), {});
}

// Where the tables and the screen differ, one line each.
QStringList differences(test::RemoteHarness& h, db::Database& d)
{
    QStringList out;
    auto text = [&](const QString& control) {
        return h.get(C, control)[QStringLiteral("text")].toString();
    };
    auto compare = [&](const QString& what, const QString& stored, const QString& shown) {
        if (stored != shown)
            out << what + QStringLiteral(": table ") + stored + QStringLiteral(", screen ") + shown;
    };
    const db::Row sbo = rowAt(d.query(QStringLiteral("SELECT * FROM SBO表")).value(), 0);
    for (int i = 1; i <= 3; ++i) {
        compare(QStringLiteral("SBO %1").arg(i),
                sbo.value(QStringList{QStringLiteral("S"), QStringLiteral("B"),
                                      QStringLiteral("O")}[i - 1]),
                text(QStringLiteral("SBO_Lab(%1)").arg(i)));
        const bool ticked =
            h.get(C, QStringLiteral("Base_Check(%1)").arg(i))[QStringLiteral("checked")].toInt() ==
            1;
        compare(QStringLiteral("base %1").arg(i), sbo.value(QStringLiteral("Base%1").arg(i)),
                ticked ? QStringLiteral("◆") : QStringLiteral("\u3000"));
    }
    const db::Rows rhe = d.query(QStringLiteral("SELECT * FROM RHE ORDER BY Half")).value();
    for (int team = 1; team <= 2; ++team) {
        for (int i = 1; i <= 12; ++i)
            compare(QStringLiteral("inning %1 of team %2").arg(i).arg(team),
                    rowAt(rhe, team - 1).value(QStringLiteral("Round%1").arg(i)),
                    text(QStringLiteral("Score%1_txt(%2)").arg(team).arg(i)));
        for (int t = 1; t <= 3; ++t)
            compare(QStringLiteral("total %1 of team %2").arg(t).arg(team),
                    rowAt(rhe, team - 1)
                        .value(QStringList{QStringLiteral("R"), QStringLiteral("H"),
                                           QStringLiteral("E")}[t - 1]),
                    text(QStringLiteral("RHE%1_txt(%2)").arg(team).arg(t)));
    }
    const bool bottom = text(QStringLiteral("Frame1")).endsWith(u'T');
    const db::Row batter =
        rowAt(d.query(QStringLiteral("SELECT * FROM ") +
                          (bottom ? QStringLiteral("SL今日成績") : QStringLiteral("SF今日成績")) +
                          QStringLiteral(" WHERE 棒次=?"),
                      {text(QStringLiteral("SS_Lab"))})
                  .value(),
              0);
    const QStringList batterColumns{QStringLiteral("打數"), QStringLiteral("安打"),
                                    QStringLiteral("全壘打"), QStringLiteral("打點")};
    const QStringList batterBoxes{QStringLiteral("StrikeS_txt"), QStringLiteral("SaveS_txt"),
                                  QStringLiteral("HomeS_txt"), QStringLiteral("PointS_txt")};
    for (int i = 0; i < 4; ++i)
        compare(batterColumns[i], batter.value(batterColumns[i]), text(batterBoxes[i]));
    for (int i = 1; i <= 8; ++i)
        compare(QStringLiteral("plate appearance %1").arg(i), batter.value(QString::number(i)),
                text(QStringLiteral("TimesS_txt(%1)").arg(i)));
    const db::Row pitcher =
        rowAt(d.query(QStringLiteral("SELECT * FROM ") +
                      (bottom ? QStringLiteral("PF今日成績") : QStringLiteral("PL今日成績")))
                  .value(),
              0);
    const QStringList pitcherColumns{QStringLiteral("局數"),   QStringLiteral("好球"),
                                     QStringLiteral("壞球"),   QStringLiteral("被安打"),
                                     QStringLiteral("奪三振"), QStringLiteral("四死球")};
    const QStringList pitcherBoxes{QStringLiteral("RoundS_txt"), QStringLiteral("BallG_txt"),
                                   QStringLiteral("BallB_txt"),  QStringLiteral("SaveP_txt"),
                                   QStringLiteral("OutP_txt"),   QStringLiteral("FourP_txt")};
    for (int i = 0; i < 6; ++i)
        compare(pitcherColumns[i], pitcher.value(pitcherColumns[i]), text(pitcherBoxes[i]));
    return out;
}

bool soak(const QString& engine, const QString& demo)
{
    CgProcess cg;
    cg.setQuiet(true);
    if (!cg.start({}))
        return false;
    test::TestDatabase tdb(engine, test::TestDatabase::Content::Demo);
    if (!tdb.ok()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(engine), qPrintable(tdb.error()));
        return false;
    }
    startDemoGame(*tdb.open());
    test::RemoteHarness h(std::make_shared<cglink::TcpQpxNet>());
    const QString project = h.settings.dir.filePath(QStringLiteral("demo.PRJ"));
    QFile::copy(demo, project);
    h.settings.store.set(QStringLiteral("ODBC"), tdb.connectionString());
    h.settings.store.set(QStringLiteral("QPXServerIP"), cg.address());
    h.settings.store.set(QStringLiteral("PRJ"), project);
    h.settings.store.set(QStringLiteral("PRJpath"), h.settings.dir.path() + u'/');
    h.navigator.showStart();
    h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"));

    test::RandomPlay play{[&](const QString& control, const QString& action,
                              const QJsonObject& extra, bool) { h.act(C, control, action, extra); },
                          [&](const QString& control) {
                              return h.get(C, control)[QStringLiteral("enabled")].toBool();
                          },
                          QRandomGenerator(20261208), true};
    QElapsedTimer clock;
    clock.start();
    qint64 warm = 0;
    int reopened = 0;
    for (int i = 0; i < kActions; ++i) {
        // The game's last half-inning reached: a new game on the same tables.
        if (h.get(C, QStringLiteral("Frame1"))[QStringLiteral("text")].toString() ==
            QStringLiteral("12T")) {
            h.settings.store.erase(QStringLiteral("Round"));
            h.settings.store.erase(QStringLiteral("Half"));
            h.settings.store.erase(QStringLiteral("StrikeNow"));
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == C)
                    w->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            h.navigator.showStart();
            h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"));
            ++reopened;
        }
        play.step();
        QCoreApplication::processEvents();
        if (i + 1 == kWarmUp)
            warm = residentKiB();
    }
    const double seconds = double(clock.elapsed()) / 1000;
    const qint64 after = residentKiB();
    const QStringList diff = differences(h, *tdb.open());
    for (const QString& d : diff)
        std::fprintf(stderr, "%s: %s\n", qPrintable(engine), qPrintable(d));
    const double growth = warm > 0 ? 100.0 * double(after - warm) / double(warm) : 0;
    std::printf("| %-10s | %6d | %8.1f | %10lld | %10lld | %+6.1f %% | %s |\n", qPrintable(engine),
                kActions, seconds, static_cast<long long>(warm), static_cast<long long>(after),
                growth, diff.isEmpty() ? "tables = screen" : "DIFFERENT");
    Q_UNUSED(reopened);
    return diff.isEmpty() && growth <= 10.0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("HOMEPLATE_LOOPBACK_ONLY", "1");
    if (argc > 2)
        qputenv("HOMEPLATE_TEST_PG", argv[2]);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak_console PATH-TO-demo.PRJ [PG-CONNECTION]\n");
        return 2;
    }
    std::printf("\n| engine     | actions | seconds | RSS KiB at 1,000 | RSS KiB at end | growth | "
                "invariant |\n|---|---:|---:|---:|---:|---:|---|\n");
    bool ok = true;
    for (const QString& engine : test::TestDatabase::engines())
        ok = soak(engine, QString::fromLocal8Bit(argv[1])) && ok;
    db::Database::closePool();
    return ok ? 0 : 1;
}
