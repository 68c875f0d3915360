#include "PlayHistory.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QMainWindow>
#include <QScreen>

namespace hp::console {

PlayHistory::PlayHistory(std::function<game::PlayState()> current, QWidget* parent)
    : QDockWidget(QStringLiteral("比賽紀錄"), parent)
    , m_current(std::move(current))
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("PlayHistory"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_list->setObjectName(QStringLiteral("History_List"));
    m_list->setToolTip(QStringLiteral("按兩下打擊結果可取消(限目前打者)"));
    setWidget(m_list);
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { History_List_DblClick(m_list->row(item)); });
}

void PlayHistory::placeBeside(QMainWindow& console)
{
    console.addDockWidget(Qt::BottomDockWidgetArea, this);
    setFloating(true);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
    const QSize size(qMin(520, area.width()), qMin(240, area.height() / 3));
    setGeometry(QRect(area.bottomRight() - QPoint(size.width(), size.height()), size));
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
