#include "PlayHistory.h"

#include "WindowPlacement.h"

#include <QListWidget>
#include <QMainWindow>
#include <optional>

namespace hp::console {

PlayHistory::PlayHistory(std::function<game::PlayState()> current, QWidget* parent)
    : QDockWidget(QStringLiteral("比賽紀錄"), parent)
    , m_current(std::move(current))
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("PlayHistory"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                QDockWidget::DockWidgetClosable);
    // 系統 → 比賽紀錄 opens and closes it.
    toggleViewAction()->setObjectName(QStringLiteral("mHistory"));
    m_list->setObjectName(QStringLiteral("History_List"));
    m_list->setToolTip(QStringLiteral("按兩下打擊結果可取消(限目前打者)"));
    setWidget(m_list);
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { History_List_DblClick(m_list->row(item)); });
}

namespace {

// The panel at the foot of a strip's right side, if the strip has its room.
std::optional<QRect> footOf(const QRect& strip)
{
    const QRect inside = strip.marginsRemoved(app::kFrameAllowance);
    if (inside.width() < kHistoryLeast.width() || inside.height() < kHistoryLeast.height())
        return std::nullopt;
    const QSize size = kHistoryWanted.boundedTo(inside.size());
    return QRect(inside.left() + inside.width() - size.width(),
                 inside.top() + inside.height() - size.height(), size.width(), size.height());
}

} // namespace

HistorySpot historySpot(const QRect& console, int spareHeight, const QRect& area)
{
    if (spareHeight >= kHistoryLeast.height())
        return {HistorySpot::Place::Docked, {}};
    const QRect outer = console.marginsAdded(app::kFrameAllowance);
    const int right = outer.left() + outer.width();
    const int below = outer.top() + outer.height();
    const QRect strips[] = {
        QRect(right, area.top(), area.left() + area.width() - right, area.height()),
        QRect(area.left(), area.top(), outer.left() - area.left(), area.height()),
        QRect(area.left(), below, area.width(), area.top() + area.height() - below),
        QRect(area.left(), area.top(), area.width(), outer.top() - area.top()),
    };
    for (const QRect& strip : strips)
        if (const auto spot = footOf(strip.intersected(area)))
            return {HistorySpot::Place::Floating, *spot};
    const QRect inside = area.marginsRemoved(app::kFrameAllowance);
    const QSize size = kHistoryWanted.boundedTo(inside.size());
    return {HistorySpot::Place::Closed,
            QRect(inside.left() + inside.width() - size.width(),
                  inside.top() + inside.height() - size.height(), size.width(), size.height())};
}

void PlayHistory::placeBeside(QMainWindow& console)
{
    const int spare = console.height() - console.minimumSizeHint().height();
    const QRect area = app::openingArea();
    const HistorySpot spot = area.isEmpty() ? HistorySpot{HistorySpot::Place::Closed, {}}
                                            : historySpot(console.geometry(), spare, area);
    console.addDockWidget(Qt::BottomDockWidgetArea, this);
    if (spot.place == HistorySpot::Place::Docked) {
        console.resizeDocks({this}, {spare - 4}, Qt::Vertical);
        return;
    }
    setFloating(true);
    if (!spot.floating.isEmpty())
        setGeometry(spot.floating);
    if (spot.place == HistorySpot::Place::Closed)
        hide();
}

void PlayHistory::setRows(const QList<game::PlayEvent>& newestFirst)
{
    m_list->clear();
    m_events.clear();
    for (const game::PlayEvent& e : newestFirst.mid(0, kRows)) {
        m_events << e;
        m_list->addItem(game::historyText(e));
    }
}

void PlayHistory::add(const QList<game::PlayEvent>& events)
{
    for (const game::PlayEvent& e : events) {
        m_events.prepend(e);
        m_list->insertItem(0, game::historyText(e));
    }
    while (m_events.size() > kRows) {
        m_events.removeLast();
        delete m_list->takeItem(m_list->count() - 1);
    }
}

void PlayHistory::History_List_DblClick(int row)
{
    if (row < 0 || row >= m_events.size())
        return;
    const game::PlayEvent& e = m_events[row];
    const QString title = QStringLiteral("錯誤提示");
    if (e.kind != game::play::kOutcome || e.box < 1 || e.box > 8) {
        emit message(QStringLiteral("只有打擊結果可以取消,這一筆是「%1」").arg(e.kind), title);
        return;
    }
    const game::PlayState now = m_current();
    const game::PlayState& s = e.state;
    if (s.half != now.half || s.slot != now.slot || s.batterName != now.batterName ||
        s.batterNumber != now.batterNumber) {
        emit message(QStringLiteral("只能取消目前打者(%1)的打擊結果,這一筆是%2的")
                         .arg(now.batterName, s.batterName),
                     title);
        return;
    }
    if (now.boxes[e.box - 1] != e.detail) {
        emit message(QStringLiteral("第%1打席已不是「%2」,無法取消").arg(e.box).arg(e.detail),
                     title);
        return;
    }
    emit undo(e.box);
}

} // namespace hp::console
