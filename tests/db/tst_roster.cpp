#include "Cp950.h"
#include "CsvFile.h"
#include "Roster.h"
#include "Schema.h"
#include "TestDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

using hp::db::Database;
using hp::test::TestDatabase;

// Season rosters from spreadsheet CSV files and back, on both engines.
class TstRoster : public QObject {
    Q_OBJECT
private slots:
    void inningsAreStoredAsThirds()
    {
        const QList<QPair<QString, QString>> cases{
            {QStringLiteral("45"), QStringLiteral("45")},
            {QStringLiteral("45.0"), QStringLiteral("45.0")},
            {QStringLiteral("45.1"), QStringLiteral("45.3")},
            {QStringLiteral("45.2"), QStringLiteral("45.6")},
            {QStringLiteral("0.1"), QStringLiteral("0.3")},
            {QStringLiteral("45.3"), QStringLiteral("45.3")},
            {QStringLiteral("45.33"), QStringLiteral("45.33")},
            {QStringLiteral("45.67"), QStringLiteral("45.67")},
            {QStringLiteral("45.4"), QString()},
            {QStringLiteral("45.5"), QString()},
            {QStringLiteral("45.25"), QString()},
            {QStringLiteral("-3"), QString()},
            {QStringLiteral("四十五"), QString()},
            {QStringLiteral("45.1.2"), QString()},
        };
        for (const auto& [given, stored] : cases) {
            const auto innings = hp::db::rosterInnings(given);
            QVERIFY2(innings.text == stored, qPrintable(given + u' ' + innings.text));
            QCOMPARE(innings.converted, !stored.isEmpty() && stored != given);
        }
    }

    void goodFilesInBothEncodings_data() { TestDatabase::addEngineRows(); }
    void goodFilesInBothEncodings()
    {
        QFETCH(QString, engine);
        TestDatabase tdb(engine);
        QVERIFY2(tdb.ok(), qPrintable(tdb.error()));
        QTemporaryDir dir;
        // Columns in another order than the table's, as a spreadsheet may have them.
        const QString batters = write(dir, QStringLiteral("打擊整隊表年度.csv"),
                                      hp::cglink::toCp950(QStringLiteral("背號,姓名,隊名,打數\r\n"
                                                                         "16,陳大同,藍鯨,100\r\n"
                                                                         "2,林小安,藍鯨,12\r\n"))
                                          .bytes);
        const QString pitchers = write(dir, QStringLiteral("投手整隊表年度.csv"),
                                       QStringLiteral("隊名,背號,姓名,局數\n"
                                                      "藍鯨,51,王強,45.1\n"
                                                      "藍鯨,52,張明,7.2\n"
                                                      "\"藍鯨\",53,\"李,\"\"阿\"\"文\",12\n")
                                           .toUtf8());
        const QString profiles = write(
            dir, QStringLiteral("打者基本資料.csv"),
            "\xEF\xBB\xBF" + QStringLiteral("隊名,背號,姓名,身高\n藍鯨,16,陳大同,180\n").toUtf8());
        auto db = tdb.open();
        const auto plan = hp::db::planRosterImport(*db, {batters, pitchers, profiles});
        QVERIFY2(plan, qPrintable(plan.error()));
        const QString notes = plan->notes.join(u'\n');
        QVERIFY2(notes.contains(QStringLiteral("打擊整隊表年度.csv (code page 950): 2 rows")),
                 qPrintable(notes));
        QVERIFY2(notes.contains(QStringLiteral("投手整隊表年度.csv (UTF-8): 3 rows")),
                 qPrintable(notes));
        QVERIFY2(notes.contains(QStringLiteral("打者基本資料.csv (UTF-8 with BOM): 1 rows")),
                 qPrintable(notes));
        QVERIFY2(notes.contains(QStringLiteral("box-score notation (45.1, 45.2) on 2 rows "
                                               "(line 2, 3)")),
                 qPrintable(notes));
        QCOMPARE(plan->inserts(), 6);
        QVERIFY(hp::db::applyRosterPlan(*db, *plan));

        QCOMPARE(rows(*db, QStringLiteral("SELECT 隊名,背號,姓名,打數,安打 FROM 打擊整隊表年度 "
                                          "ORDER BY 背號")),
                 QStringList({QStringLiteral("藍鯨|16|陳大同|100|0"),
                              QStringLiteral("藍鯨|2|林小安|12|0")}));
        QCOMPARE(rows(*db, QStringLiteral("SELECT 姓名,局數 FROM 投手整隊表年度 ORDER BY 背號")),
                 QStringList({QStringLiteral("王強|45.3"), QStringLiteral("張明|7.6"),
                              QStringLiteral("李,\"阿\"文|12")}));
        QCOMPARE(rows(*db, QStringLiteral("SELECT 姓名,身高,體重 FROM 打者基本資料")),
                 QStringList{QStringLiteral("陳大同|180|")});
    }

    void refusalsNameFileLineAndColumn()
    {
        struct Case {
            const char* name;
            QString file;
            QByteArray bytes;
            QString refusal;
        };
        const QByteArray header = "隊名,背號,姓名,打數\n";
        const QList<Case> cases{
            {"no team", QStringLiteral("打擊整隊表年度.csv"), header + "藍鯨,1,甲,3\n,2,乙,4\n",
             QStringLiteral("打擊整隊表年度.csv line 3, column 1 (隊名): no team")},
            {"no number", QStringLiteral("打擊整隊表年度.csv"), header + "藍鯨, ,甲,3\n",
             QStringLiteral("打擊整隊表年度.csv line 2, column 2 (背號): no uniform number")},
            {"no name", QStringLiteral("打擊整隊表年度.csv"), header + "藍鯨,1,,3\n",
             QStringLiteral("打擊整隊表年度.csv line 2, column 3 (姓名): no name")},
            {"duplicate", QStringLiteral("打擊整隊表年度.csv"),
             header + "藍鯨,1,甲,3\n藍鯨,2,乙,3\n藍鯨,1,丙,3\n",
             QStringLiteral("打擊整隊表年度.csv line 4, column 2 (背號): 藍鯨 number 1 is "
                            "already on line 2")},
            {"count", QStringLiteral("打擊整隊表年度.csv"), header + "藍鯨,1,甲,3.5\n",
             QStringLiteral("打擊整隊表年度.csv line 2, column 4 (打數): \"3.5\" is not a count "
                            "(a whole number)")},
            // A line break is a control character too; the lines after it are
            // still counted right.
            {"line after a quoted line break", QStringLiteral("打擊整隊表年度.csv"),
             header + "藍鯨,1,\"甲\n乙\",3\r\n藍鯨,2,丙,x\r\n",
             QStringLiteral("打擊整隊表年度.csv line 2, column 3 (姓名): holds the control "
                            "character U+000A (no cell takes one but a tab: names go into the "
                            "CG's texts and the box score)\n"
                            "打擊整隊表年度.csv line 4, column 4 (打數): \"x\" is not a count "
                            "(a whole number)")},
            {"bell in a name", QStringLiteral("打擊整隊表年度.csv"), header + "藍鯨,1,甲\a乙,3\n",
             QStringLiteral("打擊整隊表年度.csv line 2, column 3 (姓名): holds the control "
                            "character U+0007")},
            {"NUL in a team", QStringLiteral("打擊整隊表年度.csv"),
             header + QByteArray("藍鯨\0,1,甲,3\n", 16),
             QStringLiteral("打擊整隊表年度.csv line 2, column 1 (隊名): holds the control "
                            "character U+0000")},
            {"escape in a code page 950 file", QStringLiteral("打擊整隊表年度.csv"),
             hp::cglink::toCp950(QStringLiteral("隊名,背號,姓名\n藍鯨,1,甲\x1B[2J\n")).bytes,
             QStringLiteral("打擊整隊表年度.csv line 2, column 3 (姓名): holds the control "
                            "character U+001B")},
            {"innings", QStringLiteral("投手整隊表年度.csv"),
             "姓名,局數,隊名,背號\n甲,10.2,藍鯨,51\n乙,45.4,藍鯨,52\n",
             QStringLiteral("投手整隊表年度.csv line 3, column 2 (局數): \"45.4\" is not whole "
                            "thirds of an inning (45, 45.1, 45.2, 45.3, 45.33, 45.6, 45.67)")},
            {"unknown column", QStringLiteral("打者基本資料.csv"), "隊名,背號,姓名,血型\n",
             QStringLiteral(
                 "打者基本資料.csv line 1, column 4 (血型): not a column of "
                 "打者基本資料 (its columns: 隊名, 背號, 姓名, 身高, 體重, 出生年月日)")},
            {"missing column", QStringLiteral("打者基本資料.csv"), "隊名,姓名\n藍鯨,甲\n",
             QStringLiteral("打者基本資料.csv line 1: the header has no column 背號")},
            {"too many fields", QStringLiteral("打擊整隊表年度.csv"), header + "藍鯨,1,甲,3,4\n",
             QStringLiteral("打擊整隊表年度.csv line 2, column 5 (): more fields than the header "
                            "has columns")},
            {"encoding", QStringLiteral("打擊整隊表年度.csv"), header + "\xFF\xFE,1,甲,3\n",
             QStringLiteral("打擊整隊表年度.csv: neither UTF-8 nor code page 950 text")},
            {"open quote", QStringLiteral("打擊整隊表年度.csv"), header + "藍鯨,1,\"甲,3\n",
             QStringLiteral("打擊整隊表年度.csv: line 2: ")},
            {"file name", QStringLiteral("rosters.csv"), header,
             QStringLiteral("rosters.csv: not a roster file: the name is one of 打擊整隊表年度, "
                            "投手整隊表年度, 打者基本資料, 投手基本資料 with .csv")},
        };
        TestDatabase tdb(QStringLiteral("sqlite"));
        QVERIFY2(tdb.ok(), qPrintable(tdb.error()));
        auto db = tdb.open();
        for (const Case& c : cases) {
            QTemporaryDir dir;
            // A good file beside the bad one: nothing of either is written.
            const QString good = write(dir, QStringLiteral("投手基本資料.csv"),
                                       QByteArray("隊名,背號,姓名\n藍鯨,9,好人\n"));
            const auto plan = hp::db::planRosterImport(*db, {good, write(dir, c.file, c.bytes)});
            QVERIFY2(!plan, c.name);
            QVERIFY2(plan.error().startsWith(c.refusal), qPrintable(plan.error()));
        }
        QCOMPARE(rows(*db, QStringLiteral("SELECT 姓名 FROM 投手基本資料")), QStringList());
    }

    void onlyRegularFilesOfBoundedSizeAreRead()
    {
        TestDatabase tdb(QStringLiteral("sqlite"));
        QVERIFY2(tdb.ok(), qPrintable(tdb.error()));
        auto db = tdb.open();
        QTemporaryDir dir;
        // A link to a device that never ends, a FIFO no one writes to, a
        // folder, and a file past the bound: each refused at once, unread.
        const QString zero = dir.filePath(QStringLiteral("打擊整隊表年度.csv"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), zero));
        const QString fifo = dir.filePath(QStringLiteral("投手整隊表年度.csv"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString folder = dir.filePath(QStringLiteral("打者基本資料.csv"));
        QVERIFY(QDir().mkdir(folder));
        QByteArray big("隊名,背號,姓名\n");
        big += QByteArray(hp::db::kMaxRosterFileBytes, 'x');
        const QString large = write(dir, QStringLiteral("投手基本資料.csv"), big);
        QElapsedTimer clock;
        clock.start();
        const auto plan = hp::db::planRosterImport(*db, {zero, fifo, folder, large});
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!plan);
        const QStringList refusals = plan.error().split(u'\n');
        QCOMPARE(refusals.size(), 4);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(refusals[i].endsWith(QStringLiteral("is not a regular file")),
                     qPrintable(refusals[i]));
        QVERIFY2(refusals[3].endsWith(QStringLiteral("is larger than 16777216 bytes")),
                 qPrintable(refusals[3]));
        // A link to a good file is read, and a tab in a name is taken as it is.
        QVERIFY(QFile::remove(zero));
        QVERIFY(QFile::link(
            write(dir, QStringLiteral("real.txt"), "隊名,背號,姓名\n藍鯨,1,甲\t乙\n"), zero));
        const auto linked = hp::db::planRosterImport(*db, {zero});
        QVERIFY2(linked, qPrintable(linked.error()));
        QCOMPARE(linked->changes.value(0).name, QStringLiteral("甲\t乙"));
    }

    void formulaCellsComeBackExact_data() { TestDatabase::addEngineRows(); }
    void formulaCellsComeBackExact()
    {
        QFETCH(QString, engine);
        TestDatabase first(engine);
        TestDatabase second(engine);
        QVERIFY2(first.ok() && second.ok(), qPrintable(first.error() + second.error()));
        // Each name, and the cell it is exported as.
        const QList<std::pair<QString, QString>> names{
            {QStringLiteral("=cmd|' /C calc'!A0"), QStringLiteral("'=cmd|' /C calc'!A0")},
            {QStringLiteral("+1+1"), QStringLiteral("'+1+1")},
            {QStringLiteral("-2+3"), QStringLiteral("'-2+3")},
            {QStringLiteral("@SUM(A1:A9)"), QStringLiteral("'@SUM(A1:A9)")},
            {QStringLiteral("'=x"), QStringLiteral("''=x")},
            {QStringLiteral("''+y"), QStringLiteral("'''+y")},
            {QStringLiteral("'plain"), QStringLiteral("'plain")},
            {QStringLiteral("-3"), QStringLiteral("-3")},
            {QStringLiteral("a=b"), QStringLiteral("a=b")}};
        auto a = first.open();
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(a->exec(QStringLiteral("INSERT INTO 投手基本資料 (隊名,背號,姓名,身高) "
                                           "VALUES (?,?,?,?)"),
                            {QStringLiteral("藍鯨"), QString::number(i + 1), names[i].first,
                             i == 0 ? QStringLiteral("=1+1") : QStringLiteral("180")}));
        QTemporaryDir out;
        const auto written = hp::db::exportRoster(*a, out.path());
        QVERIFY2(written, qPrintable(written.error()));
        const QString file = QDir(out.path()).filePath(QStringLiteral("投手基本資料.csv"));
        const QString text = QString::fromUtf8(read(file));
        for (const auto& [name, cell] : names)
            QVERIFY2(text.contains(u'"' + cell + u'"'), qPrintable(cell + u'\n' + text));
        QVERIFY(text.contains(QStringLiteral("\"'=1+1\"")));

        auto b = second.open();
        const auto plan = hp::db::planRosterImport(*b, {file});
        QVERIFY2(plan, qPrintable(plan.error()));
        QVERIFY(hp::db::applyRosterPlan(*b, *plan));
        const QString all = QStringLiteral("SELECT 隊名,背號,姓名,身高 FROM 投手基本資料");
        QStringList ra = rows(*a, all), rb = rows(*b, all);
        ra.sort();
        rb.sort();
        QCOMPARE(rb, ra);
        QVERIFY(ra.contains(QStringLiteral("藍鯨|1|=cmd|' /C calc'!A0|=1+1")));
        // A file typed by hand: the apostrophe before a sign comes off, any
        // other stays.
        QCOMPARE(hp::db::unguardedCell(QStringLiteral("'@x")), QStringLiteral("@x"));
        QCOMPARE(hp::db::unguardedCell(QStringLiteral("'x")), QStringLiteral("'x"));
        QCOMPARE(hp::db::guardedCell(QStringLiteral("+1.5")), QStringLiteral("+1.5"));
        QCOMPARE(hp::db::guardedCell(QStringLiteral("-")), QStringLiteral("'-"));
    }

    void existingPlayersAreUpdated_data() { TestDatabase::addEngineRows(); }
    void existingPlayersAreUpdated()
    {
        QFETCH(QString, engine);
        TestDatabase tdb(engine);
        QVERIFY2(tdb.ok(), qPrintable(tdb.error()));
        QTemporaryDir dir;
        const QString file = QStringLiteral("打擊整隊表年度.csv");
        QCOMPARE(homeplate({QStringLiteral("--import-roster"), tdb.connectionString(),
                            write(dir, file,
                                  "隊名,背號,姓名,打習,打數,安打\n藍鯨,7,甲,右打,10,3\n"
                                  "藍鯨,8,乙,左打,20,5\n白鷺,7,丙,右打,30,9\n")})
                     .exitCode,
                 0);
        // 藍鯨 7 gets new figures, his 打習 cell is empty (kept); 白鷺 7 is as
        // before; 藍鯨 9 is new.
        const QString changed = write(dir, file,
                                      "姓名,隊名,背號,打習,打數,安打\n甲,藍鯨,7,,12,4\n"
                                      "乙,藍鯨,8,左打,20,5\n丙,白鷺,7,右打,30,9\n"
                                      "丁,藍鯨,9,右打,1,1\n");
        const QString before = QStringLiteral("藍鯨|7|甲|右打|10|3");
        const QString query = QStringLiteral(
            "SELECT 隊名,背號,姓名,打習,打數,安打 FROM 打擊整隊表年度 ORDER BY 隊名, 背號");

        const Run dry = homeplate({QStringLiteral("--import-roster"), tdb.connectionString(),
                                   QStringLiteral("--dry-run"), changed});
        QCOMPARE(dry.exitCode, 0);
        QVERIFY2(dry.out.contains(QStringLiteral("update 打擊整隊表年度: 藍鯨 number 7 甲 "
                                                 "(打數 10 → 12, 安打 3 → 4)")),
                 qPrintable(dry.out));
        QVERIFY(dry.out.contains(QStringLiteral("insert 打擊整隊表年度: 藍鯨 number 9 丁")));
        QVERIFY(dry.out.contains(
            QStringLiteral("1 to insert, 1 to update, 2 unchanged; dry run, nothing was written")));
        auto db = tdb.open();
        QVERIFY(rows(*db, query).contains(before));
        QCOMPARE(rows(*db, query).size(), 3);

        const Run real =
            homeplate({QStringLiteral("--import-roster"), tdb.connectionString(), changed});
        QCOMPARE(real.exitCode, 0);
        QVERIFY(real.out.contains(QStringLiteral("1 inserted, 1 updated, 2 unchanged")));
        QCOMPARE(rows(*db, query), QStringList({QStringLiteral("白鷺|7|丙|右打|30|9"),
                                                QStringLiteral("藍鯨|7|甲|右打|12|4"),
                                                QStringLiteral("藍鯨|8|乙|左打|20|5"),
                                                QStringLiteral("藍鯨|9|丁|右打|1|1")}));

        const Run refused = homeplate({QStringLiteral("--import-roster"), tdb.connectionString(),
                                       write(dir, file, "隊名,背號,姓名,打數\n藍鯨,7,甲,x\n")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("line 2, column 4 (打數)")),
                 qPrintable(refused.err));
        QVERIFY(refused.err.contains(QStringLiteral("nothing was written")));
        QVERIFY(rows(*db, query).contains(QStringLiteral("藍鯨|7|甲|右打|12|4")));
    }

    void roundTripKeepsTheTables_data() { TestDatabase::addEngineRows(); }
    void roundTripKeepsTheTables()
    {
        QFETCH(QString, engine);
        TestDatabase first(engine);
        TestDatabase second(engine);
        QVERIFY2(first.ok() && second.ok(), qPrintable(first.error() + second.error()));
        QStringList league;
        const QDir data(QStringLiteral(HOMEPLATE_LEAGUE_DIR));
        for (const QString& f : data.entryList({QStringLiteral("*.csv")}))
            league << data.filePath(f);
        QCOMPARE(league.size(), 4);

        QTemporaryDir out1, out2;
        QCOMPARE(
            homeplate(QStringList{QStringLiteral("--import-roster"), first.connectionString()} +
                      league)
                .exitCode,
            0);
        QCOMPARE(
            homeplate({QStringLiteral("--export-roster"), first.connectionString(), out1.path()})
                .exitCode,
            0);
        const QStringList exported = QDir(out1.path()).entryList({QStringLiteral("*.csv")});
        QCOMPARE(exported.size(), 4);
        QStringList files;
        for (const QString& f : exported)
            files << QDir(out1.path()).filePath(f);
        const Run again = homeplate(
            QStringList{QStringLiteral("--import-roster"), second.connectionString()} + files);
        QVERIFY2(again.exitCode == 0, qPrintable(again.err));
        QVERIFY2(!again.out.contains(QStringLiteral("box-score")), qPrintable(again.out));

        auto a = first.open();
        auto b = second.open();
        for (const QString& table : hp::db::rosterTables()) {
            const QString all = QStringLiteral("SELECT %1 FROM %2")
                                    .arg(hp::db::columnNames(table).join(u','), table);
            QStringList ra = rows(*a, all), rb = rows(*b, all);
            ra.sort();
            rb.sort();
            QVERIFY2(ra.size() > 20, qPrintable(table));
            QCOMPARE(rb, ra);
        }
        // The second export is the first, byte for byte.
        QVERIFY(hp::db::exportRoster(*b, out2.path()));
        for (const QString& f : exported)
            QCOMPARE(read(QDir(out2.path()).filePath(f)), read(QDir(out1.path()).filePath(f)));
        // Exported lists are UTF-8 with a byte order mark and go by number within the team.
        const QByteArray bytes = read(QDir(out1.path()).filePath(exported[0]));
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF\"隊名\",\"背號\""));
        const auto csv = hp::db::parseCsv(bytes);
        QVERIFY(csv);
        int previous = 0;
        for (qsizetype i = 1; i < csv->records.size(); ++i) {
            const bool sameTeam = csv->records[i].fields[0] == csv->records[i - 1].fields[0];
            const int number = csv->records[i].fields[1].toInt();
            QVERIFY2(!sameTeam || number > previous, qPrintable(csv->records[i].fields[1]));
            previous = number;
        }
        // Importing the export again changes nothing.
        const auto plan = hp::db::planRosterImport(*a, files);
        QVERIFY(plan);
        QCOMPARE(plan->changes.size(), 0);
    }

private:
    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    static Run homeplate(const QStringList& args)
    {
        QProcess p;
        p.start(qEnvironmentVariable("HOMEPLATE_BINARY"), args);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    static QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        f.write(bytes);
        return path;
    }

    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static QStringList rows(Database& db, const QString& sql)
    {
        QStringList out;
        const auto r = db.query(sql);
        if (!r)
            return {QStringLiteral("error: ") + r.error()};
        for (const hp::db::Row& row : *r)
            out << row.values().join(u'|');
        return out;
    }
};

QTEST_GUILESS_MAIN(TstRoster)
#include "tst_roster.moc"
