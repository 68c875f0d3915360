#include "Schema.h"

#include <QFile>

#include <tuple>

namespace hp::db {

namespace {

struct Column {
    QString name;
    QString type; // TEXT or INTEGER
    QString fallback;
};

struct Table {
    QString name;
    QList<Column> columns;
    bool sequence = false; // a first column that keeps insertion order
};

Column text(const QString& name, const QString& fallback = {})
{
    return {name, QStringLiteral("TEXT"), fallback};
}
Column integer(const QString& name, const QString& fallback = QStringLiteral("0"))
{
    return {name, QStringLiteral("INTEGER"), fallback};
}

const QString kBlank = QStringLiteral("\u3000");
const QString kZero = QStringLiteral("0");

QList<Column> texts(const QStringList& names, const QString& fallback)
{
    QList<Column> out;
    for (const QString& n : names)
        out << text(n, fallback);
    return out;
}

QStringList numbered(const QString& prefix, int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << prefix + QString::number(i);
    return out;
}

QList<Table> tables()
{
    const QStringList pitchingStats{
        QStringLiteral("局數"),   QStringLiteral("好球"),     QStringLiteral("壞球"),
        QStringLiteral("被安打"), QStringLiteral("被全壘打"), QStringLiteral("奪三振"),
        QStringLiteral("四死球"), QStringLiteral("失分"),     QStringLiteral("自責分")};
    QList<Table> t;

    t << Table{QStringLiteral("打擊整隊表年度"),
               {text(QStringLiteral("隊名")), text(QStringLiteral("背號")),
                text(QStringLiteral("姓名")), text(QStringLiteral("打習")),
                text(QStringLiteral("打數"), kZero), text(QStringLiteral("安打"), kZero),
                text(QStringLiteral("打點"), kZero), text(QStringLiteral("全壘打"), kZero)}};
    t << Table{QStringLiteral("投手整隊表年度"),
               QList<Column>{text(QStringLiteral("隊名")), text(QStringLiteral("背號")),
                             text(QStringLiteral("姓名")), text(QStringLiteral("打習"))} +
                   texts(pitchingStats, kZero)};
    const QList<Column> profile{text(QStringLiteral("隊名")), text(QStringLiteral("背號")),
                                text(QStringLiteral("姓名")), text(QStringLiteral("身高")),
                                text(QStringLiteral("體重")), text(QStringLiteral("出生年月日"))};
    t << Table{QStringLiteral("投手基本資料"), profile};
    t << Table{QStringLiteral("打者基本資料"), profile};

    QList<Column> batting{text(QStringLiteral("棒次")),
                          text(QStringLiteral("隊名")),
                          text(QStringLiteral("背號")),
                          text(QStringLiteral("姓名")),
                          text(QStringLiteral("守位")),
                          text(QStringLiteral("打數"), kZero),
                          text(QStringLiteral("安打"), kZero),
                          text(QStringLiteral("全壘打"), kZero),
                          text(QStringLiteral("打點"), kZero),
                          text(QStringLiteral("打擊率"), QStringLiteral("0.000"))};
    batting += texts(numbered(QString(), 1, 8), kBlank);
    t << Table{QStringLiteral("SF今日成績"), batting}
      << Table{QStringLiteral("SL今日成績"), batting};

    const QList<Column> pitching =
        QList<Column>{text(QStringLiteral("背號")), text(QStringLiteral("姓名")),
                      text(QStringLiteral("隊名"))} +
        texts(pitchingStats, kZero);
    t << Table{QStringLiteral("PF今日成績"), pitching}
      << Table{QStringLiteral("PL今日成績"), pitching};
    // The lines of the day of players who left the game, kept when a
    // substitution or a pitcher change overwrites their row.
    const Column leftAt = text(QStringLiteral("退場時間"));
    t << Table{QStringLiteral("退場打者今日"),
               QList<Column>{text(QStringLiteral("先後攻"))} + batting + QList<Column>{leftAt},
               true}
      << Table{QStringLiteral("退場投手今日"),
               QList<Column>{text(QStringLiteral("先後攻"))} + pitching + QList<Column>{leftAt},
               true};

    const QStringList today{QStringLiteral("今日一"), QStringLiteral("今日二"),
                            QStringLiteral("今日三"), QStringLiteral("今日四"),
                            QStringLiteral("今日五"), QStringLiteral("今日六"),
                            QStringLiteral("今日七"), QStringLiteral("今日八"),
                            QStringLiteral("今日九"), QStringLiteral("今日十")};
    QList<Column> battersToday{text(QStringLiteral("隊名")),
                               text(QStringLiteral("背號")),
                               text(QStringLiteral("姓名")),
                               text(QStringLiteral("打習")),
                               integer(QStringLiteral("棒次")),
                               text(QStringLiteral("守位")),
                               text(QStringLiteral("打擊率"), QStringLiteral("0.000"))};
    battersToday += texts(today, kBlank) + texts(numbered(QStringLiteral("次數"), 1, 10), kBlank);
    t << Table{QStringLiteral("先攻打者今日"), battersToday}
      << Table{QStringLiteral("後攻打者今日"), battersToday};
    const QList<Column> pitcherToday{text(QStringLiteral("隊名")), text(QStringLiteral("背號")),
                                     text(QStringLiteral("姓名")), text(QStringLiteral("打習")),
                                     text(QStringLiteral("自責分率"), QStringLiteral("0.00"))};
    t << Table{QStringLiteral("先攻投手今日"), pitcherToday}
      << Table{QStringLiteral("後攻投手今日"), pitcherToday};

    t << Table{QStringLiteral("SBO表"),
               QList<Column>{text(QStringLiteral("Item1")), text(QStringLiteral("Item2")),
                             text(QStringLiteral("S"), kZero), text(QStringLiteral("B"), kZero),
                             text(QStringLiteral("O"), kZero)} +
                   texts(numbered(QStringLiteral("Base"), 1, 3), kBlank) +
                   texts({QStringLiteral("R1"), QStringLiteral("R2")}, kZero)};
    // Round1..Round12 must be the fourth to fifteenth columns: the console
    // reads the innings by position.
    t << Table{QStringLiteral("RHE"),
               QList<Column>{text(QStringLiteral("Half")), text(QStringLiteral("TEAM")),
                             text(QStringLiteral("Remark"))} +
                   texts(numbered(QStringLiteral("Round"), 1, 12), kBlank) +
                   QList<Column>{text(QStringLiteral("CG_RHE"), kBlank),
                                 text(QStringLiteral("R"), kZero), text(QStringLiteral("H"), kZero),
                                 text(QStringLiteral("E"), kZero)}};
    t << Table{QStringLiteral("下三棒"),
               {text(QStringLiteral("棒次")), text(QStringLiteral("姓名")),
                text(QStringLiteral("安打"), kZero), text(QStringLiteral("打數"), kZero),
                text(QStringLiteral("隊名"))},
               true};

    t << Table{
        QStringLiteral("RHE得分表"),
        QList<Column>{text(QStringLiteral("隊名1")), text(QStringLiteral("隊名2"))} +
            QList<Column>{integer(QStringLiteral("R1")), integer(QStringLiteral("R2")),
                          integer(QStringLiteral("H1")), integer(QStringLiteral("H2")),
                          integer(QStringLiteral("E1")), integer(QStringLiteral("E2")),
                          integer(QStringLiteral("棒次1")), integer(QStringLiteral("棒次2")),
                          integer(QStringLiteral("棒次3"))} +
            texts({QStringLiteral("第一棒"), QStringLiteral("第二棒"), QStringLiteral("第三棒")},
                  QString()) +
            texts(numbered(QStringLiteral("Status"), 1, 3), QStringLiteral("0-0"))};
    // The play-by-play log: one row per operator action that changed the
    // game, written in the action's own transaction, in order.
    t << Table{
        playLogTableName(),
        texts({QStringLiteral("時間"),     QStringLiteral("局數"),     QStringLiteral("半局"),
               QStringLiteral("攻方"),     QStringLiteral("棒次"),     QStringLiteral("打者背號"),
               QStringLiteral("打者"),     QStringLiteral("投手背號"), QStringLiteral("投手"),
               QStringLiteral("種類"),     QStringLiteral("內容"),     QStringLiteral("原值"),
               QStringLiteral("新值"),     QStringLiteral("打席"),     QStringLiteral("好球"),
               QStringLiteral("壞球"),     QStringLiteral("出局"),     QStringLiteral("壘上"),
               QStringLiteral("先攻得分"), QStringLiteral("後攻得分")},
              QString()),
        true};
    // The game the tables hold (named at GO) and the last of the console's
    // numbered units stored for it, written in the unit's own transaction.
    t << Table{progressTableName(),
               {text(QStringLiteral("GameID")), integer(QStringLiteral("LastSeq"))}};
    t << Table{QStringLiteral("SBO"),
               {text(QStringLiteral("隊名1")), text(QStringLiteral("隊名2")),
                integer(QStringLiteral("局數"), QStringLiteral("1")),
                text(QStringLiteral("半局"), QStringLiteral("上")), integer(QStringLiteral("好球")),
                integer(QStringLiteral("壞球")), integer(QStringLiteral("出局"))}};
    // Filled by inserts without a column list: exactly these columns, in this order.
    t << Table{QStringLiteral("打者壘上狀態今日"),
               {text(QStringLiteral("隊名")), text(QStringLiteral("背號")),
                text(QStringLiteral("姓名")), text(QStringLiteral("狀態")),
                text(QStringLiteral("紀錄"))}};
    t << Table{QStringLiteral("投手對打者今日"),
               {text(QStringLiteral("投手隊名")), text(QStringLiteral("應戰投手")),
                text(QStringLiteral("對戰球員")), text(QStringLiteral("背號")),
                text(QStringLiteral("打者隊名"))}};
    t << Table{
        QStringLiteral("投手對左右打今日"),
        {text(QStringLiteral("隊名")), text(QStringLiteral("背號")), text(QStringLiteral("姓名"))}};
    t << Table{
        QStringLiteral("打者對左右投今日"),
        {text(QStringLiteral("隊名")), text(QStringLiteral("背號")), text(QStringLiteral("姓名"))}};
    return t;
}

QString quoteIdentifier(const QString& name)
{
    // Digit names ("1" to "8") must be quoted; every other name stays bare so
    // that both engines fold it the same way.
    if (!name.isEmpty() && name[0].isDigit())
        return u'"' + name + u'"';
    return name;
}

QString literal(const QString& value)
{
    return u'\'' + QString(value).replace(QStringLiteral("'"), QStringLiteral("''")) + u'\'';
}

} // namespace

QStringList tableNames()
{
    QStringList out;
    for (const Table& t : tables())
        out << t.name;
    return out;
}

QStringList columnNames(const QString& table)
{
    QStringList out;
    for (const Table& t : tables())
        if (t.name == table)
            for (const Column& c : t.columns)
                out << c.name;
    return out;
}

QString uniformNumberOrder(const QString& column)
{
    // Leading zeros do not count: "00" is 0 and "07" goes with 7.
    return QStringLiteral("LENGTH(LTRIM(TRIM(%1), '0')), LTRIM(TRIM(%1), '0'), TRIM(%1)")
        .arg(column);
}

bool uniformNumberLess(const QString& a, const QString& b)
{
    // TRIM takes blanks off both ends, LTRIM(…, '0') the leading zeros.
    auto key = [](const QString& number) {
        qsizetype from = 0;
        qsizetype to = number.size();
        while (from < to && number[from] == u' ')
            ++from;
        while (to > from && number[to - 1] == u' ')
            --to;
        const QString trimmed = number.mid(from, to - from);
        qsizetype digits = 0;
        while (digits < trimmed.size() && trimmed[digits] == u'0')
            ++digits;
        const QString significant = trimmed.mid(digits);
        return std::tuple{significant.size(), significant, trimmed};
    };
    return key(a) < key(b);
}

QList<TableColumn> tableColumns(const QString& table)
{
    QList<TableColumn> out;
    for (const Table& t : tables()) {
        if (t.name.compare(table, Qt::CaseInsensitive) != 0)
            continue;
        if (t.sequence)
            out << TableColumn{QStringLiteral("Seq"), {}, true};
        for (const Column& c : t.columns)
            out << TableColumn{
                c.name,
                c.type == QStringLiteral("INTEGER") && c.fallback.isEmpty() ? kZero : c.fallback,
                false};
    }
    return out;
}

namespace {

QString createStatement(const Table& t, bool pg, bool ifAbsent)
{
    QStringList cols;
    if (t.sequence)
        cols << (pg ? QStringLiteral("Seq SERIAL PRIMARY KEY")
                    : QStringLiteral("Seq INTEGER PRIMARY KEY AUTOINCREMENT"));
    for (const Column& c : t.columns) {
        QString def = quoteIdentifier(c.name) + u' ' + c.type;
        if (c.type == QStringLiteral("INTEGER"))
            def +=
                QStringLiteral(" NOT NULL DEFAULT ") + (c.fallback.isEmpty() ? kZero : c.fallback);
        else
            def += QStringLiteral(" NOT NULL DEFAULT ") + literal(c.fallback);
        cols << def;
    }
    return QStringLiteral("CREATE TABLE ") +
           (ifAbsent ? QStringLiteral("IF NOT EXISTS ") : QString()) + t.name +
           QStringLiteral(" (") + cols.join(QStringLiteral(", ")) + u')';
}

} // namespace

QStringList archiveTableNames()
{
    return {QStringLiteral("退場打者今日"), QStringLiteral("退場投手今日"), playLogTableName()};
}

QString playLogTableName()
{
    return QStringLiteral("比賽紀錄");
}

QString progressTableName()
{
    return QStringLiteral("動作進度");
}

QStringList archiveTableStatements(ConnectionSettings::Engine engine)
{
    const bool pg = engine == ConnectionSettings::Engine::PostgreSQL;
    const QStringList names = archiveTableNames() << progressTableName();
    QStringList out;
    for (const Table& t : tables())
        if (names.contains(t.name))
            out << createStatement(t, pg, true);
    return out;
}

QStringList schemaStatements(ConnectionSettings::Engine engine)
{
    const bool pg = engine == ConnectionSettings::Engine::PostgreSQL;
    QStringList out;
    for (const Table& t : tables())
        out << createStatement(t, pg, false);
    const QList<QStringList> indexes{
        {QStringLiteral("ix_batroster_team"), QStringLiteral("打擊整隊表年度"),
         QStringLiteral("隊名, 背號")},
        {QStringLiteral("ix_batroster_name"), QStringLiteral("打擊整隊表年度"),
         QStringLiteral("姓名")},
        {QStringLiteral("ix_pitroster_team"), QStringLiteral("投手整隊表年度"),
         QStringLiteral("隊名, 背號")},
        {QStringLiteral("ix_pitroster_name"), QStringLiteral("投手整隊表年度"),
         QStringLiteral("姓名")},
        {QStringLiteral("ix_pitroster_number"), QStringLiteral("投手整隊表年度"),
         QStringLiteral("背號")},
        {QStringLiteral("ix_pitprofile"), QStringLiteral("投手基本資料"),
         QStringLiteral("姓名, 背號")},
        {QStringLiteral("ix_batprofile"), QStringLiteral("打者基本資料"),
         QStringLiteral("隊名, 背號")},
        {QStringLiteral("ix_sf_slot"), QStringLiteral("SF今日成績"), QStringLiteral("棒次")},
        {QStringLiteral("ix_sl_slot"), QStringLiteral("SL今日成績"), QStringLiteral("棒次")},
    };
    for (const QStringList& ix : indexes)
        out << QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(ix[0], ix[1], ix[2]);
    return out;
}

Result<Done> createSchema(Database& db)
{
    const bool pg = db.engine() == ConnectionSettings::Engine::PostgreSQL;
    const auto existing =
        db.query(pg ? QStringLiteral("SELECT table_name FROM information_schema.tables "
                                     "WHERE table_schema = current_schema()")
                    : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    if (!existing)
        return asDone(existing);
    QStringList present;
    for (const Row& r : *existing)
        present << r.at(0).toLower();
    QStringList clashes;
    for (const QString& t : tableNames())
        if (present.contains(t.toLower()))
            clashes << t;
    if (!clashes.isEmpty())
        return Result<Done>::failure(
            QStringLiteral("the database already holds game tables (%1); nothing was changed")
                .arg(clashes.join(QStringLiteral(", "))));
    return db.transaction([&]() -> Result<Done> {
        for (const QString& statement : schemaStatements(db.engine()))
            if (auto r = db.exec(statement); !r)
                return asDone(r);
        return success();
    });
}

Result<std::unique_ptr<Database>> createGameDatabase(const QString& connectionString)
{
    using Out = Result<std::unique_ptr<Database>>;
    const auto settings = parseConnectionString(connectionString);
    if (!settings)
        return Out::failure(settings.error());
    const bool sqlite = settings->engine == ConnectionSettings::Engine::SQLite;
    const bool existed = sqlite && QFile::exists(settings->file);
    auto db = Database::open(connectionString, Database::Pooling::Fresh, Database::Missing::Create);
    if (!db)
        return Out::failure(db.error());
    if (auto r = createSchema(*db.value()); !r) {
        db.value().reset();
        if (sqlite && !existed)
            QFile::remove(settings->file);
        return Out::failure(r.error());
    }
    return std::move(db.value());
}

} // namespace hp::db
