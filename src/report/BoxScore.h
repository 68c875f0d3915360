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
    std::array<QString, 8> results;
    bool leftGame = false;
};

struct PitchingLine {
    QString number, name;
    double thirds = 0;
    QString hits, homeRuns, strikeouts, walks, runs, earnedRuns;
    bool leftGame = false;
};

struct TeamBox {
    QString name;
    std::array<QString, 12> innings; // as recorded; a blank for an inning not played
    QString runs, hits, errors;
    QList<BattingLine> batting;
    QList<PitchingLine> pitching;
};

struct BoxScore {
    QDate date;
    TeamBox first, second; // the team that bats first, the team that bats second
    // Innings shown: nine, or as many as either team has a figure for.
    int innings() const;
};

Result<BoxScore> readBoxScore(db::Database& d, const QDate& date);

// Innings pitched in box-score notation: 17 outs are "5.2".
QString boxScoreInnings(double thirds);

// One self-contained XHTML page (inline style, no scripts), for A4.
QString boxScoreXhtml(const BoxScore& box);

// One CSV table per part of the box score, UTF-8 with BOM: file name and contents.
QList<std::pair<QString, QByteArray>> boxScoreCsv(const BoxScore& box);

// Writes the page and the tables; the paths written, or the first error.
Result<QStringList> writeBoxScore(const BoxScore& box, const QString& htmlFile,
                                  const QString& csvFolder);

} // namespace hp::report
