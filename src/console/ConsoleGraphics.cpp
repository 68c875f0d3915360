#include "ConsoleGraphics.h"

#include "ConsoleDatabase.h"
#include "ConsoleWidgets.h"
#include "Figures.h"
#include "GraphicsColumn.h"
#include "PitcherPanel.h"
#include "SettingsStore.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace hp::console {

ConsoleGraphicsSource::ConsoleGraphicsSource(QWidget& window, const ConsoleState& state,
                                             const PitcherPanel& pitcher, ConsoleDatabase& db,
                                             const app::SettingsStore& settings)
    : m_window(window)
    , m_state(state)
    , m_pitcher(pitcher)
    , m_db(db)
    , m_settings(settings)
{
}

QWidget* ConsoleGraphicsSource::control(const QString& name) const
{
    auto found = m_controls.find(name);
    if (found == m_controls.end())
        found = m_controls.insert(name, m_window.findChild<QWidget*>(name));
    return *found;
}

QString ConsoleGraphicsSource::text(const QString& name) const
{
    QWidget* w = control(name);
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (const auto* box = qobject_cast<const QLineEdit*>(w))
        return box->text();
    return {};
}

int ConsoleGraphicsSource::checkValue(const QString& name) const
{
    const auto* check = qobject_cast<const QCheckBox*>(control(name));
    return check ? int(check->checkState()) : 0;
}

graphics::Scoreboard ConsoleGraphicsSource::scoreboard() const
{
    graphics::Scoreboard b;
    b.round = m_state.round;
    b.bottomHalf = m_state.half;
    b.team1 = text(indexed("Team_Lab", 1));
    b.team2 = text(indexed("Team_Lab", 2));
    for (int i = 0; i < 3; ++i) {
        b.rhe1[i] = text(indexed("RHE1_txt", i + 1));
        b.rhe2[i] = text(indexed("RHE2_txt", i + 1));
        b.sbo[i] = text(indexed("SBO_Lab", i + 1));
        b.bases[i] = checkValue(indexed("Base_Check", i + 1));
    }
    for (int i = 0; i < 12; ++i) {
        b.score1[i] = text(indexed("Score1_txt", i + 1));
        b.score2[i] = text(indexed("Score2_txt", i + 1));
    }
    return b;
}

graphics::BatterToday ConsoleGraphicsSource::batterToday() const
{
    graphics::BatterToday b;
    b.number = text(QStringLiteral("NoS_Lab"));
    b.name = text(QStringLiteral("NameS_Lab"));
    b.average = text(QStringLiteral("AvgS_Lab"));
    for (int i = 0; i < 8; ++i)
        b.boxes[i] = text(indexed("TimesS_txt", i + 1));
    return b;
}

graphics::PitcherToday ConsoleGraphicsSource::pitcherToday() const
{
    return {text(QStringLiteral("NoP_Lab")),   text(QStringLiteral("NameP_Lab")),
            text(QStringLiteral("Era_Lab")),   text(QStringLiteral("RoundS_txt")),
            text(QStringLiteral("SaveP_txt")), text(QStringLiteral("OutP_txt")),
            text(QStringLiteral("FourP_txt"))};
}

QString ConsoleGraphicsSource::cumulativeEra() const
{
    return text(QStringLiteral("EraP"));
}

graphics::BatterCumulative ConsoleGraphicsSource::batterCumulative() const
{
    return {text(QStringLiteral("NoS_Lab")),
            text(QStringLiteral("NameS_Lab")),
            text(QStringLiteral("AvgS_Lab")),
            text(QStringLiteral("StrikeS_txt")),
            text(QStringLiteral("PointS_txt")),
            text(QStringLiteral("SaveS_txt")),
            text(QStringLiteral("HomeS_txt")),
            {game::leadingNumber(m_state.seasonAtBats), game::leadingNumber(m_state.seasonHits),
             double(m_state.seasonHomeRuns), game::leadingNumber(m_state.seasonRbis)}};
}

graphics::PitcherSeason ConsoleGraphicsSource::pitcherSeason() const
{
    return {m_pitcher.seasonThirds(), m_pitcher.seasonHitsAllowed(), m_pitcher.seasonStrikeouts(),
            m_pitcher.seasonWalks()};
}

game::InningsNotation ConsoleGraphicsSource::inningsNotation() const
{
    return game::inningsNotation(m_settings.get(QStringLiteral("InningsNotation")));
}

QString ConsoleGraphicsSource::battingTeam() const
{
    return text(QStringLiteral("ATTACK_Lab"));
}

Result<QList<db::Rows>> ConsoleGraphicsSource::read(const db::Statements& queries)
{
    const ConsoleDatabase::Action unit(m_db);
    QList<db::Rows> out;
    for (const db::Statement& q : queries) {
        auto rows = m_db.query(q.sql, q.values);
        if (!rows)
            return Result<QList<db::Rows>>::failure(rows.error());
        out.append(*rows);
    }
    return out;
}

void ColumnGraphics::run(int item)
{
    m_column.runInGame(item);
}

} // namespace hp::console
