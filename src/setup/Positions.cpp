#include "Positions.h"

#include "Cp950.h"

#include <QFile>
#include <QStringDecoder>

namespace hp::setup {

QStringList defaultPositions()
{
    return {QStringLiteral("1B"), QStringLiteral("2B"), QStringLiteral("3B"),
            QStringLiteral("C"),  QStringLiteral("CF"), QStringLiteral("LF"),
            QStringLiteral("RF"), QStringLiteral("SS"), QStringLiteral("DH")};
}

PositionsRead readPositions(const QString& iniFile)
{
    QFile file(iniFile);
    if (!file.open(QIODevice::ReadOnly))
        return {defaultPositions(),
                QStringLiteral("找不到守位設定檔 %1,使用預設守位").arg(iniFile)};
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = cglink::fromCp950(bytes);
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed() != QStringLiteral("[守位]"))
            continue;
        if (lines.size() - (i + 1) < 9 || (lines.size() - (i + 1) == 9 && lines.last().isEmpty()))
            return {defaultPositions(),
                    QStringLiteral("守位設定檔 [守位] 之後不足九行,使用預設守位")};
        QStringList positions;
        for (qsizetype k = i + 1; k <= i + 9; ++k) {
            QString line = lines[k];
            if (line.endsWith(u'\r'))
                line.chop(1);
            positions << line.left(2);
        }
        return {positions, QString()};
    }
    return {defaultPositions(), QStringLiteral("守位設定檔沒有 [守位],使用預設守位")};
}

} // namespace hp::setup
