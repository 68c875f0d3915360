#pragma once

#include <QList>
#include <QString>

// The text of every CG command the console composes. Pure functions.
namespace hp::cglink {

enum Code : qint32 {
    kClear = 0,
    kPlayWithoutFields = 4,
    kTakeOff = 5,
    kLoadFields = 9,
    kOpenProject = 17,
    kPlayWithFields = 20,
    kPreview = 24,
};

inline const QString kEffectSlot = QStringLiteral("EFFECT");
inline const QString kCrLf = QStringLiteral("\r\n");
inline const QString kClearText = QStringLiteral("-1");
inline const QString kPreviewA = QStringLiteral("TempImageA.BMP");
inline const QString kPreviewB = QStringLiteral("TempImageB.BMP");

struct Field {
    QString name;
    QString value;
};

// "[BYNAME][T][n]EFFECT" CR LF, then "[name][0][value]" CR LF per field.
QString fieldCommand(const QString& templateName, const QList<Field>& fields);
// "[BYNAME][T]EFFECT", no count, no line end.
QString plainCommand(const QString& templateName);
// "[E]" for normal play, "[FO][layer]" for cut play.
QString effectText(bool cut, int layer);
// Every "EFFECT" replaced by the effect.
QString withEffect(const QString& command, bool cut, int layer);
// "[BYNAME][T][folder + file][A][BMP]" CR LF.
QString previewRequest(const QString& templateName, const QString& folder,
                       const QString& imageFile);
// "[BYNAME][item]", kept for the Escape key.
QString takeOffReference(const QString& listItem);
// The project's path with every occurrence of its file name removed.
QString templateFolderOf(const QString& projectPath);
// What the status bar says after an open-project request: the path when the
// CG took it, else that the CG has not opened it (a negative result).
QString projectStatusText(const QString& projectPath, qint32 result);

} // namespace hp::cglink
