#include "CsvFile.h"

#include "Cp950.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <csv.h>

namespace hp::db {

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

// The state libcsv's callbacks build up: fields of the current record and
// the line it started on. Lines are counted from the line feeds, inside
// quoted fields as well as between records; a lone carriage return (old
// Macintosh files) ends a line too.
struct Collector {
    QList<QByteArrayList> rows;
    QList<int> lines;
    QByteArrayList current;
    int line = 1;
    int recordLine = 1;
    bool afterCr = false;

    void field(const char* data, size_t size)
    {
        if (current.isEmpty())
            recordLine = line;
        const QByteArray bytes(data ? data : "", qsizetype(data ? size : 0));
        line += int(bytes.count('\n'));
        if (bytes.count('\n') == 0)
            line += int(bytes.count('\r'));
        current << bytes;
        afterCr = false;
    }
    void end(int c)
    {
        if (!current.isEmpty()) {
            bool blank = true;
            for (const QByteArray& f : std::as_const(current))
                blank = blank && f.trimmed().isEmpty();
            if (!blank) {
                rows << current;
                lines << recordLine;
            }
            current.clear();
        }
        if (c == CSV_LF && !afterCr)
            ++line;
        else if (c == CSV_CR)
            ++line;
        afterCr = c == CSV_CR;
    }
};

void onField(void* data, size_t size, void* collector)
{
    static_cast<Collector*>(collector)->field(static_cast<const char*>(data), size);
}

void onRecordEnd(int c, void* collector)
{
    static_cast<Collector*>(collector)->end(c);
}

// After any apostrophes, a sign a spreadsheet starts a formula with.
const QRegularExpression kFormula(QStringLiteral("^'*[=+\\-@]"));
const QRegularExpression kGuarded(QStringLiteral("^'+[=+\\-@]"));
const QRegularExpression kNumber(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?$"));

} // namespace

QString guardedCell(const QString& text)
{
    if (!kFormula.match(text).hasMatch() || kNumber.match(text).hasMatch())
        return text;
    return u'\'' + text;
}

QString unguardedCell(const QString& cell)
{
    return kGuarded.match(cell).hasMatch() ? cell.mid(1) : cell;
}

Result<CsvText> parseCsv(const QByteArray& input)
{
    CsvText out;
    QByteArray bytes = input;
    enum class Encoding { Utf8, Cp950 } encoding = Encoding::Utf8;
    if (bytes.startsWith(kBom)) {
        bytes.remove(0, kBom.size());
        out.encoding = QStringLiteral("UTF-8 with BOM");
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = utf8.decode(bytes); // decoding happens on conversion
        if (!utf8.hasError()) {
            out.encoding = QStringLiteral("UTF-8");
        } else if (cglink::isValidCp950(bytes)) {
            out.encoding = QStringLiteral("code page 950");
            encoding = Encoding::Cp950;
        } else {
            return Result<CsvText>::failure(QStringLiteral("neither UTF-8 nor code page 950 text"));
        }
    }

    // Code page 950 trail bytes (0x40-0x7E, 0xA1-0xFE) never equal a comma,
    // a quote or a line end, so the bytes can be split before decoding.
    csv_parser parser;
    if (csv_init(&parser, CSV_REPALL_NL | CSV_STRICT | CSV_STRICT_FINI) != 0)
        return Result<CsvText>::failure(QStringLiteral("the CSV parser could not start"));
    Collector collector;
    const size_t used = csv_parse(&parser, bytes.constData(), size_t(bytes.size()), onField,
                                  onRecordEnd, &collector);
    const bool parsed =
        used == size_t(bytes.size()) && csv_fini(&parser, onField, onRecordEnd, &collector) == 0;
    const QString problem = QString::fromLatin1(csv_strerror(csv_error(&parser)));
    csv_free(&parser);
    if (!parsed)
        return Result<CsvText>::failure(
            QStringLiteral("line %1: %2 (a quote out of place or left open)")
                .arg(collector.current.isEmpty() ? collector.line : collector.recordLine)
                .arg(problem));

    for (qsizetype i = 0; i < collector.rows.size(); ++i) {
        CsvRecord record{collector.lines[i], {}};
        for (const QByteArray& f : std::as_const(collector.rows[i]))
            record.fields << unguardedCell(encoding == Encoding::Cp950 ? cglink::fromCp950(f)
                                                                       : QString::fromUtf8(f));
        out.records << record;
    }
    return out;
}

QByteArray writeCsv(const QList<QStringList>& records)
{
    QByteArray out = kBom;
    for (const QStringList& record : records) {
        for (qsizetype i = 0; i < record.size(); ++i) {
            const QByteArray field = guardedCell(record[i]).toUtf8();
            QByteArray quoted(field.size() * 2 + 2, Qt::Uninitialized);
            const size_t n = csv_write(quoted.data(), size_t(quoted.size()), field.constData(),
                                       size_t(field.size()));
            if (i > 0)
                out += ',';
            out += quoted.left(qsizetype(n));
        }
        out += "\r\n";
    }
    return out;
}

} // namespace hp::db
