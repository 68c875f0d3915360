#include "BatterPanel.h"

#include "Clock.h"
#include "ConsoleWidgets.h"
#include "Figures.h"
#include "ScreenSnapshot.h"
#include "Statistics.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>

namespace hp::console {

namespace {

const QString kNoAverage = QStringLiteral("0.000");

double number(const QString& text)
{
    return game::leadingNumber(text);
}

QLabel* caption(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

} // namespace

BatterPanel::BatterPanel(ConsoleState& state, ConsoleDatabase& db, const app::Clock& clock,
                         QWidget* parent)
    : QGroupBox(QStringLiteral("打者"), parent)
    , m_state(state)
    , m_db(db)
    , m_clock(clock)
{
    setObjectName(QStringLiteral("Frame6"));
    build();
}

void BatterPanel::build()
{
    // The rows on the left, each as wide as it needs; the information list
    // on the right, full height.
    auto* outer = new QHBoxLayout(this);
    auto* rows = new QVBoxLayout;
    outer->addLayout(rows, 1);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);

    m_number = caption(QStringLiteral("NoS_Lab"), QStringLiteral("NO"), this);
    m_name = new ClickLabel(QStringLiteral("NameS_Lab"), QStringLiteral("Name"), this);
    m_name->setAlignment(Qt::AlignCenter);
    m_name->setToolTip(QStringLiteral("按一下換代打"));
    const QFont big = boldFont(m_name->font(), 5);
    m_name->setFont(big);
    m_number->setFont(big);
    m_slot = caption(QStringLiteral("SS_Lab"), QString(), this);
    m_slot->setFont(big);
    m_team = caption(QStringLiteral("ATTACK_Lab"), QStringLiteral("攻擊隊名"), this);
    m_position = new ConsoleBox(QStringLiteral("CaptureS_txt"), this);
    m_position->setMaximumWidth(60);

    auto* who = new QHBoxLayout;
    who->addWidget(new QLabel(QStringLiteral("棒次"), this));
    who->addWidget(m_slot);
    who->addSpacing(12);
    who->addWidget(new QLabel(QStringLiteral("背號"), this));
    who->addWidget(m_number);
    who->addWidget(m_name, 1);
    who->addWidget(new QLabel(QStringLiteral("守位"), this));
    who->addWidget(m_position);
    who->addWidget(m_team);
    rows->addLayout(who);
    rows->addLayout(grid);

    const QStringList headers{QStringLiteral("打數"), QStringLiteral("安打"),
                              QStringLiteral("全壘打"), QStringLiteral("打點"),
                              QStringLiteral("打擊率")};
    for (int i = 0; i < headers.size(); ++i)
        grid->addWidget(caption(indexed("Label24", i), headers[i], this), 0, i);
    m_atBats = new ConsoleBox(QStringLiteral("StrikeS_txt"), this);
    m_hits = new ConsoleBox(QStringLiteral("SaveS_txt"), this);
    m_homeRuns = new ConsoleBox(QStringLiteral("HomeS_txt"), this);
    m_rbis = new ConsoleBox(QStringLiteral("PointS_txt"), this);
    m_average = new ConsoleBox(QStringLiteral("AvgS_txt"), this);
    m_average->setText(QStringLiteral(".000"));
    const QList<ConsoleBox*> counters{m_atBats, m_hits, m_homeRuns, m_rbis, m_average};
    for (int i = 0; i < counters.size(); ++i) {
        counters[i]->setAlignment(Qt::AlignCenter);
        grid->addWidget(counters[i], 1, i);
    }

    m_cumulative = new ClickLabel(QStringLiteral("AvgS_Lab"), QStringLiteral(".000"), this);
    m_cumulative->setToolTip(QStringLiteral("累計打擊率,按兩下修改"));
    m_cumulative->setFont(big);
    m_seasonLine = caption(QStringLiteral("Label6"), QStringLiteral("123/123"), this);
    // A long season line takes a second row, not more of the window's width.
    m_seasonLine->setWordWrap(true);
    grid->addWidget(m_cumulative, 0, 5);
    grid->addWidget(m_seasonLine, 1, 5);

    auto* results = new QHBoxLayout;
    results->addWidget(new QLabel(QStringLiteral("打席"), this));
    for (int i = 1; i <= 8; ++i) {
        auto* box = new ConsoleBox(indexed("TimesS_txt", i), this);
        box->setAlignment(Qt::AlignCenter);
        box->setMinimumWidth(32);
        m_results[i - 1] = box;
        results->addWidget(box);
    }
    rows->addLayout(results);

    auto* special = caption(indexed("Label4", 1), QStringLiteral("特殊紀錄"), this);
    auto* specialCombo = new QComboBox(this);
    specialCombo->setObjectName(QStringLiteral("SpecS_Combo"));
    specialCombo->setEditable(true);
    m_substitutes = new ChooserCombo(QStringLiteral("BackupS_Combo"), this);
    m_substitutes->setMinimumWidth(120);
    keepPlaceWhenHidden(m_substitutes);
    m_substitutes->hide();
    m_next = new QPushButton(QStringLiteral("下一棒"), this);
    m_next->setObjectName(QStringLiteral("Command4"));
    m_next->setMinimumHeight(34);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(special);
    bottom->addWidget(specialCombo, 1);
    bottom->addWidget(m_substitutes, 1);
    bottom->addStretch();
    bottom->addWidget(m_next);
    rows->addLayout(bottom);

    m_information = new QListWidget(this);
    m_information->setObjectName(QStringLiteral("List2"));
    m_information->setFixedWidth(125);
    outer->addWidget(m_information);
    // Extra height goes below the controls, not between them.
    rows->addStretch(1);

    m_editor = new ConsoleBox(QStringLiteral("Text2"), this);
    m_editor->hide();

    connect(m_atBats, &QLineEdit::textChanged, this, &BatterPanel::countsChanged);
    connect(m_hits, &QLineEdit::textChanged, this, &BatterPanel::countsChanged);
    connect(m_name, &ClickLabel::pressed, this, [this] { NameS_Lab_Click(); });
    connect(m_substitutes, &ChooserCombo::keyPressed, this, [this](int key) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            BackupS_Combo_Enter();
    });
    connect(m_substitutes, &ChooserCombo::chosen, this, &BatterPanel::BackupS_Combo_Enter);
    connect(m_cumulative, &ClickLabel::doubleClicked, this, &BatterPanel::AvgS_Lab_DblClick);
    connect(m_editor, &ConsoleBox::enterPressed, this, &BatterPanel::Text2_Enter);
    connect(m_editor, &ConsoleBox::focusLost, m_editor, &QWidget::hide);
}

double BatterPanel::value(Counter counter) const
{
    const ConsoleBox* boxes[] = {m_atBats, m_hits, m_homeRuns, m_rbis};
    return number(boxes[int(counter)]->text());
}

void BatterPanel::set(Counter counter, double value)
{
    ConsoleBox* boxes[] = {m_atBats, m_hits, m_homeRuns, m_rbis};
    boxes[int(counter)]->setText(game::numberText(value));
}

QStringList BatterPanel::results() const
{
    QStringList out;
    for (const ConsoleBox* box : m_results)
        out << box->text();
    return out;
}

void BatterPanel::setResult(int i, const QString& text)
{
    m_results[i - 1]->setText(text);
}

void BatterPanel::openResultBoxesUpTo(int target)
{
    for (int i = 1; i <= 8; ++i)
        m_results[i - 1]->setEnabled(i <= target);
}

QString BatterPanel::batterName() const
{
    return m_name->text();
}

QString BatterPanel::batterNumber() const
{
    return m_number->text();
}

QString BatterPanel::teamName() const
{
    return m_team->text();
}

BatterPanel::Rows BatterPanel::fetch(int slot)
{
    Rows rows;
    rows.today = batterOfSlot(m_db, m_state.half, slot);
    if (rows.today)
        rows.season = seasonBatter(m_db, rows.today->value(QStringLiteral("背號")),
                                   rows.today->value(QStringLiteral("隊名")));
    return rows;
}

void BatterPanel::show(const Rows& rows)
{
    const db::Row& row = *rows.today;
    auto put = [&](auto* control, const char* column) {
        control->setText(row.value(QString::fromUtf8(column)));
    };
    put(m_number, "背號");
    put(m_name, "姓名");
    put(m_slot, "棒次");
    put(m_position, "守位");
    put(m_team, "隊名");
    put(m_atBats, "打數");
    put(m_hits, "安打");
    put(m_homeRuns, "全壘打");
    put(m_rbis, "打點");
    for (int i = 1; i <= 8; ++i)
        m_results[i - 1]->setText(row.value(QString::number(i)));
    m_hasBatter = true;
    setEditorsEnabled(true);
    setSeasonTotals(rows.season);
    fillInformation(rows.season);
    enableResultBoxes();
    setSeasonLine();
}

void BatterPanel::clear()
{
    m_hasBatter = false;
    m_state.seasonAtBats.clear();
    m_state.seasonHits.clear();
    m_state.seasonRbis.clear();
    m_state.seasonHomeRuns = 0;
    // The boxes first: their change recomputes the averages, emptied after.
    for (ConsoleBox* b : {m_position, m_atBats, m_hits, m_homeRuns, m_rbis})
        b->setText(QString());
    for (ConsoleBox* b : m_results)
        b->setText(QString());
    m_average->setText(QString());
    for (QLabel* l : {static_cast<QLabel*>(m_number), static_cast<QLabel*>(m_name), m_slot, m_team,
                      static_cast<QLabel*>(m_cumulative), m_seasonLine})
        l->setText(QString());
    m_information->clear();
    m_substitutes->hide();
    m_editor->hide();
    setEditorsEnabled(false);
}

void BatterPanel::showEmpty(int slot)
{
    clear();
    emit notice(QStringLiteral("第%1棒在%2沒有資料,打者欄已清空")
                    .arg(QString::number(slot), halfTables(m_state.half).batting));
}

void BatterPanel::setEditorsEnabled(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_position, m_atBats, m_hits, m_homeRuns,
                                                      m_rbis, m_average, m_name, m_cumulative})
        w->setEnabled(on);
    for (ConsoleBox* b : m_results)
        b->setEnabled(on);
}

void BatterPanel::keepIn(ScreenSnapshot& snapshot)
{
    snapshot.keep(m_hasBatter);
}

void BatterPanel::setSeasonTotals(const std::optional<db::Row>& season)
{
    // A batter without a season line starts from nothing, not from the
    // figures of the one before him.
    auto value = [&](const char* column) {
        return season ? season->value(QString::fromUtf8(column)) : QString();
    };
    auto orZero = [](const QString& v) { return v.isEmpty() ? QStringLiteral("0") : v; };
    m_state.seasonAtBats = orZero(value("打數"));
    m_state.seasonHits = orZero(value("安打"));
    m_state.seasonHomeRuns = qint16(number(value("全壘打")));
    m_state.seasonRbis = orZero(value("打點"));
}

void BatterPanel::fillInformation(const std::optional<db::Row>& season)
{
    m_information->clear();
    if (!season)
        return;
    const QList<std::pair<QString, QString>> lines{
        {QStringLiteral("隊名="), QStringLiteral("隊名")},
        {QStringLiteral("姓名="), QStringLiteral("姓名")},
        {QStringLiteral("背號="), QStringLiteral("背號")},
        {QStringLiteral("棒次="), QStringLiteral("棒次")},
        {QStringLiteral("打數="), QStringLiteral("打數")},
        {QStringLiteral("安打="), QStringLiteral("安打")},
        {QStringLiteral("全壘="), QStringLiteral("全壘打")},
        {QStringLiteral("打點="), QStringLiteral("打點")}};
    for (const auto& [prefix, column] : lines)
        if (season->has(column))
            m_information->addItem(prefix + season->value(column));
}

void BatterPanel::enableResultBoxes()
{
    bool open = true;
    for (ConsoleBox* box : m_results) {
        box->setEnabled(open);
        if (open && (box->text().isEmpty() || game::isBlank(box->text())))
            open = false;
    }
}

BatterPanel::Load BatterPanel::loadNextBatter()
{
    const ConsoleDatabase::Action action(m_db);
    const qint16 next = qint16(m_state.battingPosition % 9 + 1);
    // Both rows are read before the panel changes: a refused read leaves the
    // batter on screen, whose line is still the one to store.
    const Rows rows = fetch(next);
    if (m_db.actionFailed())
        return Load::Failed;
    m_state.battingPosition = next;
    if (!rows.today) {
        showEmpty(next);
        return Load::Empty;
    }
    show(rows);
    return Load::Loaded;
}

void BatterPanel::setSeasonLine()
{
    m_seasonLine->setText(QStringLiteral("累計=打數:") + m_state.seasonAtBats +
                          QStringLiteral("/安打:") + m_state.seasonHits);
    // A newly loaded batter: both averages from his season line.
    if (number(m_atBats->text()) == 0 && number(m_state.seasonAtBats) == 0)
        m_average->setText(kNoAverage);
    // A batter with no at-bats at all, season or today, starts at .000; one
    // who batted earlier today shows his figure of today.
    const QString cumulative = cumulativeAverage();
    m_cumulative->setText(cumulative.isEmpty() ? QStringLiteral(".000") : cumulative);
}

QString BatterPanel::cumulativeAverage() const
{
    return game::cumulativeAverageText(number(m_state.seasonAtBats), number(m_state.seasonHits),
                                       number(m_atBats->text()), number(m_hits->text()));
}

void BatterPanel::countsChanged()
{
    const double atBats = number(m_atBats->text());
    m_average->setText(game::dayAverageText(atBats, number(m_hits->text())));
    // With no at-bats at all the shown figure (perhaps corrected by hand) stays.
    if (const QString cumulative = cumulativeAverage(); !cumulative.isEmpty())
        m_cumulative->setText(cumulative);
}

BatterLine BatterPanel::line() const
{
    return {m_atBats->text(), m_hits->text(),    m_homeRuns->text(),
            m_rbis->text(),   m_average->text(), results()};
}

void BatterPanel::saveBatterStats()
{
    if (!m_hasBatter)
        return;
    m_db.store(console::saveBatterStats(m_state.half, m_state.battingPosition, line()));
}

void BatterPanel::NameS_Lab_Click()
{
    m_substitutes->clear();
    m_substitutes->addItems(substitutes(m_db, m_state.half, m_team->text()));
    if (m_substitutes->count() > 0)
        m_substitutes->setCurrentIndex(0);
    m_substitutes->show();
    m_substitutes->setFocus();
}

void BatterPanel::BackupS_Combo_Enter()
{
    const QString text = m_substitutes->currentText().trimmed();
    const RosterPlayer chosen = chosenPlayer(text);
    if (chosen.name.isEmpty())
        return;
    const ConsoleDatabase::Action action(m_db);
    // The outgoing batter's line as the screen holds it (figures typed by
    // hand included) goes to the archive with him.
    if (m_storeLines)
        m_storeLines();
    const auto player = batterOfTeam(m_db, m_team->text(), chosen.number, chosen.name);
    if (m_db.actionFailed())
        return;
    if (!player) {
        emit message(QStringLiteral("「%1」不在%2的打擊名單中,無法換人").arg(text, m_team->text()),
                     QStringLiteral("錯誤提示"));
        return;
    }
    const int slot = m_state.battingPosition;
    // The outgoing row as just stored goes to the archive.
    const auto outgoing = batterOfSlot(m_db, m_state.half, slot);
    if (!outgoing) {
        if (!m_db.actionFailed())
            showEmpty(slot);
        return;
    }
    m_db.store(substitute(m_state.half, *outgoing, *player, m_clock.now()));
    const Rows rows = fetch(slot);
    // Not stored: the outgoing batter stays on the panel.
    if (m_db.actionFailed())
        return;
    if (rows.today)
        show(rows);
    else
        showEmpty(slot);
    m_substitutes->hide();
    emit substituted();
}

void BatterPanel::AvgS_Lab_DblClick()
{
    m_editor->setText(m_cumulative->text());
    const QPoint at = m_cumulative->mapTo(this, QPoint(0, 16));
    m_editor->setGeometry(at.x(), at.y(), qMax(80, m_cumulative->width()),
                          m_editor->sizeHint().height());
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus();
    m_editor->selectAll();
}

void BatterPanel::Text2_Enter()
{
    m_cumulative->setText(game::formatTyped(m_editor->text(), u"#.000"));
    m_editor->hide();
}

} // namespace hp::console
