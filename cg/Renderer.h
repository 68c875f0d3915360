#pragma once

#include "Project.h"

#include <QHash>
#include <QImage>

namespace hp::cg {

using Values = QHash<QString, QString>;

// Draws a page with its field values, transparent where the page is.
QImage renderPage(const Project& project, const Page& page, const Values& values);
// The page as a preview file holds it: opaque, over a dark studio grey.
QImage renderPreview(const Project& project, const Page& page, const Values& values);
// Seven colour bars.
QImage colourBars(QSize size);

} // namespace hp::cg
