#include "QtTranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

// Qt's own dialogs in the program's language.
class TstTranslations : public QObject {
    Q_OBJECT
private slots:
    void qtDialogsSpeakTraditionalChinese()
    {
        QDialogButtonBox before(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(before.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
        QVERIFY(hp::app::installQtTranslations(*qApp));
        QDialogButtonBox after(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        const QString cancel = after.button(QDialogButtonBox::Cancel)->text();
        QVERIFY2(cancel.contains(QStringLiteral("取消")), qPrintable(cancel));
        // The file dialog's own texts.
        const QString lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
        QVERIFY2(lookIn != QStringLiteral("Look in:"), qPrintable(lookIn));
    }
};

QTEST_MAIN(TstTranslations)
#include "tst_translations.moc"
