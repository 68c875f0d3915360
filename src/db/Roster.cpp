#include "Roster.h"

#include "CsvFile.h"
#include "RegularFile.h"
#include "Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QRegularExpression>

namespace hp::db {

namespace {

const QString kTeam = QStringLiteral("隊名");
const QString kNumber = QStringLiteral("背號");
const QString kName = QStringLiteral("姓名");
const QString kInnings = QStringLiteral("局數");

// Columns that hold a count: a whole number, nothing else.
bool isCount(const QString& column)
{
    static const QStringList counts{
        QStringLiteral("打數"),   QStringLiteral("安打"),     QStringLiteral("打點"),
        QStringLiteral("全壘打"), QStringLiteral("好球"),     QStringLiteral("壞球"),
        QStringLiteral("被安打"), QStringLiteral("被全壘打"), QStringLiteral("奪三振"),
        QStringLiteral("四死球"), QStringLiteral("失分"),     QStringLiteral("自責分")};
    return counts.contains(column);
}

// The first C0 control character (NUL included) other than a tab.
std::optional<ushort> controlCharacter(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 && c != u'\t')
            return c.unicode();
    return std::nullopt;
}

using Key = QPair<QString, QString>; // team, number

// One file read and checked: its table, the columns of its header, and for
// each good row the values by column, with the line it came from.
struct CheckedFile {
    QString label; // the file's name, as refusals name it
    QString table;
    QStringList columns;
    QList<QStringList> rows;
    QList<int> lines;
    QList<int> convertedLines;
};

class Checker {
public:
    Checker(QString label, QStringList* refusals)
        : m_label(std::move(label))
        , m_refusals(refusals)
    {
    }
    void refuse(int line, int column, const QString& name, const QString& why)
    {
        if (column > 0)
            *m_refusals << QStringLiteral("%1 line %2, column %3 (%4): %5")
                               .arg(m_label)
                               .arg(line)
                               .arg(column)
                               .arg(name, why);
        else
            *m_refusals << QStringLiteral("%1 line %2: %3").arg(m_label).arg(line).arg(why);
    }
    void refuse(const QString& why) { *m_refusals << m_label + QStringLiteral(": ") + why; }

private:
    QString m_label;
    QStringList* m_refusals;
};

QString tableOfFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.suffix().compare(QStringLiteral("csv"), Qt::CaseInsensitive) != 0)
        return {};
    const QString base = info.completeBaseName();
    return rosterTables().contains(base) ? base : QString();
}

// Reads one file; false when it is refused as a whole (the rows are then not looked at).
bool readHeader(const CsvText& csv, CheckedFile& file, Checker& check)
{
    if (csv.records.isEmpty()) {
        check.refuse(QStringLiteral("no header row"));
        return false;
    }
    const QStringList known = columnNames(file.table);
    const CsvRecord& header = csv.records.first();
    bool good = true;
    for (qsizetype c = 0; c < header.fields.size(); ++c) {
        const QString name = header.fields[c].trimmed();
        if (!known.contains(name)) {
            check.refuse(header.line, int(c + 1), name,
                         QStringLiteral("not a column of %1 (its columns: %2)")
                             .arg(file.table, known.join(QStringLiteral(", "))));
            good = false;
        } else if (file.columns.contains(name)) {
            check.refuse(header.line, int(c + 1), name, QStringLiteral("column given twice"));
            good = false;
        }
        file.columns << name;
    }
    for (const QString& required : {kTeam, kNumber, kName})
        if (!file.columns.contains(required)) {
            check.refuse(header.line, 0, QString(),
                         QStringLiteral("the header has no column %1").arg(required));
            good = false;
        }
    return good;
}

void readRows(const CsvText& csv, CheckedFile& file, Checker& check, QHash<Key, int>& seen)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[0-9]+$"));
    const qsizetype teamAt = file.columns.indexOf(kTeam);
    const qsizetype numberAt = file.columns.indexOf(kNumber);
    for (qsizetype r = 1; r < csv.records.size(); ++r) {
        const CsvRecord& record = csv.records[r];
        if (record.fields.size() > file.columns.size()) {
            check.refuse(record.line, int(file.columns.size() + 1), QString(),
                         QStringLiteral("more fields than the header has columns"));
            continue;
        }
        QStringList values;
        bool good = true;
        bool converted = false;
        for (qsizetype c = 0; c < file.columns.size(); ++c) {
            const QString& column = file.columns[c];
            QString value = record.fields.value(c).trimmed();
            auto refuse = [&](const QString& why) {
                check.refuse(record.line, int(c + 1), column, why);
                good = false;
            };
            if (const auto control = controlCharacter(record.fields.value(c))) {
                refuse(QStringLiteral("holds the control character U+%1 (no cell takes one but "
                                      "a tab: names go into the CG's texts and the box score)")
                           .arg(QString::number(*control, 16).toUpper().rightJustified(4, u'0')));
            } else if (value.isEmpty()) {
                if (column == kTeam)
                    refuse(QStringLiteral("no team"));
                else if (column == kNumber)
                    refuse(QStringLiteral("no uniform number"));
                else if (column == kName)
                    refuse(QStringLiteral("no name"));
            } else if (isCount(column) && !wholeNumber.match(value).hasMatch()) {
                refuse(QStringLiteral("\"%1\" is not a count (a whole number)").arg(value));
            } else if (column == kInnings) {
                const InningsText innings = rosterInnings(value);
                if (innings.text.isEmpty())
                    refuse(QStringLiteral("\"%1\" is not whole thirds of an inning "
                                          "(45, 45.1, 45.2, 45.3, 45.33, 45.6, 45.67)")
                               .arg(value));
                value = innings.text;
                converted = innings.converted;
            }
            values << value;
        }
        if (!good)
            continue;
        const Key key{values[teamAt], values[numberAt]};
        if (const auto first = seen.constFind(key); first != seen.constEnd()) {
            check.refuse(record.line, int(numberAt + 1), kNumber,
                         QStringLiteral("%1 number %2 is already on line %3")
                             .arg(key.first, key.second)
                             .arg(first.value()));
            continue;
        }
        seen.insert(key, record.line);
        file.rows << values;
        file.lines << record.line;
        if (converted)
            file.convertedLines << record.line;
    }
}

QString linesText(const QList<int>& lines)
{
    QStringList out;
    for (qsizetype i = 0; i < lines.size() && i < 5; ++i)
        out << QString::number(lines[i]);
    if (lines.size() > 5)
        out << QStringLiteral("…");
    return out.join(QStringLiteral(", "));
}

// The rows the database holds, by team and number (the first row of a key
// that is there twice).
Result<QHash<Key, Row>> storedRows(Database& db, const QString& table)
{
    const auto rows = db.query(QStringLiteral("SELECT * FROM ") + table);
    if (!rows)
        return Result<QHash<Key, Row>>::failure(rows.error());
    QHash<Key, Row> out;
    for (const Row& r : *rows) {
        const Key key{r.value(kTeam).trimmed(), r.value(kNumber).trimmed()};
        if (!out.contains(key))
            out.insert(key, r);
    }
    return out;
}

Result<Done> planFile(Database& db, const CheckedFile& file, RosterPlan& plan)
{
    const auto stored = storedRows(db, file.table);
    if (!stored)
        return asDone(stored);
    for (const QStringList& values : file.rows) {
        RosterChange change;
        change.table = file.table;
        change.team = values[file.columns.indexOf(kTeam)];
        change.number = values[file.columns.indexOf(kNumber)];
        change.name = values[file.columns.indexOf(kName)];
        const auto existing = stored->constFind({change.team, change.number});
        QStringList columns;
        QVariantList bound;
        for (qsizetype c = 0; c < file.columns.size(); ++c) {
            // An empty cell leaves the stored value; a new player gets the default.
            if (values[c].isEmpty())
                continue;
            if (existing != stored->constEnd()) {
                const QString old = existing->value(file.columns[c]);
                if (old == values[c])
                    continue;
                change.differences
                    << QStringLiteral("%1 %2 → %3")
                           .arg(file.columns[c], old.isEmpty() ? QStringLiteral("(empty)") : old,
                                values[c]);
            }
            columns << file.columns[c];
            bound << values[c];
        }
        if (existing == stored->constEnd()) {
            change.kind = RosterChange::Kind::Insert;
            change.statement = {QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(file.table, columns.join(QStringLiteral(", ")),
                                         QStringList(columns.size(), QStringLiteral("?"))
                                             .join(QStringLiteral(", "))),
                                bound};
        } else if (columns.isEmpty()) {
            ++plan.unchanged;
            continue;
        } else {
            change.kind = RosterChange::Kind::Update;
            QStringList sets;
            for (const QString& c : columns)
                sets << c + QStringLiteral(" = ?");
            bound << change.team << existing->value(kNumber);
            change.statement = {QStringLiteral("UPDATE %1 SET %2 WHERE TRIM(隊名) = ? AND 背號 = ?")
                                    .arg(file.table, sets.join(QStringLiteral(", "))),
                                bound};
        }
        plan.changes << change;
    }
    return success();
}

} // namespace

QStringList rosterTables()
{
    return {QStringLiteral("打擊整隊表年度"), QStringLiteral("投手整隊表年度"),
            QStringLiteral("打者基本資料"), QStringLiteral("投手基本資料")};
}

int RosterPlan::inserts() const
{
    return int(std::count_if(changes.begin(), changes.end(), [](const RosterChange& c) {
        return c.kind == RosterChange::Kind::Insert;
    }));
}

int RosterPlan::updates() const
{
    return int(changes.size()) - inserts();
}

InningsText rosterInnings(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]+)(?:\\.([0-9]*))?$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return {};
    const QString whole = m.captured(1);
    const QString fraction = m.captured(2);
    static const QStringList kept{QString(),
                                  QStringLiteral("0"),
                                  QStringLiteral("00"),
                                  QStringLiteral("3"),
                                  QStringLiteral("33"),
                                  QStringLiteral("333"),
                                  QStringLiteral("6"),
                                  QStringLiteral("66"),
                                  QStringLiteral("67"),
                                  QStringLiteral("667")};
    if (kept.contains(fraction))
        return {text, false};
    if (fraction == QStringLiteral("1"))
        return {whole + QStringLiteral(".3"), true};
    if (fraction == QStringLiteral("2"))
        return {whole + QStringLiteral(".6"), true};
    return {};
}

Result<RosterPlan> planRosterImport(Database& db, const QStringList& files)
{
    QStringList refusals;
    QList<CheckedFile> checked;
    QHash<QString, QHash<Key, int>> seen; // per table, across its files
    for (const QString& path : files) {
        CheckedFile file;
        file.label = QFileInfo(path).fileName();
        Checker check(file.label, &refusals);
        file.table = tableOfFile(path);
        if (file.table.isEmpty()) {
            check.refuse(QStringLiteral("not a roster file: the name is one of %1 with .csv")
                             .arg(rosterTables().join(QStringLiteral(", "))));
            continue;
        }
        // A regular file of bounded size only: a FIFO would block the import
        // and a link to a device would never end.
        const auto bytes = app::readRegularFile(path, kMaxRosterFileBytes);
        if (!bytes) {
            check.refuse(bytes.error());
            continue;
        }
        const auto csv = parseCsv(*bytes);
        if (!csv) {
            check.refuse(csv.error());
            continue;
        }
        if (!readHeader(*csv, file, check))
            continue;
        readRows(*csv, file, check, seen[file.table]);
        file.label += QStringLiteral(" (") + csv->encoding + u')';
        checked << file;
    }
    if (!refusals.isEmpty())
        return Result<RosterPlan>::failure(refusals.join(u'\n'));

    RosterPlan plan;
    for (const CheckedFile& file : std::as_const(checked)) {
        plan.notes << QStringLiteral("%1: %2 rows for %3")
                          .arg(file.label)
                          .arg(file.rows.size())
                          .arg(file.table);
        if (!file.convertedLines.isEmpty())
            plan.notes << QStringLiteral("%1: 局數 in box-score notation (45.1, 45.2) on %2 "
                                         "rows (line %3) stored as thirds in the form the "
                                         "console reads (45.3, 45.6)")
                              .arg(file.label)
                              .arg(file.convertedLines.size())
                              .arg(linesText(file.convertedLines));
        if (auto r = planFile(db, file, plan); !r)
            return Result<RosterPlan>::failure(r.error());
    }
    return plan;
}

Result<Done> applyRosterPlan(Database& db, const RosterPlan& plan)
{
    return db.transaction([&]() -> Result<Done> {
        for (const RosterChange& change : plan.changes)
            if (auto r = db.execute(change.statement); !r)
                return Result<Done>::failure(
                    QStringLiteral("%1 %2 number %3: %4")
                        .arg(change.table, change.team, change.number, r.error()));
        return success();
    });
}

Result<QStringList> exportRoster(Database& db, const QString& folder)
{
    if (!QDir().mkpath(folder))
        return Result<QStringList>::failure(QStringLiteral("cannot make the folder ") + folder);
    QStringList written;
    for (const QString& table : rosterTables()) {
        const QStringList columns = columnNames(table);
        const auto rows =
            db.query(QStringLiteral("SELECT %1 FROM %2 ORDER BY 隊名, %3")
                         .arg(columns.join(QStringLiteral(", ")), table, uniformNumberOrder()));
        if (!rows)
            return Result<QStringList>::failure(table + QStringLiteral(": ") + rows.error());
        QList<QStringList> records{columns};
        for (const Row& r : *rows)
            records << r.values();
        const QString path = QDir(folder).filePath(table + QStringLiteral(".csv"));
        const QByteArray bytes = writeCsv(records);
        if (auto r = app::replaceFile(
                path, [&](QIODevice& out) { return out.write(bytes) == bytes.size(); });
            !r)
            return Result<QStringList>::failure(r.error());
        written << path;
    }
    return written;
}

} // namespace hp::db
