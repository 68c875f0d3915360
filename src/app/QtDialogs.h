#pragma once

#include "OperatorDialogs.h"

#include <QPointer>
#include <QWidget>
#include <functional>

namespace hp::app {

// The operator's real dialogs. The connection-string dialog lives with the
// database code and is handed in as a function.
class QtDialogs final : public OperatorDialogs {
public:
    using ConnectionPrompt = std::function<std::optional<QString>(const QString&, QWidget*)>;

    explicit QtDialogs(ConnectionPrompt connectionPrompt);

    void message(const QString& text, const QString& title) override;
    bool confirm(const QString& text, const QString& title) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    std::optional<QString> openFile(const QString& filter, const QString& previous) override;
    std::optional<QString> connectionString(const QString& current) override;
    void setBusy(bool busy) override;

private:
    QWidget* parentWindow() const;

    ConnectionPrompt m_connectionPrompt;
    int m_busyDepth = 0;
};

} // namespace hp::app
