#include "PreviewBmp.h"

#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <cstring>

namespace hp::cglink {

namespace {

constexpr int kFileHeader = 14;
constexpr int kInfoHeader = 40;
constexpr int kHeaders = kFileHeader + kInfoHeader;
// The largest picture read straight: far beyond any raster a CG renders.
constexpr qint64 kMaxPixels = 8192LL * 8192;

template <typename T> void put(char*& at, T value)
{
    qToLittleEndian(value, at);
    at += sizeof(T);
}

template <typename T> T get(const char* at)
{
    return qFromLittleEndian<T>(at);
}

} // namespace

bool writePreviewBmp(QIODevice& out, const QImage& picture)
{
    const QImage::Format f = picture.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32)
        return false;
    const qint64 rowBytes = qint64(picture.width()) * 4;
    // Rows of 32-bit pixels need no padding; a picture in memory may have some.
    if (picture.bytesPerLine() != rowBytes)
        return false;
    const qint64 pixels = rowBytes * picture.height();
    char header[kHeaders];
    char* at = header;
    *at++ = 'B';
    *at++ = 'M';
    put<quint32>(at, quint32(kHeaders + pixels));
    put<quint32>(at, 0);
    put<quint32>(at, kHeaders);
    put<quint32>(at, kInfoHeader);
    put<qint32>(at, picture.width());
    put<qint32>(at, -picture.height()); // rows from the top
    put<quint16>(at, 1);
    put<quint16>(at, 32);
    put<quint32>(at, 0); // no compression
    put<quint32>(at, quint32(pixels));
    put<qint32>(at, 2835); // 72 dots an inch
    put<qint32>(at, 2835);
    put<quint32>(at, 0);
    put<quint32>(at, 0);
    return out.write(header, kHeaders) == kHeaders &&
           out.write(reinterpret_cast<const char*>(picture.constBits()), pixels) == pixels;
}

QImage readPreviewBmp(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    char header[kHeaders];
    if (file.read(header, kHeaders) == kHeaders && header[0] == 'B' && header[1] == 'M') {
        const quint32 offset = get<quint32>(header + 10);
        const quint32 infoSize = get<quint32>(header + 14);
        const qint32 width = get<qint32>(header + 18);
        const qint32 height = get<qint32>(header + 22);
        const quint16 bits = get<quint16>(header + 28);
        const quint32 compression = get<quint32>(header + 30);
        const bool straight = infoSize >= kInfoHeader && offset >= kHeaders && bits == 32 &&
                              compression == 0 && width > 0 && height < 0 &&
                              qint64(width) * -qint64(height) <= kMaxPixels;
        if (straight) {
            QImage picture(width, -height, QImage::Format_RGB32);
            const qint64 bytes = picture.sizeInBytes();
            if (!picture.isNull() && file.seek(offset) &&
                file.read(reinterpret_cast<char*>(picture.bits()), bytes) == bytes)
                return picture;
            return {};
        }
    }
    file.close();
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

} // namespace hp::cglink
