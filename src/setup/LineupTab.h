#pragma once

#include "Selection.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace hp::app {
class OperatorDialogs;
}

namespace hp::setup {

// One tab of SSTab1: a team's starting pitcher, its roster, its batting order
// of nine and the fielding position of each slot.
class LineupTab : public QWidget {
    Q_OBJECT
public:
    // The names of one team's controls in the window.
    struct Names {
        QString label, pitcher, roster, order, positions, add, remove, up, down;
    };
    static Names firstTeamNames();
    static Names secondTeamNames();

    LineupTab(const Names& names, app::OperatorDialogs& dialogs, QWidget* parent);

    void setTeamName(const QString& team);
    void setPitchers(const QStringList& entries);
    void setRoster(const QStringList& entries);
    void clearOrder();
    void setPositions(const QStringList& positions);

    // The team's order, positions and pitcher as stored, the batters taken
    // out of the roster list.
    void restore(const TeamSelection& team);

    QStringList order() const;
    QStringList positions() const;
    QString pitcher() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addToOrder(bool announceFull);
    void returnToRoster();
    void movePosition(int step);
    void editRosterEntry();

    app::OperatorDialogs& m_dialogs;
    QLabel* m_label;
    QComboBox* m_pitcher;
    QListWidget* m_roster;
    QListWidget* m_order;
    QListWidget* m_positions;
};

} // namespace hp::setup
