#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <array>
#include <functional>
#include <optional>

// The play-by-play log: what the console shows at the end of each operator
// action, what changed in that action, and the row of the log it becomes.
// Pure values and functions; the console reads its panels into a PlayState
// and the box score reads the rows back.
namespace hp::game {

// The console as one action leaves it.
struct PlayState {
    int round = 1;
    bool half = false; // false while the team that bats first is at bat
    QString battingTeam;
    int slot = 0;
    QString batterNumber, batterName;
    QString pitcherNumber, pitcherName;
    int strikes = 0, balls = 0, outs = 0;
    std::array<bool, 3> bases{};
    // The line score, first-batting team's row then the second's: innings 1
    // to 12, then R, H and E, as the boxes hold them.
    std::array<std::array<QString, 15>, 2> lineScore{};
    // The batter's plate-appearance boxes 1 to 8 (a blank box reads empty).
    std::array<QString, 8> boxes{};
    // The batter's and the pitcher's counters as typed or counted, by caption.
    QList<std::pair<QString, QString>> batterCounters, pitcherCounters;

    QString runs(int team) const { return lineScore[team - 1][12]; }
};

// What one action did, in the words of the log's 種類.
namespace play {
inline const QString kStrike = QStringLiteral("好球");
inline const QString kBall = QStringLiteral("壞球");
inline const QString kFoul = QStringLiteral("界外");
inline const QString kTakenBack = QStringLiteral("收回");
inline const QString kOut = QStringLiteral("出局");
inline const QString kOutcome = QStringLiteral("結果");
inline const QString kUndo = QStringLiteral("取消");
inline const QString kRunners = QStringLiteral("跑者");
inline const QString kScore = QStringLiteral("比分");
inline const QString kSubstitution = QStringLiteral("換人");
inline const QString kPitcherChange = QStringLiteral("換投");
inline const QString kHalfInning = QStringLiteral("換局");
inline const QString kNextBatter = QStringLiteral("下一棒");
inline const QString kHandEdit = QStringLiteral("修改");
inline const QString kGameEnd = QStringLiteral("比賽結束");
} // namespace play

// One row of the log.
struct PlayEvent {
    qint64 seq = 0; // given by the database, in the order the rows were stored
    QDateTime at;
    PlayState state; // after the action
    QString kind;
    QString detail; // the outcome's caption, the field or the player
    QString before, after;
    int box = 0; // the plate-appearance box of an outcome or an undo (1..8)
};

// The same player at the plate (or on the mound) in both states.
bool sameBatter(const PlayState& a, const PlayState& b);
bool samePitcher(const PlayState& a, const PlayState& b);

// The rows an action makes: `logged` is the console after the last row
// written, `start` as the action began and `end` as it ended. Counters of the
// same batter or pitcher that changed before the action began are hand edits,
// one row each, ahead of the action's own row; the line score and the
// runners may have changed just before the action that stores them. Nothing
// when nothing of the game changed.
QList<PlayEvent> describeAction(const PlayState& logged, const PlayState& start,
                                const PlayState& end);

// A counter typed by hand that cannot stand, with the words that say why.
struct FigureRefusal {
    bool pitcher = false; // the pitcher's counter, else the batter's
    QString caption;
    QString why;
};
// The counters of the same batter and pitcher that changed since `stored`
// and cannot stand: below 0 or not a whole number, hits above at-bats,
// earned runs above runs allowed.
QList<FigureRefusal> typedFigureRefusals(const PlayState& stored, const PlayState& now);

// "1-2": balls and strikes.
QString countText(int balls, int strikes);
// "壘上無人", "一壘有人", "一、三壘有人", "滿壘".
QString runnersText(const std::array<bool, 3>& bases);
// The runners as stored: the occupied bases' digits ("13"), empty for none.
QString basesCode(const std::array<bool, 3>& bases);
std::array<bool, 3> basesFromCode(const QString& code);
// "2局上".
QString halfInningText(int round, bool half);

// The history line of a row, e.g. "2局上 何正雄 一壘 (1-2) 1出局 一壘有人".
QString historyText(const PlayEvent& event);

// The log table, its columns in order (Seq first), and one row's values
// (without Seq) for an INSERT, and back.
QString playLogTable();
QStringList playLogColumns();
QVariantList playLogValues(const PlayEvent& event);
// A row read back: `value` gives a column's text by its name.
PlayEvent playEventFromRow(const std::function<QString(const QString&)>& value);

} // namespace hp::game
