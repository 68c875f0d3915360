#pragma once

#include "EventLog.h"
#include "OperatorDialogs.h"

#include <QHash>
#include <QQueue>

namespace hp::app {

// Automation-mode dialogs: messages become events, questions are answered from
// queues filled over the remote interface. An empty queue answers "cancelled".
class ScriptedDialogs final : public OperatorDialogs {
public:
    enum class Kind { Input, File, Connection, Confirm };

    explicit ScriptedDialogs(EventLog& log)
        : m_log(log)
    {
    }

    void enqueue(Kind kind, std::optional<QString> answer);

    void message(const QString& text, const QString& title) override;
    // Yes when the answer queued is "yes"; an empty queue answers no.
    bool confirm(const QString& text, const QString& title) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    std::optional<QString> openFile(const QString& filter, const QString& previous) override;
    std::optional<QString> connectionString(const QString& current) override;
    void setBusy(bool busy) override { m_busy = busy; }
    bool busy() const { return m_busy; }

    static std::optional<Kind> kindFromName(const QString& name);

private:
    std::optional<QString> answer(Kind kind, const QJsonObject& request);

    EventLog& m_log;
    QHash<int, QQueue<std::optional<QString>>> m_queues;
    bool m_busy = false;
};

} // namespace hp::app
