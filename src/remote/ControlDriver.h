#pragma once

#include <QJsonObject>
#include <QString>
#include <QWidget>

namespace hp::remote {

// Finds windows and controls by their names, reads their state and acts on
// them through the same handlers as the operator's own mouse and keys.
class ControlDriver {
public:
    // Open windows: name (class name), caption, visible.
    QJsonArray windows() const;
    QWidget* findWindow(const QString& name) const;
    QObject* findControl(QWidget* window, const QString& name) const;

    static QJsonObject state(const QObject* control);
    QJsonObject dump(QWidget* window) const;

    // An empty text on success, else what went wrong (nothing was done). A
    // window that is hidden or disabled takes no action, nor do its controls
    // and menu commands.
    QString act(QWidget* window, QObject* control, const QString& action,
                const QJsonObject& request) const;
    QString triggerMenu(QWidget* window, const QString& name) const;
};

} // namespace hp::remote
