#include "Cp950.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace hp::cglink {

namespace {
// "CP950" names IBM's table; the CG library uses Microsoft's.
constexpr const char* kCodecName = "windows-950";
} // namespace

Cp950Bytes toCp950(const QString& text)
{
    QStringEncoder encoder(kCodecName);
    Cp950Bytes out;
    out.bytes = encoder.encode(text);
    out.lossy = encoder.hasError();
    return out;
}

QString fromCp950(const QByteArray& bytes)
{
    QStringDecoder decoder(kCodecName);
    return decoder.decode(bytes);
}

bool isValidCp950(const QByteArray& bytes)
{
    // Stateless: a lead byte cut off at the end is an error, not pending input.
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    const QString s = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace hp::cglink
