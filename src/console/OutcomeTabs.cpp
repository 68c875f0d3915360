#include "OutcomeTabs.h"

#include "ConsoleWidgets.h"

#include <QGridLayout>
#include <QPushButton>

namespace hp::console {

QStringList OutcomeTabs::captions(Group group)
{
    if (group == Group::OnBase)
        return {QStringLiteral("四壞"), QStringLiteral("觸身"), QStringLiteral("一壘"),
                QStringLiteral("二壘"), QStringLiteral("三壘"), QStringLiteral("全壘"),
                QStringLiteral("選擇"), QStringLiteral("不死"), QStringLiteral("失誤"),
                QStringLiteral("犯規"), QStringLiteral("敬遠")};
    return {QStringLiteral("三振"), QStringLiteral("犧牲"), QStringLiteral("刺殺"),
            QStringLiteral("內飛"), QStringLiteral("外飛"), QStringLiteral("雙殺"),
            QStringLiteral("三殺"), QStringLiteral("界飛"), QStringLiteral("妨礙")};
}

OutcomeTabs::OutcomeTabs(QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("SSTab3"));
    for (Group group : {Group::OnBase, Group::Out}) {
        auto* page = new QWidget(this);
        auto* grid = new QGridLayout(page);
        const QStringList names = captions(group);
        const char* base = group == Group::OnBase ? "Command1" : "Command2";
        QList<QPushButton*>& buttons = group == Group::OnBase ? m_onBase : m_out;
        for (int i = 0; i < names.size(); ++i) {
            auto* b = new QPushButton(names[i], page);
            b->setObjectName(indexed(base, i));
            b->setMinimumSize(64, 38);
            b->setFont(boldFont(b->font(), 3));
            buttons << b;
            grid->addWidget(b, i / 4, i % 4);
            connect(b, &QPushButton::clicked, this, [this, group, i] { emit outcome(group, i); });
        }
        addTab(page, group == Group::OnBase ? QStringLiteral("上壘") : QStringLiteral("出局"));
    }
    // 犯規 is not offered to the operator.
    m_onBase[9]->hide();
    // Until the count allows them.
    m_onBase[0]->setEnabled(false);
    m_out[0]->setEnabled(false);
}

QPushButton* OutcomeTabs::button(Group group, int index) const
{
    const QList<QPushButton*>& buttons = group == Group::OnBase ? m_onBase : m_out;
    return buttons.value(index);
}

} // namespace hp::console
