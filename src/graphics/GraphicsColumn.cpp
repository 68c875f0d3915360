#include "GraphicsColumn.h"

#include "CgCommands.h"
#include "Clock.h"
#include "Figures.h"
#include "GraphicText.h"
#include "InGameGraphics.h"
#include "ListGraphics.h"
#include "OnAirTally.h"
#include "OperatorDialogs.h"
#include "Playout.h"
#include "PlayoutPanel.h"
#include "PreviewImage.h"
#include "SettingsStore.h"
#include "mDisplay.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace hp::graphics {

namespace {

constexpr int kDefaultPreviewWaitMs = 500;

QListWidget* graphicsList(const char* name, const QStringList& items, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(items);
    // Every item in sight, whole: a list that scrolls hides graphics from the operator.
    const int frame = 2 * list->frameWidth();
    list->setMinimumSize(list->sizeHintForColumn(0) + frame + 4,
                         list->sizeHintForRow(0) * list->count() + frame);
    list->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    return list;
}

} // namespace

GraphicsColumn::GraphicsColumn(GraphicsContext context, QWidget* parent)
    : QWidget(parent)
    , m_context(std::move(context))
    , m_window(new mDisplay)
{
    setObjectName(QStringLiteral("GraphicsColumn"));
    m_tally = new OnAirTally(this);
    build();
}

GraphicsColumn::~GraphicsColumn()
{
    while (!m_busy.isEmpty())
        setBusy(*m_busy.first(), false);
    delete m_window.data();
}

void GraphicsColumn::build()
{
    cglink::CgLink& cg = m_context.services.cg;

    // The on-air image and the quick count sit where the console puts them.
    m_onAirFrame = new QGroupBox(QStringLiteral("播出中"), this);
    m_onAirFrame->setObjectName(QStringLiteral("Frame7"));
    auto* onAirLayout = new QVBoxLayout(m_onAirFrame);
    onAirLayout->setContentsMargins(4, 4, 4, 4);
    m_onAir = new PreviewImage(QStringLiteral("Image3"), QStringLiteral("Picture3"), kOnAirBox,
                               m_onAirFrame);
    m_onAir->setToolTip(QStringLiteral("最後播出且仍在播出的畫面"));
    onAirLayout->addWidget(m_onAir, 0, Qt::AlignCenter);
    m_onAirLines = new QLabel(m_onAirFrame);
    m_onAirLines->setObjectName(QStringLiteral("OnAir_Lab"));
    m_onAirLines->setToolTip(QStringLiteral("各層播出中的畫面與播出時間"));
    // As wide as the image above it, whatever a line says.
    m_onAirLines->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    onAirLayout->addWidget(m_onAirLines);

    m_quickCount = new QPushButton(QStringLiteral("SBO  TAKE"), this);
    m_quickCount->setObjectName(QStringLiteral("SBO_Cmd"));
    m_quickCount->setToolTip(QStringLiteral("直接播出球數"));
    m_quickCount->setMinimumHeight(48);
    QFont big = m_quickCount->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() + 3);
    m_quickCount->setFont(big);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* lists = new QHBoxLayout;
    m_inGame = graphicsList("List3", inGameItems(), this);
    m_features = graphicsList("List4", featureItems(), this);
    lists->addWidget(m_inGame);
    lists->addWidget(m_features);
    column->addLayout(lists, 1);

    m_panelB = new PlayoutPanel(
        {QStringLiteral("Frame4"), QStringLiteral("Command5"), QStringLiteral("FastCheck2"),
         QStringLiteral("Option2"), QStringLiteral("Image2"), QStringLiteral("Picture2"),
         QStringLiteral("Command7"), cglink::kPreviewB, QStringLiteral("比賽畫面")},
        this);
    m_panelA = new PlayoutPanel(
        {QStringLiteral("Frame3"), QStringLiteral("Command6"), QStringLiteral("FastCheck1"),
         QStringLiteral("Option1"), QStringLiteral("Image1"), QStringLiteral("Picture1"),
         QStringLiteral("Command8"), cglink::kPreviewA, QStringLiteral("專題畫面")},
        this);
    column->addWidget(m_panelB);
    column->addWidget(m_panelA);

    connect(m_inGame, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { List3_Click(m_inGame->row(item)); });
    connect(m_features, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { List4_Click(m_features->row(item)); });
    connect(m_quickCount, &QPushButton::clicked, this, &GraphicsColumn::SBO_Cmd_Click);
    connect(m_tally, &OnAirTally::changed, this, &GraphicsColumn::showOnAir);
    // A new connection: the CG may have kept what was on air or lost it.
    connect(&cg, &cglink::CgLink::linkMade, m_tally, &OnAirTally::markUnknown);
    for (PlayoutPanel* panel : {m_panelA, m_panelB}) {
        connect(panel, &PlayoutPanel::played, this,
                [this, panel](qint16 code, const QString& command, const QString& effect) {
                    panelPlayed(*panel, code, command, effect);
                });
        connect(panel, &PlayoutPanel::clearRequested, this, &GraphicsColumn::clearScreen);
        connect(panel, &PlayoutPanel::previewRequested, this, [this](const QString& file) {
            if (m_window)
                m_window->showFile(m_context.project.folder + file);
        });
        connect(panel, &PlayoutPanel::previewShown, this, [this, panel] {
            setBusy(*panel, false);
            emit previewShown();
        });
    }
}

int GraphicsColumn::previewWaitMs() const
{
    const QString stored = m_context.services.settings.get(QStringLiteral("PreviewWait"));
    if (stored.trimmed().isEmpty())
        return kDefaultPreviewWaitMs;
    return int(qBound(0.0, game::leadingNumber(stored), 10000.0));
}

void GraphicsColumn::setBusy(PlayoutPanel& panel, bool busy)
{
    if (busy == m_busy.contains(&panel))
        return;
    if (busy)
        m_busy.append(&panel);
    else
        m_busy.removeOne(&panel);
    m_context.services.dialogs.setBusy(busy);
}

QString GraphicsColumn::itemText(const PlayoutPanel& panel, int index) const
{
    const QListWidget* list = &panel == m_panelB ? m_inGame : m_features;
    return list->item(index) ? list->item(index)->text() : QString();
}

std::optional<Graphic> GraphicsColumn::compose(PlayoutPanel& panel, int index)
{
    if (&panel == m_panelB)
        return inGameGraphic(index, m_context.source, m_context.project.folder);
    return featureGraphic(index, m_context.source, m_context.project.folder,
                          m_context.services.clock.now().date());
}

void GraphicsColumn::cue(PlayoutPanel& panel, int index, Cue kind)
{
    const bool byOperator = kind == Cue::Operator;
    std::optional<Graphic> graphic;
    {
        // The reads of the composition end units of the database's own, which
        // must not bring this panel up to date before it is stored.
        const QScopedValueRollback cueing(m_cueing, true);
        graphic = compose(panel, index);
    }
    if (!graphic)
        return;
    // A refresh sends only what changed; the link is asked all the same, so
    // that a panel that can no longer be brought up to date says so.
    const bool sends =
        !graphic->refused() && (byOperator || graphic->command != panel.storedCommand());
    QList<cglink::CgCommand> commands;
    if (sends) {
        if (graphic->loadsFields)
            commands.append({cglink::kLoadFields, graphic->command});
        commands.append({cglink::kPreview, graphic->preview});
        if (byOperator)
            setBusy(panel, true);
        // Stored at once: a play that follows goes out after these commands.
        panel.beginCue(graphic->command, graphic->playCode, index);
        panel.armPreview(m_context.project.folder);
    }
    m_context.services.cg.prepare(
        m_context.project, commands, &panel,
        [this, &panel, byOperator, sends, g = *graphic](const std::optional<cglink::Notice>& no) {
            cued(panel, g, byOperator, sends, no);
        });
}

void GraphicsColumn::cued(PlayoutPanel& panel, const Graphic& graphic, bool byOperator, bool sent,
                          const std::optional<cglink::Notice>& refused)
{
    app::OperatorDialogs& dialogs = m_context.services.dialogs;
    if (refused) {
        // The operator is told and the panel keeps what it had, previewed as
        // it plays; a graphic that cannot be brought up to date is not kept.
        if (sent)
            panel.cueRefused();
        if (panel.cuesUnderWay() == 0)
            setBusy(panel, false);
        if (byOperator)
            dialogs.message(refused->text, refused->title);
        else
            panel.disarm(refused->text);
        return;
    }
    // A failed read or a missing row: nothing to play, and the panel says why.
    if (graphic.refused()) {
        if (byOperator)
            dialogs.message(graphic.refusal, graphic.refusalTitle);
        panel.disarm(graphic.refusal);
        return;
    }
    if (!sent)
        return;
    if (graphic.listToolTip)
        m_inGame->setToolTip(*graphic.listToolTip);
    panel.cuePassed(previewWaitMs());
}

void GraphicsColumn::List3_Click(int index)
{
    cue(*m_panelB, index, Cue::Operator);
}

void GraphicsColumn::List4_Click(int index)
{
    cue(*m_panelA, index, Cue::Operator);
}

void GraphicsColumn::runInGame(int item)
{
    m_inGame->setCurrentRow(item - 1);
    List3_Click(item - 1);
}

void GraphicsColumn::SBO_Cmd_Click()
{
    m_liveCount = quickCountCommand(m_context.source.scoreboard());
    const QTime at = m_context.services.clock.now().time();
    m_context.services.cg.prepare(
        m_context.project, {{cglink::kPlayWithFields, m_liveCount}}, this,
        [this, command = m_liveCount, at](const std::optional<cglink::Notice>& refused) {
            if (refused) {
                m_context.services.dialogs.message(refused->text, refused->title);
                return;
            }
            // "[FO]" without a layer: the first.
            OnAirTally::Entry bug;
            bug.page = OnAirTally::pageOf(command);
            bug.item = bug.page;
            bug.effect = QStringLiteral("[FO]");
            bug.time = at;
            bug.live = true;
            m_tally->played(bug);
        });
}

void GraphicsColumn::panelPlayed(const PlayoutPanel& panel, qint16 code, const QString& command,
                                 const QString& effect)
{
    OnAirTally::Entry e;
    e.layer = OnAirTally::layerOf(effect);
    e.page = OnAirTally::pageOf(panel.storedCommand());
    e.item = itemText(panel, panel.cuedIndex());
    e.effect = effect;
    e.time = m_context.services.clock.now().time();
    e.picture = panel.picture();
    // Tallied at once, so that a take-off right after it finds it; taken
    // back when the link turns out to be gone and the page never went out.
    const quint64 play = m_tally->played(e);
    m_context.services.cg.send(code, command, m_tally,
                               [tally = m_tally, play](const cglink::CgReply& reply) {
                                   if (!reply.wentOut)
                                       tally->withdraw(play);
                               });
}

void GraphicsColumn::consoleChanged()
{
    // A cue reads the database, whose end of a unit calls here again.
    if (m_cueing)
        return;
    for (PlayoutPanel* panel : {m_panelB, m_panelA})
        if (panel->prepared())
            cue(*panel, panel->cuedIndex(), Cue::Refresh);
    followCount();
}

void GraphicsColumn::followCount()
{
    // Only while the tally knows the quick count is on air: after a
    // reconnect it is not put back on a guess.
    if (!m_tally->liveCount())
        return;
    const QString now = quickCountCommand(m_context.source.scoreboard());
    if (now == m_liveCount)
        return;
    m_liveCount = now;
    m_context.services.cg.send(cglink::kPlayWithFields, m_liveCount);
}

void GraphicsColumn::takeOffLastPlayed()
{
    const auto last = m_tally->lastPlayed();
    if (!last)
        return;
    m_context.services.cg.send(cglink::kTakeOff, OnAirTally::reference(*last));
    m_tally->takeOff(last->layer);
}

void GraphicsColumn::clearScreen()
{
    m_context.services.cg.send(cglink::kClear, cglink::kClearText);
    m_tally->clear();
}

void GraphicsColumn::showOnAir()
{
    m_onAirLines->setText(m_tally->lines().join(u'\n'));
    const auto last = m_tally->lastPlayed();
    if (!last)
        m_onAir->clearPicture();
    else if (!last->picture.isNull())
        m_onAir->setPicture(last->picture);
    else
        m_onAir->showNote(last->live ? QStringLiteral("SBO  TAKE\n球數即時更新中")
                                     : last->item + QStringLiteral("\n(沒有預覽圖)"));
}

} // namespace hp::graphics
