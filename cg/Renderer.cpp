#include "Renderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace hp::cg {

namespace {

void drawText(QPainter& p, const Project& project, const Element& e, const QString& text)
{
    if (text.isEmpty())
        return;
    QFont font(e.family.isEmpty() ? project.font : e.family);
    font.setPixelSize(e.size);
    font.setBold(e.bold);
    const bool multiLine = text.contains(u'\n');
    if (!multiLine) {
        // A value wider than its box is drawn narrower rather than cut off.
        const int width = QFontMetrics(font).horizontalAdvance(text);
        if (width > e.rect.width() && width > 0) {
            const int stretch = std::max(40, 100 * e.rect.width() / width);
            font.setStretch(stretch);
        }
    }
    p.setFont(font);
    p.setPen(e.color);
    p.drawText(e.rect, int(e.align) | (multiLine ? int(Qt::TextWordWrap) : 0), text);
}

void drawShape(QPainter& p, const Element& e)
{
    p.setBrush(e.fill.isValid() ? QBrush(e.fill) : QBrush(Qt::NoBrush));
    p.setPen(e.outline.isValid() ? QPen(e.outline, 2) : QPen(Qt::NoPen));
    if (e.kind == Element::Kind::Rect) {
        p.drawRect(e.rect);
        return;
    }
    const QPointF c(e.rect.x(), e.rect.y());
    const double r = e.rect.width();
    p.drawPolygon(
        QPolygonF{c + QPointF(0, -r), c + QPointF(r, 0), c + QPointF(0, r), c + QPointF(-r, 0)});
}

} // namespace

void paintPage(QPainter& p, const Project& project, const Page& page, const Values& values)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRect area(QPoint(0, 0), page.size);
    if (page.background.alpha() > 0)
        p.fillRect(area, page.background);
    if (!page.picture.isNull())
        p.drawImage(area, page.picture);
    for (const Element& e : page.elements) {
        switch (e.kind) {
        case Element::Kind::Rect:
        case Element::Kind::Diamond:
            drawShape(p, e);
            break;
        case Element::Kind::Label:
            drawText(p, project, e, e.text);
            break;
        case Element::Kind::Field:
            drawText(p, project, e, values.value(e.text));
            break;
        }
    }
}

QImage renderPage(const Project& project, const Page& page, const Values& values)
{
    QImage image(page.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paintPage(p, project, page, values);
    return image;
}

QImage renderPageScaled(const Project& project, const Page& page, const Values& values, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(double(size.width()) / page.size.width(), double(size.height()) / page.size.height());
    paintPage(p, project, page, values);
    return image;
}

double displayAspect(QSize raster)
{
    const int h = raster.height();
    if (raster.width() == 720 && (h == 480 || h == 486 || h == 576))
        return 4.0 / 3.0;
    return h > 0 ? double(raster.width()) / h : 1.0;
}

QRect safeArea(QSize raster, double fraction)
{
    const double mx = raster.width() * (1 - fraction) / 2;
    const double my = raster.height() * (1 - fraction) / 2;
    const int left = int(std::ceil(mx - 1e-9)), top = int(std::ceil(my - 1e-9));
    const int right = int(std::floor(raster.width() - mx + 1e-9));
    const int bottom = int(std::floor(raster.height() - my + 1e-9));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

const QImage& PreviewCanvas::render(const Project& project, const Page& page, const Values& values)
{
    // One canvas, painted over and over: a fresh 8 MB image for every preview
    // costs more in page faults than the painting does.
    if (m_image.size() != page.size)
        m_image = QImage(page.size, QImage::Format_ARGB32_Premultiplied);
    else
        m_image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    m_image.fill(QColor(0x26, 0x2b, 0x33));
    {
        QPainter p(&m_image);
        paintPage(p, project, page, values);
    }
    // Opaque throughout: written as a 24-bit file.
    m_image.reinterpretAsFormat(QImage::Format_RGB32);
    return m_image;
}

QImage renderPreview(const Project& project, const Page& page, const Values& values)
{
    PreviewCanvas canvas;
    return canvas.render(project, page, values);
}

QImage colourBars(QSize size)
{
    static const QColor bars[] = {QColor(192, 192, 192), QColor(192, 192, 0), QColor(0, 192, 192),
                                  QColor(0, 192, 0),     QColor(192, 0, 192), QColor(192, 0, 0),
                                  QColor(0, 0, 192)};
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    for (int i = 0; i < 7; ++i) {
        const int x0 = size.width() * i / 7;
        const int x1 = size.width() * (i + 1) / 7;
        p.fillRect(QRect(x0, 0, x1 - x0, size.height()), bars[i]);
    }
    return image;
}

} // namespace hp::cg
