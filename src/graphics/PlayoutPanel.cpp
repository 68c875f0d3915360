#include "PlayoutPanel.h"

#include "CgCommands.h"
#include "Playout.h"
#include "PreviewImage.h"
#include "PreviewLoader.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace hp::graphics {

PlayoutPanel::PlayoutPanel(const PanelNames& names, QWidget* parent)
    : QGroupBox(names.title, parent)
    , m_names(names)
    , m_loader(new PreviewLoader(this))
{
    setObjectName(names.frame);
    setToolTip(QStringLiteral("按兩下框線清除螢幕"));
    // The preview on the left, the play controls in a column beside it, so
    // that both panels and both lists fit one column of a small screen.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    m_image = new PreviewImage(names.image, names.loader, kPanelBox, this);
    m_image->setToolTip(QStringLiteral("按兩下播出,按右鍵放大預覽"));
    grid->addWidget(m_image, 0, 0, 5, 1, Qt::AlignCenter);

    m_play = new QPushButton(QStringLiteral("播出"), this);
    m_play->setObjectName(names.play);
    m_play->setEnabled(false);
    m_play->setMinimumHeight(40);
    QFont bold = m_play->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() + 2);
    m_play->setFont(bold);
    grid->addWidget(m_play, 0, 1);

    m_cut = new QCheckBox(QStringLiteral("CUT播出"), this);
    m_cut->setObjectName(names.cut);
    grid->addWidget(m_cut, 1, 1);
    const QString layerCaptions[] = {QStringLiteral("第一層"), QStringLiteral("第二層")};
    for (int i = 0; i < 2; ++i) {
        m_layers[i] = new QRadioButton(layerCaptions[i], this);
        m_layers[i]->setObjectName(names.option + u'(' + QString::number(i) + u')');
        m_layers[i]->setEnabled(false);
        grid->addWidget(m_layers[i], 2 + i, 1);
    }
    auto* preview = new QPushButton(QStringLiteral("預覽"), this);
    preview->setObjectName(names.preview);
    preview->setMinimumHeight(32);
    grid->addWidget(preview, 4, 1);
    grid->setColumnStretch(0, 1);

    connect(m_play, &QPushButton::clicked, this, &PlayoutPanel::play);
    connect(m_cut, &QCheckBox::clicked, this, &PlayoutPanel::FastCheck_Click);
    connect(m_image, &PreviewImage::doubleClicked, this, &PlayoutPanel::play);
    auto enlarge = [this] { emit previewRequested(m_names.imageFile); };
    connect(m_image, &PreviewImage::rightPressed, this, enlarge);
    connect(preview, &QPushButton::clicked, this, enlarge);
    connect(m_loader, &PreviewLoader::ready, this, [this](const QString& file, bool written) {
        // Only a file the CG wrote for this graphic is its preview: an older
        // one would show another graphic than play sends.
        if (!written)
            m_image->showNote(QStringLiteral("沒有收到字幕機的預覽圖"));
        else if (!m_image->load(file))
            m_image->showNote(QStringLiteral("預覽圖無法讀取"));
        enablePlay();
        emit previewShown();
    });
}

PlayoutPanel::Stored PlayoutPanel::current() const
{
    return {m_command, m_code, m_index, m_prepared};
}

void PlayoutPanel::restore(const Stored& s)
{
    m_command = s.command;
    m_code = s.code;
    m_index = s.index;
    m_prepared = s.prepared;
}

void PlayoutPanel::enablePlay()
{
    m_play->setEnabled(m_prepared && m_underWay.isEmpty() && !m_loader->waiting());
}

void PlayoutPanel::beginCue(const QString& command, qint16 playCode, int index)
{
    if (m_underWay.isEmpty())
        m_passed = current();
    m_underWay.append({command, playCode, index, true});
    restore(m_underWay.last());
    m_play->setEnabled(false);
}

void PlayoutPanel::cuePassed(int waitMs)
{
    if (m_underWay.isEmpty())
        return;
    m_passed = m_underWay.takeFirst();
    m_image->clearPicture();
    if (m_underWay.isEmpty())
        m_loader->await(waitMs);
}

void PlayoutPanel::cueRefused()
{
    if (m_underWay.isEmpty())
        return;
    m_underWay.removeFirst();
    if (m_underWay.isEmpty())
        restore(m_passed);
    enablePlay();
}

void PlayoutPanel::disarm(const QString& why)
{
    m_prepared = false;
    m_command.clear();
    m_index = -1;
    m_underWay.clear();
    m_play->setEnabled(false);
    m_image->showNote(why);
}

const QImage& PlayoutPanel::picture() const
{
    return m_image->picture();
}

void PlayoutPanel::armPreview(const QString& folder)
{
    m_loader->arm(imagePath(folder));
}

bool PlayoutPanel::firstLayer() const
{
    return m_layers[0]->isChecked();
}

void PlayoutPanel::play()
{
    // Nothing was prepared on this panel: an empty command must not reach the CG.
    if (!m_prepared)
        return;
    const bool cut = m_cut->isChecked();
    emit played(m_code, playedCommand(m_command, cut, firstLayer()),
                cglink::effectText(cut, firstLayer() ? 1 : 2));
}

void PlayoutPanel::FastCheck_Click()
{
    if (!m_cut->isChecked())
        return;
    for (QRadioButton* layer : m_layers)
        layer->setEnabled(true);
}

void PlayoutPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clearRequested();
    event->accept();
}

} // namespace hp::graphics
