#pragma once

#include <QImage>
#include <QString>

class QIODevice;

// The preview files the CG writes and the console reads: BMP, 32 bits a
// pixel without compression, rows from the top (a negative height), so that
// the picture's memory is the file's pixel data as it stands and each side
// moves it in one piece.
namespace hp::cglink {

// Writes a picture of 32 bits a pixel (RGB32 or ARGB32) as it is in memory;
// false when the picture has another format or the write failed.
bool writePreviewBmp(QIODevice& out, const QImage& picture);
// Reads a preview file straight into the picture; any other BMP (24 bits,
// rows from the bottom, …) through the general reader. Null when the file
// cannot be read.
QImage readPreviewBmp(const QString& path);

} // namespace hp::cglink
