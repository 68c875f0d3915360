#include "GraphicsColumn.h"

#include "CgCommands.h"
#include "Clock.h"
#include "Figures.h"
#include "GraphicText.h"
#include "InGameGraphics.h"
#include "ListGraphics.h"
#include "OperatorDialogs.h"
#include "Playout.h"
#include "PlayoutPanel.h"
#include "PreviewImage.h"
#include "SettingsStore.h"
#include "mDisplay.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace hp::graphics {

namespace {

constexpr int kDefaultPreviewWaitMs = 500;

QListWidget* graphicsList(const char* name, const QStringList& items, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(items);
    list->setMinimumWidth(130);
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
    m_onAir->setToolTip(QStringLiteral("最後播出的畫面"));
    onAirLayout->addWidget(m_onAir, 0, Qt::AlignCenter);

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
        cg, this);
    m_panelA = new PlayoutPanel(
        {QStringLiteral("Frame3"), QStringLiteral("Command6"), QStringLiteral("FastCheck1"),
         QStringLiteral("Option1"), QStringLiteral("Image1"), QStringLiteral("Picture1"),
         QStringLiteral("Command8"), cglink::kPreviewA, QStringLiteral("專題畫面")},
        cg, this);
    column->addWidget(m_panelB);
    column->addWidget(m_panelA);

    connect(m_inGame, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { List3_Click(m_inGame->row(item)); });
    connect(m_features, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { List4_Click(m_features->row(item)); });
    connect(m_quickCount, &QPushButton::clicked, this, &GraphicsColumn::SBO_Cmd_Click);
    for (PlayoutPanel* panel : {m_panelA, m_panelB}) {
        connect(panel, &PlayoutPanel::played, this,
                [this](const QString& file) { m_onAir->load(m_context.project.folder + file); });
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

void GraphicsColumn::cue(PlayoutPanel& panel, const QString& itemText,
                         const std::function<std::optional<Graphic>()>& compose)
{
    cglink::CgLink& cg = m_context.services.cg;
    app::OperatorDialogs& dialogs = m_context.services.dialogs;
    const auto refused = cg.checkBeforeGraphic(m_context.project);
    m_context.setTakeOffReference(cglink::takeOffReference(itemText));
    if (refused) {
        dialogs.message(refused->text, refused->title);
        return;
    }
    panel.startCue();
    const std::optional<Graphic> graphic = compose();
    if (!graphic)
        return;
    // A failed read or a missing row: the panel keeps the graphic it had.
    if (graphic->refused()) {
        dialogs.message(graphic->refusal, graphic->refusalTitle);
        return;
    }
    setBusy(panel, true);
    panel.armPreview(m_context.project.folder);
    if (graphic->loadsFields)
        cg.send(cglink::kLoadFields, graphic->command);
    cg.send(cglink::kPreview, graphic->preview);
    panel.store(graphic->command, graphic->playCode);
    if (graphic->listToolTip)
        m_inGame->setToolTip(*graphic->listToolTip);
    panel.awaitPreview(previewWaitMs());
}

void GraphicsColumn::List3_Click(int index)
{
    cue(*m_panelB, m_inGame->item(index) ? m_inGame->item(index)->text() : QString(),
        [&] { return inGameGraphic(index, m_context.source, m_context.project.folder); });
}

void GraphicsColumn::List4_Click(int index)
{
    cue(*m_panelA, m_features->item(index) ? m_features->item(index)->text() : QString(), [&] {
        return featureGraphic(index, m_context.source, m_context.project.folder,
                              m_context.services.clock.now().date());
    });
}

void GraphicsColumn::runInGame(int item)
{
    m_inGame->setCurrentRow(item - 1);
    List3_Click(item - 1);
}

void GraphicsColumn::selectInGame(int item)
{
    if (m_inGame->currentRow() == item - 1)
        return;
    runInGame(item);
}

void GraphicsColumn::SBO_Cmd_Click()
{
    cglink::CgLink& cg = m_context.services.cg;
    if (const auto refused = cg.checkBeforeGraphic(m_context.project)) {
        m_context.services.dialogs.message(refused->text, refused->title);
        return;
    }
    cg.send(cglink::kPlayWithFields, quickCountCommand(m_context.source.scoreboard()));
}

void GraphicsColumn::clearScreen()
{
    m_context.services.cg.send(cglink::kClear, cglink::kClearText);
    m_onAir->clearPicture();
}

} // namespace hp::graphics
