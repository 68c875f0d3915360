#include "Playout.h"

#include "CgCommands.h"

#include <cmath>

namespace hp::graphics {

QString playedCommand(const QString& stored, bool cut, bool firstLayer)
{
    return cglink::withEffect(stored, cut, firstLayer ? 1 : 2);
}

QSize fitSize(const QSize& picture, const QSize& box)
{
    if (picture.isEmpty())
        return {};
    const double ratio = double(picture.height()) / picture.width();
    if (ratio < 0.75)
        return {box.width(), int(std::lround(box.width() * ratio))};
    return {int(std::lround(box.height() / ratio)), box.height()};
}

} // namespace hp::graphics
