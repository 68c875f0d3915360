#include "PreviewImage.h"

#include "Playout.h"
#include "PreviewBmp.h"

#include <QMouseEvent>
#include <QPixmap>

namespace hp::graphics {

PreviewImage::PreviewImage(const QString& name, const QString& loaderName, const QSize& box,
                           QWidget* parent)
    : QLabel(parent)
    , m_box(box)
    , m_loader(new QWidget(parent))
{
    setObjectName(name);
    setFixedSize(box);
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::Box);
    setWordWrap(true);
    setStyleSheet(QStringLiteral("background: #202020; color: #ffd27f; padding: 6px;"));
    m_loader->setObjectName(loaderName);
    m_loader->setProperty("imageSize", QSize());
    m_loader->hide();
}

bool PreviewImage::load(const QString& file)
{
    const QImage image = cglink::readPreviewBmp(file);
    if (image.isNull())
        return false;
    setPicture(image);
    return true;
}

void PreviewImage::setPicture(const QImage& picture)
{
    m_picture = picture;
    m_loader->setProperty("imageSize", picture.size());
    m_drawn = fitSize(picture.size(), m_box);
    if (m_drawn.isEmpty()) {
        setPixmap(QPixmap());
        return;
    }
    // A full raster is first thinned to twice the box, so that the smooth
    // pass reads a few hundred thousand pixels, not millions.
    const QSize twice = m_drawn * 2;
    const QImage source = picture.width() > twice.width() * 2
                              ? picture.scaled(twice, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                              : picture;
    setPixmap(QPixmap::fromImage(
        source.scaled(m_drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

void PreviewImage::clearPicture()
{
    setPicture(QImage());
    setText(QString());
}

void PreviewImage::showNote(const QString& note)
{
    setPicture(QImage());
    setText(note);
}

void PreviewImage::mousePressEvent(QMouseEvent* event)
{
    emit pressed();
    if (event->button() == Qt::RightButton)
        emit rightPressed();
    QLabel::mousePressEvent(event);
}

void PreviewImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    event->accept();
}

} // namespace hp::graphics
