#include "PitcherPanel.h"

#include "Clock.h"
#include "ConsoleWidgets.h"
#include "Figures.h"
#include "ScreenSnapshot.h"
#include "Statistics.h"

#include <QComboBox>
#include <QGridLayout>
#include <QListWidget>

namespace hp::console {

namespace {

struct CounterField {
    const char* name;
    const char* header;
    const char* column; // column of the pitching table; nullptr: not stored
};

// In the order of PitcherPanel::Counter.
const CounterField kCounters[] = {
    {"RoundS_txt", "局數/3", "局數"},  {"BallG_txt", "好球", "好球"},
    {"BallB_txt", "壞球", "壞球"},     {"Ball_txt", "球數", nullptr},
    {"SaveP_txt", "被安打", "被安打"}, {"HomeP_txt", "全壘打", "被全壘打"},
    {"OutP_txt", "奪三振", "奪三振"},  {"FourP_txt", "四死球", "四死球"},
    {"LostP_txt", "失分", "失分"},     {"LostMe_txt", "自責分", "自責分"},
};

double number(const QString& text)
{
    return game::leadingNumber(text);
}

} // namespace

PitcherPanel::PitcherPanel(ConsoleState& state, ConsoleDatabase& db, const app::Clock& clock,
                           QWidget* parent)
    : QGroupBox(QStringLiteral("投手"), parent)
    , m_state(state)
    , m_db(db)
    , m_clock(clock)
{
    setObjectName(QStringLiteral("Frame5"));
    build();
}

void PitcherPanel::build()
{
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(3);
    grid->setHorizontalSpacing(6);
    const QFont big = boldFont(font(), 5);

    m_number = new QLabel(this);
    m_number->setObjectName(QStringLiteral("NoP_Lab"));
    m_number->setFont(big);
    m_name = new ClickLabel(QStringLiteral("NameP_Lab"), QString(), this);
    m_name->setFont(big);
    m_name->setToolTip(QStringLiteral("按兩下換投"));
    m_team = new QLabel(this);
    m_team->setObjectName(QStringLiteral("Pitcher_Lab"));
    auto* fielding = new QLabel(this);
    fielding->setObjectName(QStringLiteral("CaptureP_Lab"));
    grid->addWidget(m_number, 0, 0);
    grid->addWidget(m_name, 0, 1, 1, 2);
    grid->addWidget(m_team, 0, 3, 1, 2);
    grid->addWidget(fielding, 0, 5);

    for (int i = 0; i < int(std::size(kCounters)); ++i) {
        auto* header = new QLabel(QString::fromUtf8(kCounters[i].header), this);
        header->setAlignment(Qt::AlignCenter);
        auto* box = new ConsoleBox(QString::fromLatin1(kCounters[i].name), this);
        box->setAlignment(Qt::AlignCenter);
        m_counters << box;
        const int row = 1 + (i / 5) * 2;
        grid->addWidget(header, row, i % 5);
        grid->addWidget(box, row + 1, i % 5);
    }
    box(Counter::Pitches)->setToolTip(QStringLiteral("按一下加一,Ctrl+按一下減一"));
    box(Counter::EarnedRuns)->setToolTip(QStringLiteral("按一下加一,Ctrl+按一下減一"));

    m_era = new QLabel(this);
    m_era->setObjectName(QStringLiteral("Era_Lab"));
    m_era->setFont(big);
    m_era->setToolTip(QStringLiteral("今日防禦率"));
    m_cumulativeEra = new ClickLabel(QStringLiteral("EraP"), QString(), this);
    m_cumulativeEra->setFont(big);
    m_cumulativeEra->setToolTip(QStringLiteral("累計防禦率,按兩下修改"));
    m_season = new QLabel(this);
    // A long season line takes a second row, not more of the window's width.
    m_season->setWordWrap(true);
    m_season->setObjectName(QStringLiteral("Label5"));
    grid->addWidget(new QLabel(QStringLiteral("今日防禦率"), this), 5, 0);
    grid->addWidget(m_era, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("累計防禦率"), this), 5, 2);
    grid->addWidget(m_cumulativeEra, 5, 3);
    grid->addWidget(m_season, 6, 0, 1, 5);

    auto* special = new QLabel(QStringLiteral("特殊紀錄"), this);
    auto* specialCombo = new QComboBox(this);
    specialCombo->setObjectName(QStringLiteral("SpecP_Combo"));
    specialCombo->setEditable(true);
    m_relievers = new ChooserCombo(QStringLiteral("BackupP_Combo"), this);
    keepPlaceWhenHidden(m_relievers);
    m_relievers->hide();
    grid->addWidget(special, 7, 0);
    grid->addWidget(specialCombo, 7, 1, 1, 2);
    grid->addWidget(m_relievers, 7, 3, 1, 2);

    m_seasonList = new QListWidget(this);
    m_seasonList->setObjectName(QStringLiteral("List1"));
    m_seasonList->setFixedWidth(120);
    grid->addWidget(m_seasonList, 0, 6, 9, 1);
    grid->setRowStretch(8, 1);

    m_editor = new ConsoleBox(QStringLiteral("Text1"), this);
    m_editor->hide();

    for (Counter c : {Counter::Thirds, Counter::EarnedRuns})
        connect(box(c), &QLineEdit::textChanged, this, &PitcherPanel::recomputeAverages);
    for (Counter c : {Counter::Strikes, Counter::Balls})
        connect(box(c), &QLineEdit::textChanged, this, &PitcherPanel::recomputePitchCount);
    for (Counter c : {Counter::Pitches, Counter::EarnedRuns}) {
        ConsoleBox* b = box(c);
        connect(b, &ConsoleBox::pressed, this,
                [this, b](Qt::MouseButton button, Qt::KeyboardModifiers mods) {
                    step(b, button, mods);
                });
    }
    connect(m_name, &ClickLabel::doubleClicked, this, &PitcherPanel::NameP_Lab_DblClick);
    connect(m_relievers, &ChooserCombo::focusGained, this, &PitcherPanel::BackupP_Combo_GotFocus);
    connect(m_relievers, &ChooserCombo::keyPressed, this, &PitcherPanel::BackupP_Combo_KeyPress);
    connect(m_relievers, &ChooserCombo::chosen, this, [this] { BackupP_Combo_Choose(true); });
    connect(m_relievers, &ChooserCombo::focusLost, m_relievers, &QWidget::hide);
    connect(m_cumulativeEra, &ClickLabel::doubleClicked, this, &PitcherPanel::EraP_DblClick);
    connect(m_editor, &ConsoleBox::enterPressed, this, &PitcherPanel::Text1_Enter);
    connect(m_editor, &ConsoleBox::focusLost, m_editor, &QWidget::hide);
}

ConsoleBox* PitcherPanel::box(Counter counter) const
{
    return m_counters[int(counter)];
}

double PitcherPanel::value(Counter counter) const
{
    return number(box(counter)->text());
}

void PitcherPanel::set(Counter counter, double value)
{
    box(counter)->setText(game::numberText(value));
}

QString PitcherPanel::pitcherName() const
{
    return m_name->text();
}

void PitcherPanel::add(Counter counter, int delta)
{
    ConsoleBox* b = box(counter);
    b->setText(game::numberText(qMax(0.0, number(b->text()) + delta)));
}

void PitcherPanel::step(ConsoleBox* b, Qt::MouseButton, Qt::KeyboardModifiers modifiers)
{
    if (modifiers != Qt::NoModifier && modifiers != Qt::ControlModifier)
        return;
    if (const auto stepped = game::steppedFigure(b->text(), modifiers == Qt::ControlModifier)) {
        b->setText(*stepped);
        emit this->stepped();
    }
}

void PitcherPanel::showInningsTip()
{
    box(Counter::Thirds)->setToolTip(game::inningsToolTipText(value(Counter::Thirds)));
}

void PitcherPanel::keepIn(ScreenSnapshot& snapshot)
{
    snapshot.keep(m_seasonThirds);
    snapshot.keep(m_seasonEarnedRuns);
}

void PitcherPanel::recomputePitchCount()
{
    box(Counter::Pitches)
        ->setText(game::numberText(value(Counter::Balls) + value(Counter::Strikes)));
}

void PitcherPanel::recomputeAverages()
{
    const double thirds = value(Counter::Thirds);
    const double earned = value(Counter::EarnedRuns);
    m_era->setText(game::eraText(thirds, earned));
    m_cumulativeEra->setText(game::eraText(thirds + m_seasonThirds, earned + m_seasonEarnedRuns));
}

void PitcherPanel::LoadPitcherPanel()
{
    const ConsoleDatabase::Action action(m_db);
    const QString table = halfTables(m_state.half).pitching;
    const auto row = fieldingPitcher(m_db, m_state.half);
    // A refused read leaves the panel as it is: what it shows is what the
    // operator counted.
    if (m_db.actionFailed())
        return;
    for (int i = 0; i < int(std::size(kCounters)); ++i)
        if (kCounters[i].column)
            m_counters[i]->setText(row ? row->value(QString::fromUtf8(kCounters[i].column))
                                       : QStringLiteral("0"));
    m_number->setText(row ? row->value(QStringLiteral("背號")) : QString());
    m_name->setText(row ? row->value(QStringLiteral("姓名")) : QString());
    m_team->setText(row ? row->value(QStringLiteral("隊名")) : QString());
    if (!row)
        emit notice(QStringLiteral("%1沒有投手資料").arg(table));

    const auto season =
        row ? seasonPitcher(m_db, m_number->text(), m_team->text()) : std::optional<db::Row>();
    m_seasonList->clear();
    if (season) {
        m_seasonThirds = game::seasonThirds(season->value(QStringLiteral("局數")));
        m_seasonEarnedRuns = qint16(number(season->value(QStringLiteral("自責分"))));
        m_seasonHitsAllowed = number(season->value(QStringLiteral("被安打")));
        m_seasonStrikeouts = number(season->value(QStringLiteral("奪三振")));
        m_seasonWalks = number(season->value(QStringLiteral("四死球")));
        const QList<std::pair<QString, QString>> lines{
            {QStringLiteral("隊名="), QStringLiteral("隊名")},
            {QStringLiteral("姓名="), QStringLiteral("姓名")},
            {QStringLiteral("背號="), QStringLiteral("背號")},
            {QStringLiteral("局數="), QStringLiteral("局數")},
            {QStringLiteral("好球="), QStringLiteral("好球")},
            {QStringLiteral("壞球="), QStringLiteral("壞球")},
            {QStringLiteral("安打="), QStringLiteral("被安打")},
            {QStringLiteral("全壘="), QStringLiteral("被全壘打")},
            {QStringLiteral("三振="), QStringLiteral("奪三振")},
            {QStringLiteral("四死="), QStringLiteral("四死球")},
            {QStringLiteral("失分="), QStringLiteral("失分")},
            {QStringLiteral("自責="), QStringLiteral("自責分")}};
        for (const auto& [prefix, column] : lines)
            m_seasonList->addItem(prefix + season->value(column));
    } else {
        m_seasonThirds = 0;
        m_seasonEarnedRuns = 0;
        m_seasonHitsAllowed = m_seasonStrikeouts = m_seasonWalks = 0;
        if (row)
            emit notice(QStringLiteral("投手%1(%2)不在%3的年度投手名單中")
                            .arg(m_name->text(), m_number->text(), m_team->text()));
    }
    m_season->setText(QStringLiteral("累計:") + game::numberText(m_seasonThirds) +
                      QStringLiteral("/ 自責分:") + QString::number(m_seasonEarnedRuns));
    recomputeAverages();
}

PitcherLine PitcherPanel::line() const
{
    auto t = [this](Counter c) { return box(c)->text(); };
    return {m_number->text(),
            m_name->text(),
            t(Counter::Thirds),
            t(Counter::Strikes),
            t(Counter::Balls),
            t(Counter::HitsAllowed),
            t(Counter::HomeRunsAllowed),
            t(Counter::Strikeouts),
            t(Counter::Walks),
            t(Counter::Runs),
            t(Counter::EarnedRuns)};
}

void PitcherPanel::SavePitcherStats()
{
    m_db.store(savePitcherStats(m_state.half, line()));
}

void PitcherPanel::NameP_Lab_DblClick()
{
    m_relievers->show();
    m_relievers->setFocus();
    // Offscreen or without a window manager the focus may not move at once.
    if (!m_relievers->hasFocus())
        BackupP_Combo_GotFocus();
}

void PitcherPanel::BackupP_Combo_GotFocus()
{
    m_relievers->clear();
    m_relievers->addItems(relievers(m_db, m_state.half, m_team->text(), m_name->text()));
    if (m_relievers->count() > 0)
        m_relievers->setCurrentIndex(0);
}

void PitcherPanel::BackupP_Combo_KeyPress(int key)
{
    BackupP_Combo_Choose(key == Qt::Key_Return || key == Qt::Key_Enter);
}

void PitcherPanel::BackupP_Combo_Choose(bool choose)
{
    const ConsoleDatabase::Action action(m_db);
    // The pitches counted since the last outcome are stored before the panel
    // is loaded again, whatever the key; if they cannot be, the panel stays.
    SavePitcherStats();
    if (m_db.actionFailed())
        return;
    if (choose) {
        const QString text = m_relievers->currentText().trimmed();
        const RosterPlayer chosen = chosenPlayer(text);
        if (!chosen.name.isEmpty()) {
            const auto player = pitcherOfTeam(m_db, m_team->text(), chosen.number, chosen.name);
            if (player) {
                m_db.store(changePitcher(m_state.half, *player, m_clock.now()));
                m_relievers->hide();
            } else {
                emit message(
                    QStringLiteral("「%1」不在%2的投手名單中,無法換投").arg(text, m_team->text()),
                    QStringLiteral("錯誤提示"));
            }
        }
    }
    LoadPitcherPanel();
}

void PitcherPanel::EraP_DblClick()
{
    m_editor->setText(m_cumulativeEra->text());
    m_editor->setGeometry(m_cumulativeEra->geometry().adjusted(0, 0, 20, 4));
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus();
    m_editor->selectAll();
}

void PitcherPanel::Text1_Enter()
{
    m_cumulativeEra->setText(game::formatTyped(m_editor->text(), u"#0.00"));
    m_editor->hide();
}

} // namespace hp::console
