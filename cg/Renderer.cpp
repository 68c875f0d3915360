#include "Renderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

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

QImage renderPage(const Project& project, const Page& page, const Values& values)
{
    QImage image(page.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(page.background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (!page.backgroundImage.isEmpty()) {
        const QImage bg(page.backgroundImage);
        if (!bg.isNull())
            p.drawImage(QRect(QPoint(0, 0), page.size), bg);
    }
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
    return image;
}

QImage renderPreview(const Project& project, const Page& page, const Values& values)
{
    QImage out(page.size, QImage::Format_RGB32);
    out.fill(QColor(0x26, 0x2b, 0x33));
    QPainter p(&out);
    p.drawImage(0, 0, renderPage(project, page, values));
    return out;
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
