#pragma once

#include <QSize>
#include <QString>

// The small rules of the play panels. Pure functions.
namespace hp::graphics {

// The stored command with its "EFFECT" filled: "[E]" for normal play, for a
// cut "[FO][1]" when the first layer is chosen and "[FO][2]" otherwise.
QString playedCommand(const QString& stored, bool cut, bool firstLayer);

// The size a picture is drawn at in a box: as wide as the box when it is
// flatter than 4:3 (H / W below 0.75), else as high as the box.
QSize fitSize(const QSize& picture, const QSize& box);

// Preview boxes in pixels: the play panels, the on-air image, the preview window.
inline constexpr QSize kPanelBox{240, 162};
inline constexpr QSize kOnAirBox{288, 194};
inline constexpr QSize kWindowBox{720, 486};

} // namespace hp::graphics
