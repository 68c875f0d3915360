#include "PanelStatusBar.h"

namespace hp::app {

PanelStatusBar::PanelStatusBar(int panels, QWidget* parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 0; i < panels; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusBar1.Panel%1").arg(i + 1));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(120);
        // A long text is cut at the panel's edge (its tool-tip holds all of
        // it) rather than widen the window beyond the screen.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        addWidget(label, 1);
        m_panels << label;
    }
}

void PanelStatusBar::setPanel(int number, const QString& text)
{
    if (number >= 1 && number <= m_panels.size()) {
        m_panels[number - 1]->setText(text);
        m_panels[number - 1]->setToolTip(text);
    }
}

void PanelStatusBar::setPanelAlert(int number, const QString& text, bool alert)
{
    setPanel(number, text);
    if (number >= 1 && number <= m_panels.size()) {
        QLabel* label = m_panels[number - 1];
        label->setAutoFillBackground(alert);
        QPalette p = label->palette();
        p.setColor(QPalette::Window, alert ? QColor(200, 0, 0) : palette().color(QPalette::Window));
        p.setColor(QPalette::WindowText,
                   alert ? QColor(Qt::white) : palette().color(QPalette::WindowText));
        label->setPalette(p);
    }
}

QString PanelStatusBar::panel(int number) const
{
    if (number >= 1 && number <= m_panels.size())
        return m_panels[number - 1]->text();
    return {};
}

QStringList PanelStatusBar::panels() const
{
    QStringList out;
    for (const QLabel* l : m_panels)
        out << l->text();
    return out;
}

} // namespace hp::app
