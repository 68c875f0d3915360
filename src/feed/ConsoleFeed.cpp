#include "ConsoleFeed.h"

#include "Baseball_Beat.h"
#include "ConsoleDatabase.h"
#include "FeedServer.h"
#include "GraphicsColumn.h"
#include "OnAirTally.h"
#include "PitcherPanel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace hp::feed {

ConsoleFeed::ConsoleFeed(FeedServer& server, QObject* parent)
    : QObject(parent)
    , m_server(server)
{
    QCoreApplication::instance()->installEventFilter(this);
}

ConsoleFeed::~ConsoleFeed()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool ConsoleFeed::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched != m_window)
        if (auto* window = qobject_cast<console::Baseball_Beat*>(watched))
            attach(*window);
    return false;
}

void ConsoleFeed::attach(console::Baseball_Beat& window)
{
    if (m_window)
        for (QObject* o : m_window->findChildren<QObject*>())
            o->disconnect(this);
    m_window = &window;
    m_view = std::make_unique<ConsoleWindowView>(window);
    if (auto* db = window.findChild<console::ConsoleDatabase*>())
        connect(db, &console::ConsoleDatabase::actionEnded, this, &ConsoleFeed::changed);
    if (auto* pitcher = window.findChild<console::PitcherPanel*>())
        connect(pitcher, &console::PitcherPanel::stepped, this, &ConsoleFeed::changed);
    // Boxes the operator types into are stored later (a line at the next
    // outcome, the line score at the change of half-inning): the screen
    // changes now.
    for (auto* box : window.findChildren<QLineEdit*>())
        connect(box, &QLineEdit::textChanged, this, &ConsoleFeed::changed);
    for (auto* check : window.findChildren<QCheckBox*>())
        connect(check, &QCheckBox::stateChanged, this, &ConsoleFeed::changed);
    if (graphics::GraphicsColumn* column = window.graphicsColumn())
        connect(&column->tally(), &graphics::OnAirTally::changed, this, &ConsoleFeed::changed);
    changed();
}

void ConsoleFeed::changed()
{
    if (m_due)
        return;
    m_due = true;
    QTimer::singleShot(0, this, &ConsoleFeed::publish);
}

void ConsoleFeed::publish()
{
    m_due = false;
    if (!m_window || !m_view)
        return;
    GameState state = gameState(m_view->view());
    state.sequence = m_server.current().sequence;
    if (state == m_server.current())
        return;
    m_server.publish(std::move(state));
}

} // namespace hp::feed
