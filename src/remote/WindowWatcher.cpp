#include "WindowWatcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>

namespace hp::remote {

WindowWatcher::WindowWatcher(app::EventLog& log, QObject* parent)
    : QObject(parent)
    , m_log(log)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool WindowWatcher::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Close)
        return false;
    auto* window = qobject_cast<QMainWindow*>(watched);
    if (!window || !window->isWindow() || window->objectName().isEmpty())
        return false;
    const QString what = type == QEvent::Show ? QStringLiteral("shown") : QStringLiteral("closed");
    m_log.add({{QStringLiteral("kind"), QStringLiteral("window")},
               {QStringLiteral("name"), window->objectName()},
               {what, true}});
    return false;
}

} // namespace hp::remote
