#pragma once

#include "Project.h"

#include <QHash>
#include <QImage>

class QPainter;

namespace hp::cg {

using Values = QHash<QString, QString>;

// Paints a page with its field values onto whatever the painter paints on.
void paintPage(QPainter& painter, const Project& project, const Page& page, const Values& values);
// Draws a page with its field values, transparent where the page is.
QImage renderPage(const Project& project, const Page& page, const Values& values);
// The same drawn at another size (a monitor's), the page scaled to fill it:
// text and shapes are drawn at that size, not scaled as pixels.
QImage renderPageScaled(const Project& project, const Page& page, const Values& values, QSize size);

// The width to height ratio a raster is shown at: standard-definition
// rasters (720 wide, 480, 486 or 576 lines) are 4:3 with narrow pixels,
// every other raster has square pixels.
double displayAspect(QSize raster);
// The part of the raster inside a safe area: fraction 0.9 for action safe,
// 0.8 for title safe, centred; whole pixels only.
QRect safeArea(QSize raster, double fraction);
// The page as a preview file holds it: opaque, over a dark studio grey.
QImage renderPreview(const Project& project, const Page& page, const Values& values);

// Renders previews into one reused image.
class PreviewCanvas {
public:
    const QImage& render(const Project& project, const Page& page, const Values& values);

private:
    QImage m_image;
};
// Seven colour bars.
QImage colourBars(QSize size);

} // namespace hp::cg
