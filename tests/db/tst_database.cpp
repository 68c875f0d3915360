#include "DemoSeason.h"
#include "GameStatements.h"
#include "Schema.h"
#include "TestDatabase.h"

#include <QFile>
#include <QTcpServer>
#include <QtTest>

using namespace hp;
using hp::db::Side;

namespace {
const QString kBlank = QStringLiteral("\u3000");

db::Rows rows(db::Database& d, const QString& sql, const QVariantList& values = {})
{
    auto r = d.query(sql, values);
    if (!r)
        qWarning("%s", qPrintable(r.error()));
    return r ? r.value() : db::Rows{};
}
} // namespace

#define OPEN_DB(content)                                                                           \
    QFETCH(QString, engine);                                                                       \
    test::TestDatabase tdb(engine, content);                                                       \
    QVERIFY2(tdb.ok(), qPrintable(tdb.error()));                                                   \
    auto database = tdb.open();                                                                    \
    QVERIFY(database);                                                                             \
    db::Database& d = *database

class TstDatabase : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void freshRowsReadBackTheirDefaults_data() { test::TestDatabase::addEngineRows(); }
    void freshRowsReadBackTheirDefaults()
    {
        OPEN_DB(test::TestDatabase::Content::Schema);
        QVERIFY(db::insertBattingSlot(d, Side::First, 1, QStringLiteral("北岸海鷗"),
                                      QStringLiteral("7"), QStringLiteral("陳志明"),
                                      QStringLiteral("CF")));
        const auto bat =
            rows(d, QStringLiteral("Select * From SF今日成績 Where 棒次=?"), {QStringLiteral("1")});
        QCOMPARE(bat.size(), 1);
        for (const char* c : {"打數", "安打", "全壘打", "打點"})
            QCOMPARE(bat[0].value(QString::fromUtf8(c)), QStringLiteral("0"));
        QCOMPARE(bat[0].value(QStringLiteral("打擊率")), QStringLiteral("0.000"));
        for (int n = 1; n <= 8; ++n)
            QCOMPARE(bat[0].value(QString::number(n)), kBlank);

        QVERIFY(db::changePitcher(d, Side::Second, QStringLiteral("51"), QStringLiteral("蘇育誠"),
                                  QStringLiteral("山城雷豹")));
        const auto pit = rows(d, QStringLiteral("Select * From PL今日成績"));
        QCOMPARE(pit.size(), 1);
        for (const char* c :
             {"局數", "好球", "壞球", "被安打", "被全壘打", "奪三振", "四死球", "失分", "自責分"})
            QCOMPARE(pit[0].value(QString::fromUtf8(c)), QStringLiteral("0"));

        QVERIFY(d.exec(QStringLiteral("insert into SBO表 (Item1 ,Item2) Values (?,?)"),
                       {QStringLiteral("a"), QStringLiteral("b")}));
        const auto sbo = rows(d, QStringLiteral("Select * From SBO表"));
        QCOMPARE(sbo[0].value(QStringLiteral("base2")), kBlank);
        QCOMPARE(sbo[0].value(QStringLiteral("S")), QStringLiteral("0"));
        QCOMPARE(rows(d, QStringLiteral("SELECT NULL AS empty_value"))[0].value(
                     QStringLiteral("EMPTY_VALUE")),
                 QString());
    }

    void lineScoreRowsOrderAndColumnPositions_data() { test::TestDatabase::addEngineRows(); }
    void lineScoreRowsOrderAndColumnPositions()
    {
        OPEN_DB(test::TestDatabase::Content::Schema);
        QVERIFY(d.exec(QStringLiteral("Insert Into RHE (Half,TEAM) Values ('T',?)"),
                       {QStringLiteral("後攻")}));
        QVERIFY(d.exec(QStringLiteral("Insert Into RHE (Half,TEAM) Values ('B',?)"),
                       {QStringLiteral("先攻")}));
        QString set;
        QVariantList values;
        for (int n = 1; n <= 12; ++n) {
            set += QStringLiteral("Round%1=?,").arg(n);
            values << QString::number(n * 10);
        }
        values << QStringLiteral("5") << QStringLiteral("9") << QStringLiteral("1")
               << QStringLiteral("B");
        QVERIFY(d.exec(QStringLiteral("Update RHE set ") + set +
                           QStringLiteral("CG_RHE='\u3000',R=?,H=?,E=? Where Half=?"),
                       values));
        const auto rhe = rows(d, QStringLiteral("Select * From RHE Order By Half ASC"));
        QCOMPARE(rhe.size(), 2);
        QCOMPARE(rhe[0].value(QStringLiteral("Team")), QStringLiteral("先攻"));
        for (int j = 1; j <= 12; ++j)
            QCOMPARE(rhe[0].at(j + 2), QString::number(j * 10));
        QCOMPARE(rhe[0].value(QStringLiteral("r")), QStringLiteral("5"));
        QCOMPARE(rhe[1].at(3), kBlank); // an unplayed inning is the blank
        QCOMPARE(rhe[1].value(QStringLiteral("R")), QStringLiteral("0"));
    }

    void sharedStatementsHaveTheirEffects_data() { test::TestDatabase::addEngineRows(); }
    void sharedStatementsHaveTheirEffects()
    {
        OPEN_DB(test::TestDatabase::Content::Schema);
        for (int slot = 1; slot <= 9; ++slot)
            QVERIFY(db::insertBattingSlot(d, Side::Second, slot, QStringLiteral("港都鯨魚"),
                                          QString::number(slot), QStringLiteral("打者%1").arg(slot),
                                          QStringLiteral("1B")));
        db::BatterLine line{QStringLiteral("3"),
                            QStringLiteral("2"),
                            QStringLiteral("1"),
                            QStringLiteral("4"),
                            QStringLiteral("0.667"),
                            {QStringLiteral("一壘"), QStringLiteral("三振"), QStringLiteral("全壘"),
                             kBlank, kBlank, kBlank, kBlank, kBlank}};
        QVERIFY(db::saveBatterLine(d, Side::Second, 4, line));
        auto four = rows(d, QStringLiteral("Select * From SL今日成績 Where 棒次='4'"))[0];
        QCOMPARE(four.value(QStringLiteral("打擊率")), QStringLiteral("0.667"));
        QCOMPARE(four.value(QStringLiteral("3")), QStringLiteral("全壘"));
        QCOMPARE(rows(d, QStringLiteral("Select * From SL今日成績 Where 棒次='5'"))[0].value(
                     QStringLiteral("打數")),
                 QStringLiteral("0"));

        QVERIFY(db::substituteBatter(d, Side::Second, 4, QStringLiteral("99"),
                                     QStringLiteral("代打者"), QStringLiteral("港都鯨魚")));
        four = rows(d, QStringLiteral("Select * From SL今日成績 Where 棒次='4'"))[0];
        QCOMPARE(four.value(QStringLiteral("姓名")), QStringLiteral("代打者"));
        QCOMPARE(four.value(QStringLiteral("打數")), QStringLiteral("0"));
        QCOMPARE(four.value(QStringLiteral("1")), kBlank);
        QCOMPARE(four.value(QStringLiteral("守位")), QStringLiteral("1B"));

        QVERIFY(db::insertPitcher(d, Side::First, QStringLiteral("18"), QStringLiteral("甲"),
                                  QStringLiteral("T")));
        db::PitcherLine p{QStringLiteral("77"), QStringLiteral("乙"), QStringLiteral("7"),
                          QStringLiteral("40"), QStringLiteral("20"), QStringLiteral("3"),
                          QStringLiteral("1"),  QStringLiteral("5"),  QStringLiteral("2"),
                          QStringLiteral("2"),  QStringLiteral("1")};
        QVERIFY(db::savePitcherLine(d, Side::First, p));
        const auto pf = rows(d, QStringLiteral("Select * From PF今日成績"));
        QCOMPARE(pf.size(), 1);
        QCOMPARE(pf[0].value(QStringLiteral("背號")), QStringLiteral("77"));
        QCOMPARE(pf[0].value(QStringLiteral("局數")), QStringLiteral("7"));
        QCOMPARE(pf[0].value(QStringLiteral("隊名")), QStringLiteral("T"));
    }

    void hostileNamesAreStoredExactlyAndTouchNothingElse_data()
    {
        test::TestDatabase::addEngineRows();
    }
    void hostileNamesAreStoredExactlyAndTouchNothingElse()
    {
        OPEN_DB(test::TestDatabase::Content::Schema);
        const QStringList names{QStringLiteral("歐'尼爾"), QStringLiteral("a;b"),
                                QStringLiteral("x]y"), QStringLiteral("'; DROP TABLE SBO表; --")};
        int slot = 0;
        for (const QString& n : names)
            QVERIFY(db::insertBattingSlot(d, Side::First, ++slot, n, n, n, QStringLiteral("C")));
        QVERIFY(db::substituteBatter(d, Side::First, 2, names[3], names[0], names[3]));
        const auto all = rows(d, QStringLiteral("Select * From SF今日成績 Order By 棒次"));
        QCOMPARE(all.size(), 4);
        QCOMPARE(all[0].value(QStringLiteral("姓名")), names[0]);
        QCOMPARE(all[1].value(QStringLiteral("姓名")), names[0]);
        QCOMPARE(all[1].value(QStringLiteral("背號")), names[3]);
        QCOMPARE(all[2].value(QStringLiteral("姓名")), names[2]);
        QCOMPARE(all[3].value(QStringLiteral("隊名")), names[3]);
        QVERIFY(d.query(QStringLiteral("Select * From SBO表"))); // still there
    }

    void pitcherIsFoundByUniformNumber_data() { test::TestDatabase::addEngineRows(); }
    void pitcherIsFoundByUniformNumber()
    {
        OPEN_DB(test::TestDatabase::Content::Demo);
        const auto byName = rows(
            d, QStringLiteral("Select 背號,隊名 From 投手整隊表年度 Where 隊名=? Order By 背號"),
            {QStringLiteral("港都鯨魚")});
        QVERIFY(!byName.isEmpty());
        const QString number = byName[0].value(QStringLiteral("背號"));
        const auto found =
            rows(d, QStringLiteral("Select * From 投手整隊表年度 Where 背號=? And 隊名=?"),
                 {number, QStringLiteral("港都鯨魚")});
        QCOMPARE(found.size(), 1);
    }

    void demoSeasonIsAFullLeague_data() { test::TestDatabase::addEngineRows(); }
    void demoSeasonIsAFullLeague()
    {
        OPEN_DB(test::TestDatabase::Content::Demo);
        const auto teams =
            rows(d, QStringLiteral("Select 隊名 From 打擊整隊表年度 Group By 隊名 "));
        QCOMPARE(teams.size(), 4);
        for (const QString& team : db::demoTeams()) {
            QVERIFY(rows(d, QStringLiteral("Select 姓名 From 打擊整隊表年度 where 隊名=?"), {team})
                        .size() >= 14);
            QVERIFY(rows(d, QStringLiteral("Select 姓名 From 投手整隊表年度 where 隊名=?"), {team})
                        .size() >= 8);
        }
        const auto withoutProfile = rows(
            d, QStringLiteral(
                   "Select b.姓名 From 打擊整隊表年度 b Left Join 打者基本資料 p On p.隊名=b.隊名 "
                   "And p.背號=b.背號 Where p.姓名 Is Null"));
        QVERIFY(withoutProfile.isEmpty());
        const auto pitcherProfiles = rows(
            d, QStringLiteral(
                   "Select t.姓名 From 投手整隊表年度 t Left Join 投手基本資料 p On p.姓名=t.姓名 "
                   "And p.背號=t.背號 Where p.姓名 Is Null"));
        QVERIFY(pitcherProfiles.isEmpty());
        QCOMPARE(rows(d, QStringLiteral("Select * From 打擊整隊表年度 Where 姓名=?"),
                      {QStringLiteral("歐'尼爾")})
                     .size(),
                 1);
        for (const db::Row& r : rows(d, QStringLiteral("Select 局數 From 投手整隊表年度"))) {
            const QString ip = r.value(QStringLiteral("局數"));
            static const QRegularExpression form(QStringLiteral("^\\d+(\\.(3|33|6|67))?$"));
            QVERIFY2(form.match(ip).hasMatch(), qPrintable(ip));
        }
    }

    void schemaIsCreatedOnlyOnce_data() { test::TestDatabase::addEngineRows(); }
    void schemaIsCreatedOnlyOnce()
    {
        OPEN_DB(test::TestDatabase::Content::Demo);
        const int before = rows(d, QStringLiteral("Select * From 打擊整隊表年度")).size();
        const auto again = db::createSchema(d);
        QVERIFY(!again);
        QVERIFY(again.error().contains(QStringLiteral("打擊整隊表年度")));
        QCOMPARE(rows(d, QStringLiteral("Select * From 打擊整隊表年度")).size(), before);
    }

    void failuresNameTheProblemAndTheNextUnitWorks_data() { test::TestDatabase::addEngineRows(); }
    void failuresNameTheProblemAndTheNextUnitWorks()
    {
        OPEN_DB(test::TestDatabase::Content::Schema);
        const auto missingTable = d.query(QStringLiteral("Select * From 不存在的表"));
        QVERIFY(!missingTable);
        QVERIFY2(missingTable.error().contains(QStringLiteral("不存在的表")),
                 qPrintable(missingTable.error()));
        const auto missingColumn = d.exec(QStringLiteral("Update SBO表 Set Nope='1'"));
        QVERIFY(!missingColumn);
        QVERIFY2(missingColumn.error().contains(QStringLiteral("nope"), Qt::CaseInsensitive),
                 qPrintable(missingColumn.error()));
        database.reset();
        auto next = tdb.open();
        QVERIFY(next);
        QVERIFY(next->query(QStringLiteral("Select * From RHE")));
    }

    void pooledConnectionThatDiedIsReplaced()
    {
        if (!test::TestDatabase::engines().contains(QStringLiteral("postgresql")))
            QSKIP("no PostgreSQL test server");
        test::TestDatabase tdb(QStringLiteral("postgresql"));
        QVERIFY2(tdb.ok(), qPrintable(tdb.error()));
        const QString database = db::parseConnectionString(tdb.connectionString())->database;
        QVERIFY(tdb.open()->query(QStringLiteral("Select * From RHE"))); // pooled now
        {
            auto admin = db::Database::open(qEnvironmentVariable("HOMEPLATE_TEST_PG"),
                                            db::Database::Pooling::Fresh);
            QVERIFY(admin);
            const auto killed = admin.value()->query(
                QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                               "WHERE datname = ? AND pid <> pg_backend_pid()"),
                {database});
            QVERIFY2(killed && !killed->isEmpty(), qPrintable(killed.error()));
        }
        auto next = tdb.open();
        QVERIFY(next);
        QVERIFY(next->exec(QStringLiteral("Insert Into RHE (Half,TEAM) Values ('B','甲')")));
    }

    void transactionIsAllOrNothing_data() { test::TestDatabase::addEngineRows(); }
    void transactionIsAllOrNothing()
    {
        OPEN_DB(test::TestDatabase::Content::Schema);
        const auto r = d.transaction([&]() -> Result<Done> {
            if (auto a = db::insertBattingSlot(d, Side::First, 1, QStringLiteral("T"),
                                               QStringLiteral("1"), QStringLiteral("甲"),
                                               QStringLiteral("C"));
                !a)
                return a;
            return db::asDone(d.exec(QStringLiteral("Insert into 不存在的表 Values (1)")));
        });
        QVERIFY(!r);
        database.reset();
        auto next = tdb.open();
        QVERIFY(next);
        QCOMPARE(next->query(QStringLiteral("Select * From SF今日成績"))->size(), 0);
    }

    void missingOrReadOnlySqliteFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("gone.db"));
        const QString conn = QStringLiteral("Provider=SQLite;Data Source=") + file;
        const auto missing = db::Database::open(conn);
        QVERIFY(!missing);
        QVERIFY(missing.error().contains(file));
        QVERIFY(!QFile::exists(file));

        test::TestDatabase tdb(QStringLiteral("sqlite"));
        QVERIFY(tdb.ok());
        const QString path = db::parseConnectionString(tdb.connectionString())->file;
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser);
        if (QFileInfo(path).isWritable())
            QSKIP("running as a user who may write a read-only file");
        auto ro = db::Database::open(tdb.connectionString(), db::Database::Pooling::Fresh);
        QVERIFY(ro);
        const auto write = ro.value()->exec(QStringLiteral("DELETE FROM RHE"));
        QVERIFY(!write);
        QVERIFY2(write.error().contains(QStringLiteral("readonly"), Qt::CaseInsensitive),
                 qPrintable(write.error()));
    }

    void unreachableServerAndUnknownDatabase()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        QElapsedTimer t;
        t.start();
        const auto down = db::Database::open(
            QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Database=x;User ID=postgres")
                .arg(port));
        QVERIFY(!down);
        QVERIFY(t.elapsed() < 5000);
        QVERIFY2(down.error().contains(QString::number(port)) ||
                     down.error().contains(QStringLiteral("connect")),
                 qPrintable(down.error()));

        const QString admin = qEnvironmentVariable("HOMEPLATE_TEST_PG");
        if (admin.isEmpty())
            QSKIP("no PostgreSQL test server");
        auto s = db::parseConnectionString(admin).value();
        s.database = QStringLiteral("no_such_league");
        const auto unknown = db::Database::open(db::buildConnectionString(s));
        QVERIFY(!unknown);
        QVERIFY2(unknown.error().contains(QStringLiteral("no_such_league")),
                 qPrintable(unknown.error()));
    }
};

QTEST_GUILESS_MAIN(TstDatabase)
#include "tst_database.moc"
