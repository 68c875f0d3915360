#pragma once

#include <QAction>
#include <QMenu>

namespace hp::app {

// Adds a named menu command whose handler runs in the context's thread.
template <typename Handler>
QAction* addMenuCommand(QMenu* menu, const char* name, const QString& caption, QObject* context,
                        Handler handler)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    QObject::connect(action, &QAction::triggered, context, handler);
    return action;
}

} // namespace hp::app
