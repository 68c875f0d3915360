#include <QFontDatabase>
#include <QtTest>

// The console's captions are Traditional Chinese: a face that has them must be
// installed, or every caption draws as boxes.
class TstFonts : public QObject {
    Q_OBJECT
private slots:
    void traditionalChineseFontIsPresent()
    {
        bool found = false;
        for (const QString& family : QFontDatabase::families(QFontDatabase::TraditionalChinese))
            found = found || !family.isEmpty();
        QVERIFY2(found, "no font with Traditional Chinese glyphs (install fonts-noto-cjk)");
        const QFont font(QStringLiteral("Noto Sans CJK TC"));
        QVERIFY(QFontMetrics(font).inFont(QChar(0x68D2))); // 棒
    }
};

QTEST_MAIN(TstFonts)
#include "tst_fonts.moc"
