#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace hp::setup {

// Frame1 "比賽設定": the teams not yet chosen, the first- and second-batting
// team, and the confirmation button.
class TeamChoice : public QGroupBox {
    Q_OBJECT
public:
    explicit TeamChoice(QWidget* parent);

    // The teams to choose from, neither chosen yet. An empty list shows, in
    // its place, why and how to fill the database.
    void setTeams(const QStringList& teams);
    // Both teams taken from the list as the operator takes them; false (and
    // nothing taken) when the list does not hold both.
    bool choose(const QString& first, const QString& second);
    QString firstTeam() const;
    QString secondTeam() const;

signals:
    void confirmRequested();

private:
    void take(QLineEdit* box, QPushButton* take, QPushButton* giveBack);
    void giveBack(QLineEdit* box, QPushButton* take, QPushButton* giveBack);

    QListWidget* m_list1;
    QLabel* m_emptyHint;
    QLineEdit* m_text1;
    QLineEdit* m_text2;
    QPushButton* m_command1;
    QPushButton* m_command2;
    QPushButton* m_command3;
    QPushButton* m_command4;
    QPushButton* m_startCmd;
};

} // namespace hp::setup
