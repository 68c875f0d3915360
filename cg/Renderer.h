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
