#include "mDisplay.h"

#include "Playout.h"
#include "PreviewImage.h"

#include <QEvent>
#include <QVBoxLayout>

namespace hp::graphics {

mDisplay::mDisplay(QWidget* parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("mDisplay"));
    setWindowTitle(QStringLiteral("影像預覽"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_image =
        new PreviewImage(QStringLiteral("Image1"), QStringLiteral("Picture1"), kWindowBox, this);
    layout->addWidget(m_image);
    setFixedSize(kWindowBox);
    connect(m_image, &PreviewImage::pressed, this, &QWidget::close);
}

void mDisplay::showFile(const QString& file)
{
    m_image->load(file);
    m_wasActive = false;
    show();
    raise();
    activateWindow();
}

void mDisplay::changeEvent(QEvent* event)
{
    // Closes when the focus goes elsewhere, once it has had it.
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            m_wasActive = true;
        else if (m_wasActive && isVisible())
            close();
    }
    QWidget::changeEvent(event);
}

} // namespace hp::graphics
