#pragma once

#include <QWidget>

class QLabel;

namespace hp::console {

// The marks of an inning read at a glance: "▲1" and "上" while the team that
// bats first is at bat (caption 1B), "▼1" and "下" while the other bats (1T).
struct InningMarks {
    QString arrow;
    QString half;
};
InningMarks inningMarks(int round, bool secondHalf);

// The large inning and half beside the count (Inning_Lab, InningHalf_Lab),
// following the caption of the line score.
class InningIndicator : public QWidget {
    Q_OBJECT
public:
    explicit InningIndicator(QWidget* parent = nullptr);
    void showInning(int round, bool secondHalf);

private:
    QLabel* m_arrow;
    QLabel* m_half;
};

} // namespace hp::console
