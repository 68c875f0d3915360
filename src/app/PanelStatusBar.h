#pragma once

#include <QLabel>
#include <QList>
#include <QStatusBar>

namespace hp::app {

// A status bar of numbered text panels (panel 1 is the first).
class PanelStatusBar : public QStatusBar {
    Q_OBJECT
public:
    PanelStatusBar(int panels, QWidget* parent);

    void setPanel(int number, const QString& text);
    // A panel that must catch the operator's eye: white on red while on.
    void setPanelAlert(int number, const QString& text, bool alert);
    QString panel(int number) const;
    int panelCount() const { return int(m_panels.size()); }
    QStringList panels() const;

private:
    QList<QLabel*> m_panels;
};

} // namespace hp::app
