#include "LineScorePanel.h"

#include "ConsoleWidgets.h"
#include "Figures.h"
#include "Statistics.h"

#include <QGridLayout>
#include <QLabel>

namespace hp::console {

LineScorePanel::LineScorePanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Round"), parent)
{
    setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(3);
    const QStringList headers{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
                              QStringLiteral("四"), QStringLiteral("五"), QStringLiteral("六"),
                              QStringLiteral("七"), QStringLiteral("八"), QStringLiteral("九"),
                              QStringLiteral("十"), QStringLiteral("11"), QStringLiteral("12"),
                              QStringLiteral("R"),  QStringLiteral("H"),  QStringLiteral("E")};
    for (int i = 0; i < headers.size(); ++i) {
        auto* h = new QLabel(headers[i], this);
        h->setObjectName(indexed("Label2", i));
        h->setAlignment(Qt::AlignCenter);
        grid->addWidget(h, 0, i + 1);
    }
    for (int team = 1; team <= 2; ++team) {
        auto* name = new QLabel(this);
        name->setObjectName(indexed("Team_Lab", team));
        name->setMinimumWidth(90);
        m_teams[team - 1] = name;
        grid->addWidget(name, team, 0);
        const char* cellName = team == 1 ? "Score1_txt" : "Score2_txt";
        for (int round = 1; round <= 12; ++round) {
            auto* c = new ConsoleBox(indexed(cellName, round), this);
            c->setAlignment(Qt::AlignCenter);
            c->setMinimumWidth(30);
            c->setSelectAllOnFocus(true);
            setHighlight(c, false);
            m_cells[team - 1][round - 1] = c;
            grid->addWidget(c, team, round);
            connect(
                c, &ConsoleBox::pressed, this,
                [this, c](Qt::MouseButton, Qt::KeyboardModifiers mods) { cellPressed(c, mods); });
            connect(c, &QLineEdit::textChanged, this, [this, c] { cellChanged(c); });
        }
        const char* totalName = team == 1 ? "RHE1_txt" : "RHE2_txt";
        for (int t = 1; t <= 3; ++t) {
            auto* box = new ConsoleBox(indexed(totalName, t), this);
            box->setAlignment(Qt::AlignCenter);
            box->setMinimumWidth(36);
            box->setSelectAllOnFocus(true);
            QFont bold = box->font();
            bold.setBold(true);
            box->setFont(bold);
            m_totals[team - 1][t - 1] = box;
            grid->addWidget(box, team, 12 + t);
            connect(box, &QLineEdit::textChanged, this, &LineScorePanel::changed);
        }
    }
}

void LineScorePanel::load(const db::Rows& rows)
{
    for (int team = 1; team <= 2 && team <= rows.size(); ++team) {
        const db::Row& r = rows[team - 1];
        m_teams[team - 1]->setText(r.value(QStringLiteral("TEAM")));
        // Round1..Round12 stand at positions 3 to 14 of the row.
        for (int j = 1; j <= 12; ++j) {
            const QString v = r.at(j + 2);
            m_cells[team - 1][j - 1]->setText(v.isEmpty() ? game::kBlank.toString() : v);
        }
        const QStringList totals{r.value(QStringLiteral("R")), r.value(QStringLiteral("H")),
                                 r.value(QStringLiteral("E"))};
        for (int t = 0; t < 3; ++t)
            m_totals[team - 1][t]->setText(totals[t].isEmpty() ? QStringLiteral("0") : totals[t]);
    }
}

LineScoreRow LineScorePanel::row(int team) const
{
    LineScoreRow r;
    for (int j = 0; j < 12; ++j)
        r.cells[j] = m_cells[team - 1][j]->text();
    r.runs = m_totals[team - 1][0]->text();
    r.hits = m_totals[team - 1][1]->text();
    r.errors = m_totals[team - 1][2]->text();
    return r;
}

QString LineScorePanel::teamName(int team) const
{
    return m_teams[team - 1]->text();
}

QString LineScorePanel::total(int team, Total which) const
{
    return m_totals[team - 1][which - 1]->text();
}

double LineScorePanel::totalValue(int team, Total which) const
{
    return game::leadingNumber(total(team, which));
}

void LineScorePanel::setTotal(int team, Total which, double value)
{
    m_totals[team - 1][which - 1]->setText(game::numberText(value));
}

double LineScorePanel::cellValue(int team, int round) const
{
    return game::leadingNumber(cell(team, round)->text());
}

void LineScorePanel::setCell(int team, int round, double value)
{
    cell(team, round)->setText(game::numberText(value));
}

void LineScorePanel::showInning(const ConsoleState& state)
{
    setTitle(QString::number(state.round) + (state.half ? u'T' : u'B'));
    emit inningShown(state.round, state.half);
}

void LineScorePanel::markCurrent(const ConsoleState& state)
{
    if (state.round < 1 || state.round > 12)
        return;
    ConsoleBox* c = cell(state.half ? 2 : 1, state.round);
    setHighlight(c, true);
    if (c->text().trimmed().isEmpty() || game::isBlank(c->text()))
        c->setText(QStringLiteral("0"));
}

void LineScorePanel::unmark(int round)
{
    if (round < 1 || round > 12)
        return;
    setHighlight(cell(1, round), false);
    setHighlight(cell(2, round), false);
}

void LineScorePanel::cellPressed(ConsoleBox* c, Qt::KeyboardModifiers modifiers)
{
    if (modifiers != Qt::NoModifier && modifiers != Qt::ControlModifier)
        return;
    if (const auto stepped = game::steppedFigure(c->text(), modifiers == Qt::ControlModifier))
        c->setText(*stepped);
}

void LineScorePanel::cellChanged(ConsoleBox* c)
{
    // Every change of a cell is the line score's, whether or not R moves.
    emit changed();
    if (game::isBlank(c->text()))
        return;
    for (int team = 0; team < 2; ++team) {
        QStringList cells;
        for (const ConsoleBox* cell : m_cells[team])
            cells << cell->text();
        m_totals[team][0]->setText(game::runsTotal(cells));
    }
}

} // namespace hp::console
