#pragma once

#include <QString>
#include <optional>

namespace hp::app {

// Every question and message the program puts to the operator. The production
// implementation shows Qt dialogs; automation mode answers from a queue.
class OperatorDialogs {
public:
    virtual ~OperatorDialogs() = default;

    // Modal, OK only, no icon.
    virtual void message(const QString& text, const QString& title) = 0;
    // Modal yes/no before an action that cannot be undone; true for yes.
    virtual bool confirm(const QString& text, const QString& title) = 0;
    // An input box; nullopt when cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultText) = 0;
    // A file-open dialog with a filter in the "label|pattern|label|pattern" form.
    virtual std::optional<QString> openFile(const QString& filter, const QString& previous) = 0;
    // The connection-string dialog; nullopt when cancelled.
    virtual std::optional<QString> connectionString(const QString& current) = 0;
    virtual void setBusy(bool busy) = 0;
};

// Shows the busy pointer for the lifetime of the guard.
class BusyPointer {
public:
    explicit BusyPointer(OperatorDialogs& dialogs)
        : m_dialogs(dialogs)
    {
        m_dialogs.setBusy(true);
    }
    ~BusyPointer() { m_dialogs.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    OperatorDialogs& m_dialogs;
};

} // namespace hp::app
