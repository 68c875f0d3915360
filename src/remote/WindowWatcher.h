#pragma once

#include "EventLog.h"

#include <QObject>

namespace hp::remote {

// Logs every main window shown or closed as an event.
class WindowWatcher : public QObject {
    Q_OBJECT
public:
    WindowWatcher(app::EventLog& log, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    app::EventLog& m_log;
};

} // namespace hp::remote
