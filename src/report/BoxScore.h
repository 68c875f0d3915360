#pragma once

#include "Database.h"
#include "Result.h"

#include <QDate>
#include <array>

// The box score of the game in the today tables: the line score, every
// player's batting line in batting order (those who left the game at their
// slot, before the one who replaced them), every pitcher of the day in order
// of appearance.
namespace hp::report {

struct BattingLine {
    QString slot, number, name, position;
    QString atBats, hits, homeRuns, rbis, average;
    // From the play log: walks (四壞, 敬遠), hit by pitch, strikeouts.
    QString walks, hitByPitch, strikeouts;
    // A substitute's role and the inning he came in ("代打 5局"), shown in
    // place of the position he took over.
    QString role;
    std::array<QString, 8> results;
    bool leftGame = false;
};

struct PitchingLine {
    QString number, name;
    double thirds = 0;
    QString hits, homeRuns, strikeouts, walks, runs, earnedRuns;
    QString strikes, balls;
    // From the play log: walks without the hit batters, batters faced.
    QString baseOnBalls, battersFaced;
    QString decision; // "勝", "敗", "救援" or empty
    bool leftGame = false;
};

struct TeamBox {
    QString name;
    std::array<QString, 12> innings; // as recorded; a blank for an inning not played
    QString runs, hits, errors;
    QList<BattingLine> batting;
    BattingLine totals; // the team's sums, its average of them
    QList<PitchingLine> pitching;
};

// The pitchers of record, "number:name" each, empty when none.
struct PitchersOfRecord {
    QString win, loss, save;
};

struct BoxScore {
    QDate date;
    TeamBox first, second;      // the team that bats first, the team that bats second
    bool final = false;         // the game was ended (比賽結束)
    QString status;             // "終場" or "進行中 3局下"
    PitchersOfRecord decisions; // shown when the game is final
    // Innings shown: nine, or as many as either team has a figure for.
    int innings() const;
};

Result<BoxScore> readBoxScore(db::Database& d, const QDate& date);
// The operator's choice of pitchers of record, marked on the pitchers' lines.
void setDecisions(BoxScore& box, const PitchersOfRecord& decisions);

// A batting average in ".000" form ("1.000" for 1, ".000" with no at-bats).
QString boxScoreAverage(double atBats, double hits);

// Innings pitched in box-score notation: 17 outs are "5.2".
QString boxScoreInnings(double thirds);

// One self-contained XHTML page (inline style, no scripts), for A4.
QString boxScoreXhtml(const BoxScore& box);

// Rows as one UTF-8 CSV table with BOM; a cell a spreadsheet would take for
// a formula is guarded.
QByteArray csvTable(const QList<QStringList>& rows);

// One CSV table per part of the box score, UTF-8 with BOM: file name and contents.
QList<std::pair<QString, QByteArray>> boxScoreCsv(const BoxScore& box);

// Writes the page and the tables; the paths written, or the first error.
Result<QStringList> writeBoxScore(const BoxScore& box, const QString& htmlFile,
                                  const QString& csvFolder);

} // namespace hp::report
