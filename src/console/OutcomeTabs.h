#pragma once

#include <QTabWidget>

class QPushButton;

namespace hp::console {

// SSTab3: the twenty plate-appearance outcome buttons, on base (Command1)
// and out (Command2). The caption of a button is what goes into the batter's
// plate-appearance box.
class OutcomeTabs : public QTabWidget {
    Q_OBJECT
public:
    enum class Group { OnBase = 1, Out = 2 };

    explicit OutcomeTabs(QWidget* parent = nullptr);
    QPushButton* button(Group group, int index) const;
    static QStringList captions(Group group);

signals:
    void outcome(OutcomeTabs::Group group, int index);

private:
    QList<QPushButton*> m_onBase;
    QList<QPushButton*> m_out;
};

} // namespace hp::console
