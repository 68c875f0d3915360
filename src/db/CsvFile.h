#pragma once

#include "Result.h"

#include <QList>
#include <QStringList>

namespace hp::db {

// One record of a CSV file and the line of the file it starts on (1-based).
struct CsvRecord {
    int line = 0;
    QStringList fields;
};

// A CSV file as a spreadsheet saves it: UTF-8 (with or without a byte order
// mark) or code page 950, told apart by the bytes themselves. Records with no
// text in any field (blank lines, ",,,") are left out.
struct CsvText {
    QString encoding; // "UTF-8", "UTF-8 with BOM" or "code page 950"
    QList<CsvRecord> records;
};

// A text cell that a spreadsheet would take for a formula (it starts with
// =, +, - or @, after any apostrophes) gets a leading apostrophe; a plain
// number ("-3", "+1.5") stays as it is.
QString guardedCell(const QString& text);
// The text of a cell as guardedCell wrote it: the one apostrophe it added
// taken off.
QString unguardedCell(const QString& cell);

// Parses with libcsv; cells are unguarded. Fails on bytes that are neither encoding and on a
// quoted field left open, naming the line.
Result<CsvText> parseCsv(const QByteArray& bytes);

// Records as UTF-8 with a byte order mark (so that spreadsheets take it as
// UTF-8), every field guarded and quoted, lines ending in CR LF.
QByteArray writeCsv(const QList<QStringList>& records);

} // namespace hp::db
