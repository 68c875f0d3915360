#pragma once

#include <QByteArray>
#include <QString>

namespace hp::cglink {

// Text as the CG client library takes it: code page 950 (Microsoft's Big5).
struct Cp950Bytes {
    QByteArray bytes;
    bool lossy = false; // some character had no code and went out as "?"
};

Cp950Bytes toCp950(const QString& text);
QString fromCp950(const QByteArray& bytes);
// Whether the bytes are valid code page 950 throughout.
bool isValidCp950(const QByteArray& bytes);

} // namespace hp::cglink
