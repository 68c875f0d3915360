#pragma once

#include <QFont>
#include <QWidget>

namespace hp::app {

// The look of the few big buttons an operator must find at a glance.
inline void makeProminent(QWidget* widget, int extraPoints, bool bold, int minimumHeight)
{
    QFont font = widget->font();
    font.setPointSize(font.pointSize() + extraPoints);
    font.setBold(bold);
    widget->setFont(font);
    widget->setMinimumHeight(minimumHeight);
}

} // namespace hp::app
