#include "LineupTab.h"

#include "OperatorDialogs.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace hp::setup {

namespace {

constexpr int kSlots = 9;
constexpr int kRowHeight = 26;

QStringList texts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QListWidget* slotList(const QString& name, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setStyleSheet(QStringLiteral("QListWidget::item { height: %1px; }").arg(kRowHeight));
    list->setFixedHeight(kRowHeight * kSlots + 2 * list->frameWidth() + 2);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

// Nothing selected, as after an entry has left the list.
void clearSelection(QListWidget* list)
{
    list->setCurrentRow(-1);
    list->clearSelection();
}

bool hasSelection(const QListWidget* list)
{
    return list->currentItem() && list->currentItem()->isSelected();
}

} // namespace

LineupTab::Names LineupTab::firstTeamNames()
{
    return {QStringLiteral("Label6(0)"), QStringLiteral("Combo1(1)"), QStringLiteral("List4(0)"),
            QStringLiteral("List3"),     QStringLiteral("List2"),     QStringLiteral("Command7"),
            QStringLiteral("Command8"),  QStringLiteral("Command5"),  QStringLiteral("Command6")};
}

LineupTab::Names LineupTab::secondTeamNames()
{
    return {QStringLiteral("Label6(1)"), QStringLiteral("Combo1(2)"), QStringLiteral("List4(1)"),
            QStringLiteral("List6"),     QStringLiteral("List5"),     QStringLiteral("Command12"),
            QStringLiteral("Command11"), QStringLiteral("Command10"), QStringLiteral("Command9")};
}

LineupTab::LineupTab(const Names& names, app::OperatorDialogs& dialogs, QWidget* parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
{
    m_label = new QLabel(this);
    m_label->setObjectName(names.label);
    QFont big = m_label->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    m_label->setFont(big);
    m_pitcher = new QComboBox(this);
    m_pitcher->setObjectName(names.pitcher);
    m_pitcher->setMinimumWidth(180);
    m_roster = new QListWidget(this);
    m_roster->setObjectName(names.roster);
    m_roster->viewport()->installEventFilter(this);
    m_order = slotList(names.order, this);
    m_positions = slotList(names.positions, this);
    m_positions->setFixedWidth(70);
    setPositions({});

    auto* add = button(names.add, QStringLiteral("<="), this);
    auto* remove = button(names.remove, QStringLiteral("=>"), this);
    auto* up = button(names.up, QStringLiteral("↑"), this);
    auto* down = button(names.down, QStringLiteral("↓"), this);

    auto* grid = new QGridLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(m_label);
    top->addStretch(1);
    top->addWidget(new QLabel(QStringLiteral("投手"), this));
    top->addWidget(m_pitcher);
    grid->addLayout(top, 0, 0, 1, 6);

    auto* slotLabels = new QVBoxLayout;
    slotLabels->setSpacing(0);
    slotLabels->setContentsMargins(0, m_order->frameWidth() + 1, 0, 0);
    const QStringList slotNames{
        QStringLiteral("第一棒"), QStringLiteral("第二棒"), QStringLiteral("第三棒"),
        QStringLiteral("第四棒"), QStringLiteral("第五棒"), QStringLiteral("第六棒"),
        QStringLiteral("第七棒"), QStringLiteral("第八棒"), QStringLiteral("第九棒")};
    for (const QString& s : slotNames) {
        auto* l = new QLabel(s, this);
        l->setFixedHeight(kRowHeight);
        slotLabels->addWidget(l);
    }
    slotLabels->addStretch(1);
    grid->addWidget(new QLabel(QStringLiteral("姓名"), this), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("守位"), this), 1, 2);
    grid->addLayout(slotLabels, 2, 0);
    grid->addWidget(m_order, 2, 1, Qt::AlignTop);
    grid->addWidget(m_positions, 2, 2, Qt::AlignTop);
    auto* moves = new QVBoxLayout;
    moves->addWidget(up);
    moves->addWidget(down);
    moves->addStretch(1);
    grid->addLayout(moves, 2, 3);
    auto* transfer = new QVBoxLayout;
    transfer->addStretch(1);
    transfer->addWidget(add);
    transfer->addWidget(remove);
    transfer->addStretch(1);
    grid->addLayout(transfer, 2, 4);
    grid->addWidget(new QLabel(QStringLiteral("球員名單"), this), 1, 5);
    grid->addWidget(m_roster, 2, 5);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(5, 3);

    connect(add, &QPushButton::clicked, this, [this] { addToOrder(true); });
    connect(m_roster, &QListWidget::itemDoubleClicked, this, [this] { addToOrder(false); });
    connect(remove, &QPushButton::clicked, this, &LineupTab::returnToRoster);
    connect(up, &QPushButton::clicked, this, [this] { movePosition(-1); });
    connect(down, &QPushButton::clicked, this, [this] { movePosition(+1); });
}

void LineupTab::setTeamName(const QString& team)
{
    m_label->setText(team);
}

void LineupTab::setPitchers(const QStringList& entries)
{
    m_pitcher->clear();
    m_pitcher->addItems(entries);
    if (!entries.isEmpty())
        m_pitcher->setCurrentIndex(0);
}

void LineupTab::setRoster(const QStringList& entries)
{
    m_roster->clear();
    m_roster->addItems(entries);
    clearSelection(m_roster);
}

void LineupTab::clearOrder()
{
    m_order->clear();
}

void LineupTab::setPositions(const QStringList& positions)
{
    m_positions->clear();
    m_positions->addItems(positions);
    clearSelection(m_positions);
}

void LineupTab::restore(const TeamSelection& team)
{
    // Each batter moves from the roster into his slot; an entry the roster no
    // longer holds as it stands (edited, or gone) keeps its slot all the same.
    m_order->clear();
    for (const QString& entry : team.order) {
        const QList<QListWidgetItem*> inRoster = m_roster->findItems(entry, Qt::MatchExactly);
        if (!inRoster.isEmpty())
            delete m_roster->takeItem(m_roster->row(inRoster.first()));
        m_order->addItem(entry);
    }
    setPositions(team.positions);
    int pitcher = m_pitcher->findText(team.pitcher);
    if (pitcher < 0) {
        m_pitcher->addItem(team.pitcher);
        pitcher = m_pitcher->count() - 1;
    }
    m_pitcher->setCurrentIndex(pitcher);
}

QStringList LineupTab::order() const
{
    return texts(m_order);
}

QStringList LineupTab::positions() const
{
    return texts(m_positions);
}

QString LineupTab::pitcher() const
{
    return m_pitcher->currentText();
}

void LineupTab::addToOrder(bool announceFull)
{
    if (!hasSelection(m_roster))
        return;
    if (m_order->count() >= kSlots) {
        if (announceFull)
            m_dialogs.message(QStringLiteral("打者已有9人"), QStringLiteral("請注意"));
        return;
    }
    QListWidgetItem* item = m_roster->takeItem(m_roster->currentRow());
    m_order->addItem(item);
    clearSelection(m_roster);
    clearSelection(m_order);
}

void LineupTab::returnToRoster()
{
    if (!hasSelection(m_order))
        return;
    QListWidgetItem* item = m_order->takeItem(m_order->currentRow());
    m_roster->addItem(item);
    clearSelection(m_order);
    clearSelection(m_roster);
}

void LineupTab::movePosition(int step)
{
    if (!hasSelection(m_positions))
        return;
    const int row = m_positions->currentRow();
    const int target = row + step;
    if (target < 0 || target >= m_positions->count())
        return;
    QListWidgetItem* a = m_positions->item(row);
    QListWidgetItem* b = m_positions->item(target);
    const QString text = a->text();
    a->setText(b->text());
    b->setText(text);
    m_positions->setCurrentRow(target);
}

void LineupTab::editRosterEntry()
{
    QListWidgetItem* item = m_roster->currentItem();
    if (!item || !item->isSelected())
        return;
    // A cancelled dialog keeps the entry: only an answer replaces it.
    const auto answer = m_dialogs.input(QStringLiteral("輸入修改文字"),
                                        QStringLiteral("裕修改之內容"), item->text());
    if (answer)
        item->setText(*answer);
}

bool LineupTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_roster->viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        editRosterEntry();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace hp::setup
