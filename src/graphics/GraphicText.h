#pragma once

#include "CgCommands.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

// The pieces every graphic is made of, and the small decisions about how a
// console value shows on a page. Pure functions.
namespace hp::graphics {

// What a list click prepares: the command that loads the page (it keeps its
// "EFFECT" for the play buttons), the preview request, and the play code.
// A graphic without fields has no load: only the preview request goes out
// before play. A refusal carries the message (text and title) the operator
// sees instead; then nothing is sent and nothing stored.
struct Graphic {
    QString command;
    QString preview;
    qint16 playCode = cglink::kPlayWithFields;
    bool loadsFields = true;
    // Item 12 of the in-game list rewrites the list's tool-tip; others leave it.
    std::optional<QString> listToolTip;
    QString refusal;
    QString refusalTitle;

    bool refused() const { return !refusal.isEmpty(); }
};

Graphic refusedGraphic(const QString& text, const QString& title);

// "[BYNAME][page][count]EFFECT" CR LF and one line per field. The count is the
// page's own figure, not the number of fields that follow: a fielding line-up
// without a designated hitter sends eleven fields under a header of ten.
QString countedCommand(const QString& page, int count, const QList<cglink::Field>& fields);
// "[name][0][value]", without a line end.
QString fieldText(const cglink::Field& field);
// Each field as its text followed by CR LF.
QString fieldLines(const QList<cglink::Field>& fields);

// The game state the scoreboard pages read, as the console shows it.
struct Scoreboard {
    int round = 1;
    bool bottomHalf = false;                // the team that bats second is at bat
    QString team1, team2;                   // first- and second-batting team names
    std::array<QString, 3> rhe1, rhe2;      // runs, hits, errors as shown
    std::array<QString, 3> sbo;             // strikes, balls, outs as shown
    std::array<int, 3> bases{};             // check-box values of first..third base
    std::array<QString, 12> score1, score2; // line-score cells, innings 1..12
};

// "◆" for an occupied base (any value but 0, the greyed state too), else the
// blank U+3000, never an empty value.
QString baseMark(int checkValue);
// "▼" in the bottom half, "▲" in the top half.
QString halfMark(bool bottomHalf);

// TEAM1, TEAM2, R1, H1, E1, R2, H2, E2.
QList<cglink::Field> rheBlock(const Scoreboard& board);
// ROUND, R1, R2, S, B, O, 1B, 2B, 3B, HALF: the count page and the quick count.
QList<cglink::Field> countFields(const Scoreboard& board);
// The field of one line-score cell: team 1 or 2 followed by the inning, so
// inning 3 of team 1 is "13" and inning 10 of team 2 is "210".
QString inningFieldName(int team, int inning);

// A position code as a field name: blanks around it removed.
QString positionFieldName(const QString& stored);

// The ordinal mark of plate-appearance box i (1..8): i when the box holds a
// result, two blanks (U+3000 U+3000) when it is empty or holds exactly one
// blank. An ordinary space counts as a result.
QString plateMark(const QString& boxText, int ordinal);

// One row of the next-batters table.
struct NextBatter {
    QString battingPosition; // 棒次
    QString name;            // 姓名
    QString atBats;          // 打數
    QString hits;            // 安打
    QString team;            // 隊名
};

// T n1, T n2, T n3 of row n (1..3): position, name, "at-bats-hits" ("0-0").
QList<cglink::Field> batterLines(const NextBatter& row, int n);
// The list tool-tip after item 12: team of the first row, CR LF, then per row
// position, name, "/" and CR LF.
QString nextBattersToolTip(const QList<NextBatter>& rows);

} // namespace hp::graphics
