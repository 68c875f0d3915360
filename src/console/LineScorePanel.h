#pragma once

#include "ConsoleState.h"
#include "ConsoleStatements.h"

#include <QGroupBox>
#include <array>

class QLabel;

namespace hp::console {

class ConsoleBox;

// The frame Round: the line score of both teams, innings 1 to 12, with R, H
// and E, and the inning and half in its caption.
class LineScorePanel : public QGroupBox {
    Q_OBJECT
public:
    enum Total { Runs = 1, Hits = 2, Errors = 3 };

    explicit LineScorePanel(QWidget* parent = nullptr);

    // Fills both rows from RHE (first row Half 'B', second 'T'; more are ignored).
    void load(const db::Rows& rows);
    LineScoreRow row(int team) const;
    QString teamName(int team) const;
    QString total(int team, Total which) const;
    double totalValue(int team, Total which) const;
    void setTotal(int team, Total which, double value);
    double cellValue(int team, int round) const;
    void setCell(int team, int round, double value);

    // The caption: the inning and B or T.
    void showInning(const ConsoleState& state);
    // The cell of the current half-inning in white on blue; a blank or empty
    // cell starts at "0", a cell that holds runs keeps them.
    void markCurrent(const ConsoleState& state);
    void unmark(int round);

    ConsoleBox* cell(int team, int round) const { return m_cells[team - 1][round - 1]; }

signals:
    // A cell or a total changed: the runs of SBO表 follow.
    void changed();
    // The caption now shows this inning and half (true: the second half).
    void inningShown(int round, bool secondHalf);

private:
    void cellPressed(ConsoleBox* cell, Qt::KeyboardModifiers modifiers);
    void cellChanged(ConsoleBox* cell);

    std::array<QLabel*, 2> m_teams{};
    std::array<std::array<ConsoleBox*, 12>, 2> m_cells{};
    std::array<std::array<ConsoleBox*, 3>, 2> m_totals{};
};

} // namespace hp::console
