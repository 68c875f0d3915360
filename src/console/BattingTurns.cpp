#include "BattingTurns.h"

#include "ConsoleDatabase.h"
#include "CountPanel.h"
#include "Figures.h"
#include "LineScorePanel.h"
#include "OperatorDialogs.h"
#include "OutcomeTabs.h"
#include "PitcherPanel.h"
#include "ScreenSnapshot.h"
#include "SettingsStore.h"

#include <QPushButton>

namespace hp::console {

namespace {

const QString kStrikeNow = QStringLiteral("StrikeNow");

QString halfInningText(const ConsoleState& s)
{
    return QString::number(s.round) + (s.half ? u'T' : u'B');
}

} // namespace

BattingTurns::BattingTurns(TurnTargets targets, TurnSteps steps, QObject* parent)
    : QObject(parent)
    , m_t(targets)
    , m_steps(std::move(steps))
{
}

qint16 BattingTurns::savedPosition(const app::SettingsStore& settings, const QString& key)
{
    // A batting position outside the order counts as none: the next is the first.
    const double saved = game::leadingNumber(settings.get(key));
    return saved >= 1 && saved <= 9 ? qint16(saved) : qint16(0);
}

BatterPanel::Load BattingTurns::loadBatter()
{
    const BatterPanel::Load load = m_t.panels.batter.loadNextBatter();
    if (load != BatterPanel::Load::Failed)
        m_t.panels.tabs.setEnabled(load == BatterPanel::Load::Loaded);
    return load;
}

void BattingTurns::firstBatter()
{
    const BatterPanel::Load load = loadBatter();
    if (load == BatterPanel::Load::Failed) {
        // The design-time captions are no batter.
        m_t.panels.batter.clear();
        m_t.panels.tabs.setEnabled(false);
        return;
    }
    // The batter in progress, for an opening after a stop in mid half-inning.
    m_t.settings.set(kStrikeNow, QString::number(m_t.state.battingPosition));
    if (load == BatterPanel::Load::Loaded)
        m_t.panels.graphics.run(kBatterTodayGraphic);
}

void BattingTurns::nextBatter()
{
    app::SettingsStore::Batch keys(m_t.settings);
    auto load = BatterPanel::Load::Failed;
    m_steps.unit([&] {
        m_t.db.setCommitStep([&keys] { return keys.commit(); }, [&keys] { keys.undo(); });
        // The outgoing lines as the screen holds them, figures typed by hand
        // included; if they cannot be stored, the batter stays.
        m_steps.storeLines();
        if (m_t.db.actionFailed())
            return;
        load = loadBatter();
        if (load != BatterPanel::Load::Failed)
            keys.set(kStrikeNow, QString::number(m_t.state.battingPosition));
    });
    if (load == BatterPanel::Load::Loaded && !m_t.db.actionFailed())
        m_t.panels.graphics.run(kBatterTodayGraphic);
}

void BattingTurns::changeHalf()
{
    ConsoleState& state = m_t.state;
    // The last half-inning there is: refused before anything changes.
    if (state.round >= 12 && state.half) {
        m_t.dialogs.message(QStringLiteral("比賽已到12局無法輸入,請檢查或是結束比賽"),
                            QStringLiteral("錯誤提示"));
        return;
    }
    ScreenSnapshot screen({&m_t.panels.batter, &m_t.panels.pitcher, &m_t.panels.count,
                           &m_t.panels.lineScore, &m_t.panels.tabs, &m_t.panels.nextHalf});
    screen.keep(state);
    m_t.panels.batter.keepIn(screen);
    m_t.panels.pitcher.keepIn(screen);
    const QString before = halfInningText(state);
    // The keys of the change go to the file with the transaction.
    app::SettingsStore::Batch keys(m_t.settings);
    auto load = BatterPanel::Load::Failed;
    m_steps.unit([&] {
        m_t.db.setCommitStep([&keys] { return keys.commit(); }, [&keys] { keys.undo(); });
        m_t.panels.lineScore.unmark(state.round);
        // While the Half flag still names the team that was at bat.
        m_steps.storeLines();
        if (m_t.db.actionFailed())
            return;
        state.half = !state.half;
        const QString outgoing =
            state.half ? QStringLiteral("StrikeSF") : QStringLiteral("StrikeSL");
        const QString incoming =
            state.half ? QStringLiteral("StrikeSL") : QStringLiteral("StrikeSF");
        if (!state.half && state.round < 12)
            state.round = qint16(state.round + 1);
        const qint16 last = state.battingPosition;
        keys.set(outgoing, QString::number(last));
        m_t.panels.lineScore.markCurrent(state);
        state.battingPosition = savedPosition(m_t.settings, incoming);
        m_steps.rebuildNextThree(last);
        for (int i = 1; i <= 3; ++i)
            m_t.panels.count.setBase(i, false);
        m_t.panels.count.setCount(CountPanel::Strikes, 0);
        m_t.panels.count.setCount(CountPanel::Balls, 0);
        m_t.panels.count.setCount(CountPanel::Outs, 0);
        m_t.panels.lineScore.showInning(state);
        keys.set(QStringLiteral("Round"), QString::number(state.round))
            .set(QStringLiteral("Half"),
                 state.half ? QStringLiteral("True") : QStringLiteral("False"));
        m_t.panels.batter.nextButton()->setEnabled(true);
        load = loadBatter();
        if (load != BatterPanel::Load::Failed)
            keys.set(kStrikeNow, QString::number(state.battingPosition));
        m_t.panels.pitcher.LoadPitcherPanel();
        m_steps.saveLineScore();
        m_t.panels.nextHalf.setEnabled(false);
    });
    if (m_t.db.actionFailed()) {
        screen.restore();
        emit refused(QStringLiteral("換局未完成,仍在%1: %2").arg(before, m_t.db.refusal()));
        return;
    }
    if (load == BatterPanel::Load::Loaded)
        m_t.panels.graphics.run(kBatterTodayGraphic);
}

} // namespace hp::console
