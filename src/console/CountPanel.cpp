#include "CountPanel.h"

#include "ConsoleWidgets.h"
#include "Figures.h"
#include "InningIndicator.h"
#include "PitcherPanel.h"
#include "Statistics.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>

namespace hp::console {

namespace {

void enable(QPushButton* button, bool on)
{
    if (button)
        button->setEnabled(on);
}

} // namespace

CountPanel::CountPanel(PitcherPanel& pitcher, InGameGraphics& graphics, QWidget* parent)
    : QGroupBox(QStringLiteral("SBO"), parent)
    , m_pitcher(pitcher)
    , m_graphics(graphics)
{
    setObjectName(QStringLiteral("Frame2"));
    auto* grid = new QGridLayout(this);
    m_inning = new InningIndicator(this);
    grid->addWidget(m_inning, 0, 0, 1, 3);
    auto* heading = new QLabel(QStringLiteral("S B O"), this);
    heading->setObjectName(QStringLiteral("Label3"));
    heading->setAlignment(Qt::AlignCenter);
    grid->addWidget(heading, 1, 0, 1, 3);
    const QFont big = boldFont(font(), 12);
    const QStringList tips{QStringLiteral("好球"), QStringLiteral("壞球"), QStringLiteral("出局")};
    const QStringList bases{QStringLiteral("一壘"), QStringLiteral("二壘"), QStringLiteral("三壘")};
    for (int i = 1; i <= 3; ++i) {
        auto* label = new ClickLabel(indexed("SBO_Lab", i), QStringLiteral("0"), this);
        label->setFont(big);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(44);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setToolTip(tips[i - 1] + QStringLiteral(":按一下加一,Ctrl+按一下減一"));
        m_labels[i - 1] = label;
        grid->addWidget(label, 2, i - 1);
        connect(label, &ClickLabel::pressed, this,
                [this, i](Qt::MouseButton, Qt::KeyboardModifiers mods) {
                    auto click = [&] { SBO_Lab_MouseDown(Label(i), mods); };
                    if (m_clickUnit)
                        m_clickUnit(click);
                    else
                        click();
                });

        auto* check = new QCheckBox(bases[i - 1], this);
        check->setObjectName(indexed("Base_Check", i));
        m_bases[i - 1] = check;
        grid->addWidget(check, 3, i - 1);
        connect(check, &QCheckBox::stateChanged, this, &CountPanel::changed);
    }
}

int CountPanel::count(Label label) const
{
    return int(game::leadingNumber(m_labels[label - 1]->text()));
}

void CountPanel::setCount(Label label, int value)
{
    const QString text = QString::number(value);
    if (m_labels[label - 1]->text() == text)
        return;
    m_labels[label - 1]->setText(text);
    captionChanged();
}

bool CountPanel::base(int i) const
{
    return m_bases[i - 1]->checkState() == Qt::Checked;
}

void CountPanel::setBase(int i, bool on)
{
    m_bases[i - 1]->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void CountPanel::fill(SboState& state) const
{
    state.strikes = m_labels[0]->text();
    state.balls = m_labels[1]->text();
    state.outs = m_labels[2]->text();
    for (int i = 0; i < 3; ++i)
        state.bases[i] = m_bases[i]->checkState() == Qt::Checked;
}

void CountPanel::thirdOut()
{
    enable(m_buttons.nextHalf, true);
    m_graphics.run(kLineScoreNextThreeGraphic);
}

void CountPanel::SBO_Lab_MouseDown(Label label, Qt::KeyboardModifiers modifiers)
{
    using C = PitcherPanel::Counter;
    const int value = count(label);
    if (modifiers == Qt::NoModifier) {
        switch (label) {
        case Strikes:
            m_pitcher.add(C::Strikes, 1);
            if (value >= 2)
                return; // a foul with two strikes: a pitch, the count stays
            setCount(Strikes, value + 1);
            break;
        case Balls:
            if (value >= 3)
                return; // ball four is recorded with 四壞
            m_pitcher.add(C::Balls, 1);
            setCount(Balls, value + 1);
            break;
        case Outs:
            if (value >= 2) {
                thirdOut();
                return;
            }
            m_pitcher.add(C::Thirds, 1);
            m_pitcher.showInningsTip();
            setCount(Outs, value + 1);
            break;
        }
    } else if (modifiers == Qt::ControlModifier) {
        if (value > 0) {
            switch (label) {
            case Strikes:
                m_pitcher.add(C::Strikes, -1);
                break;
            case Balls:
                m_pitcher.add(C::Balls, -1);
                break;
            case Outs:
                m_pitcher.add(C::Thirds, -1);
                m_pitcher.showInningsTip();
                enable(m_buttons.nextHalf, false);
                break;
            }
            setCount(label, value - 1);
        }
        enable(m_buttons.nextBatter, true);
    } else {
        return;
    }
    applyButtonRules();
}

void CountPanel::applyButtonRules()
{
    enable(m_buttons.walk, count(Balls) == 3);
    enable(m_buttons.strikeout, count(Strikes) == 2);
    const QString outs = m_labels[Outs - 1]->text();
    if (outs == QStringLiteral("2"))
        enable(m_buttons.doublePlay, false);
    else if (outs == QStringLiteral("1"))
        enable(m_buttons.triplePlay, false);
}

void CountPanel::captionChanged()
{
    const QString outs = m_labels[Outs - 1]->text();
    if (outs == QStringLiteral("3")) {
        enable(m_buttons.nextHalf, true);
        enable(m_buttons.nextBatter, false);
        m_graphics.run(kLineScoreNextThreeGraphic);
    }
    const bool twoStrikes = count(Strikes) >= 2;
    enable(m_buttons.strikeout, twoStrikes);
    enable(m_buttons.uncaught, twoStrikes);
    enable(m_buttons.triplePlay, outs != QStringLiteral("1"));
    enable(m_buttons.doublePlay, outs != QStringLiteral("2"));
    emit changed();
}

} // namespace hp::console
