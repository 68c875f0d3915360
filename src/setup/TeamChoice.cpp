#include "TeamChoice.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace hp::setup {

namespace {
QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}
} // namespace

TeamChoice::TeamChoice(QWidget* parent)
    : QGroupBox(QStringLiteral("比賽設定"), parent)
{
    setObjectName(QStringLiteral("Frame1"));
    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_emptyHint = new QLabel(
        QStringLiteral("資料庫裡沒有球隊(打擊整隊表年度沒有資料)。\n"
                       "請先匯入球員名單,例如:\n"
                       "homeplate --import-roster 連接字串 打擊整隊表年度.csv 投手整隊表年度.csv "
                       "打者基本資料.csv 投手基本資料.csv\n"
                       "範例聯盟:安裝後在 share/homeplate/league,原始碼在 "
                       "data/league。匯入後重新開啟本視窗。"),
        this);
    m_emptyHint->setObjectName(QStringLiteral("TeamHint"));
    m_emptyHint->setWordWrap(true);
    m_emptyHint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_emptyHint->hide();
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setReadOnly(true);
    m_text2 = new QLineEdit(this);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setReadOnly(true);
    m_command1 = button(QStringLiteral("Command1"), QStringLiteral("＜＝"), this);
    m_command2 = button(QStringLiteral("Command2"), QStringLiteral("＝＞"), this);
    m_command3 = button(QStringLiteral("Command3"), QStringLiteral("＝＞"), this);
    m_command4 = button(QStringLiteral("Command4"), QStringLiteral("＜＝"), this);
    m_startCmd = button(QStringLiteral("StartCmd"), QStringLiteral("確定"), this);
    m_command2->setEnabled(false);
    m_command4->setEnabled(false);

    auto* grid = new QGridLayout(this);
    auto* firstLabel = new QLabel(QStringLiteral("先攻隊"), this);
    auto* secondLabel = new QLabel(QStringLiteral("後攻隊"), this);
    grid->addWidget(firstLabel, 0, 0);
    grid->addWidget(m_text1, 1, 0);
    auto* leftButtons = new QVBoxLayout;
    leftButtons->addWidget(m_command1);
    leftButtons->addWidget(m_command2);
    grid->addLayout(leftButtons, 1, 1);
    grid->addWidget(m_list1, 0, 2, 3, 1);
    auto* rightButtons = new QVBoxLayout;
    rightButtons->addWidget(m_command3);
    rightButtons->addWidget(m_command4);
    grid->addLayout(rightButtons, 1, 3);
    grid->addWidget(secondLabel, 0, 4);
    grid->addWidget(m_text2, 1, 4);
    grid->addWidget(m_emptyHint, 0, 2, 3, 1);
    grid->addWidget(m_startCmd, 3, 2);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(2, 3);
    grid->setColumnStretch(4, 2);
    m_list1->setMinimumHeight(110);

    connect(m_command1, &QPushButton::clicked, this,
            [this] { take(m_text1, m_command1, m_command2); });
    connect(m_command2, &QPushButton::clicked, this,
            [this] { giveBack(m_text1, m_command1, m_command2); });
    connect(m_command3, &QPushButton::clicked, this,
            [this] { take(m_text2, m_command3, m_command4); });
    connect(m_command4, &QPushButton::clicked, this,
            [this] { giveBack(m_text2, m_command3, m_command4); });
    connect(m_startCmd, &QPushButton::clicked, this, &TeamChoice::confirmRequested);
}

void TeamChoice::setTeams(const QStringList& teams)
{
    for (QLineEdit* box : {m_text1, m_text2})
        box->clear();
    for (QPushButton* take : {m_command1, m_command3})
        take->setEnabled(true);
    for (QPushButton* giveBack : {m_command2, m_command4})
        giveBack->setEnabled(false);
    m_list1->clear();
    m_list1->addItems(teams);
    m_list1->setCurrentRow(-1);
    m_list1->setVisible(!teams.isEmpty());
    m_emptyHint->setVisible(teams.isEmpty());
}

bool TeamChoice::choose(const QString& first, const QString& second)
{
    const auto found = [this](const QString& team) {
        const QList<QListWidgetItem*> items = m_list1->findItems(team, Qt::MatchExactly);
        return items.isEmpty() ? nullptr : items.first();
    };
    QListWidgetItem* firstItem = found(first);
    QListWidgetItem* secondItem = found(second);
    if (!firstItem || !secondItem || firstItem == secondItem)
        return false;
    m_list1->setCurrentItem(firstItem);
    take(m_text1, m_command1, m_command2);
    m_list1->setCurrentItem(secondItem);
    take(m_text2, m_command3, m_command4);
    return true;
}

QString TeamChoice::firstTeam() const
{
    return m_text1->text();
}

QString TeamChoice::secondTeam() const
{
    return m_text2->text();
}

void TeamChoice::take(QLineEdit* box, QPushButton* takeButton, QPushButton* giveBackButton)
{
    QListWidgetItem* item = m_list1->currentItem();
    if (!item || !item->isSelected())
        return;
    box->setText(item->text());
    delete m_list1->takeItem(m_list1->row(item));
    m_list1->setCurrentRow(-1);
    takeButton->setEnabled(false);
    giveBackButton->setEnabled(true);
}

void TeamChoice::giveBack(QLineEdit* box, QPushButton* takeButton, QPushButton* giveBackButton)
{
    m_list1->addItem(box->text());
    box->clear();
    takeButton->setEnabled(true);
    giveBackButton->setEnabled(false);
}

} // namespace hp::setup
