#include "InningIndicator.h"

#include "ConsoleWidgets.h"

#include <QHBoxLayout>
#include <QLabel>

namespace hp::console {

InningMarks inningMarks(int round, bool secondHalf)
{
    return {(secondHalf ? QStringLiteral("▼") : QStringLiteral("▲")) + QString::number(round),
            secondHalf ? QStringLiteral("下") : QStringLiteral("上")};
}

InningIndicator::InningIndicator(QWidget* parent)
    : QWidget(parent)
    , m_arrow(new QLabel(this))
    , m_half(new QLabel(this))
{
    setObjectName(QStringLiteral("InningIndicator"));
    m_arrow->setObjectName(QStringLiteral("Inning_Lab"));
    m_half->setObjectName(QStringLiteral("InningHalf_Lab"));
    const QFont big = boldFont(font(), 14);
    for (QLabel* label : {m_arrow, m_half})
        label->setFont(big);
    setToolTip(QStringLiteral("局數與上下半局:▲上半局(先攻隊打擊),▼下半局(後攻隊打擊)"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    row->addWidget(m_arrow);
    row->addWidget(m_half);
    row->addStretch();
    showInning(1, false);
}

void InningIndicator::showInning(int round, bool secondHalf)
{
    const InningMarks marks = inningMarks(round, secondHalf);
    m_arrow->setText(marks.arrow);
    m_half->setText(marks.half);
}

} // namespace hp::console
