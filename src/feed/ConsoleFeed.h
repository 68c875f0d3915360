#pragma once

#include "ConsoleReading.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace hp::feed {

class FeedServer;

// Follows the console window while it is open: after each operator action,
// pitch step, typed box and change of what is on air, the server gets the
// state the screen shows (once per turn of the event loop, and only when it
// changed).
class ConsoleFeed : public QObject {
    Q_OBJECT
public:
    ConsoleFeed(FeedServer& server, QObject* parent = nullptr);
    ~ConsoleFeed() override;

    // Called by itself when a console window is shown; tests may call it.
    void attach(console::Baseball_Beat& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void changed();
    void publish();

    FeedServer& m_server;
    QPointer<console::Baseball_Beat> m_window;
    std::unique_ptr<ConsoleWindowView> m_view;
    bool m_due = false;
};

} // namespace hp::feed
