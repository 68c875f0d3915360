#include "CgCommands.h"

#include <QFileInfo>

namespace hp::cglink {

QString fieldCommand(const QString& templateName, const QList<Field>& fields)
{
    QString out = QStringLiteral("[BYNAME][") + templateName + QStringLiteral("][") +
                  QString::number(fields.size()) + u']' + kEffectSlot + kCrLf;
    for (const Field& f : fields)
        out += u'[' + f.name + QStringLiteral("][0][") + f.value + u']' + kCrLf;
    return out;
}

QString plainCommand(const QString& templateName)
{
    return QStringLiteral("[BYNAME][") + templateName + u']' + kEffectSlot;
}

QString effectText(bool cut, int layer)
{
    if (!cut)
        return QStringLiteral("[E]");
    return QStringLiteral("[FO][") + QString::number(layer) + u']';
}

QString withEffect(const QString& command, bool cut, int layer)
{
    return QString(command).replace(kEffectSlot, effectText(cut, layer));
}

QString previewRequest(const QString& templateName, const QString& folder, const QString& imageFile)
{
    return QStringLiteral("[BYNAME][") + templateName + QStringLiteral("][") + folder + imageFile +
           QStringLiteral("][A][BMP]") + kCrLf;
}

QString takeOffReference(const QString& listItem)
{
    return QStringLiteral("[BYNAME][") + listItem + u']';
}

QString templateFolderOf(const QString& projectPath)
{
    const QString name = QFileInfo(projectPath).fileName();
    if (name.isEmpty())
        return projectPath;
    return QString(projectPath).remove(name);
}

QString projectStatusText(const QString& projectPath, qint32 result)
{
    if (result >= 0)
        return projectPath;
    return QStringLiteral("字幕機未開啟範本(%1): ").arg(result) + projectPath;
}

} // namespace hp::cglink
