#include "Playout.h"
#include "PreviewLoader.h"

#include <QElapsedTimer>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace hp::graphics;

class TstPlayout : public QObject {
    Q_OBJECT
private slots:
    void theEffectFillsEveryEffectSlotAndKeepsTheStoredCommand()
    {
        const QString stored = QStringLiteral("[BYNAME][SBO][10]EFFECT\r\n[S][0][EFFECT]\r\n");
        QCOMPARE(playedCommand(stored, false, true),
                 QStringLiteral("[BYNAME][SBO][10][E]\r\n[S][0][[E]]\r\n"));
        // A cut with no layer chosen goes to layer 2.
        QCOMPARE(playedCommand(stored, true, false),
                 QStringLiteral("[BYNAME][SBO][10][FO][2]\r\n[S][0][[FO][2]]\r\n"));
        QCOMPARE(playedCommand(stored, true, true),
                 QStringLiteral("[BYNAME][SBO][10][FO][1]\r\n[S][0][[FO][1]]\r\n"));
        QCOMPARE(playedCommand(QStringLiteral("[BYNAME][主播]EFFECT"), false, false),
                 QStringLiteral("[BYNAME][主播][E]"));
    }

    void theFitRuleChoosesWidthBelowFourByThree()
    {
        QCOMPARE(fitSize({720, 486}, kWindowBox), QSize(720, 486));
        QCOMPARE(fitSize({720, 486}, kPanelBox), QSize(240, 162));
        QCOMPARE(fitSize({640, 480}, kPanelBox), QSize(216, 162)); // exactly 0.75: by height
        QCOMPARE(fitSize({1920, 1080}, kOnAirBox), QSize(288, 162));
        QCOMPARE(fitSize({100, 400}, kPanelBox), QSize(41, 162));
        QCOMPARE(fitSize({0, 0}, kPanelBox), QSize());
    }

    void theLoaderWaitsForTheRewriteWithoutHoldingTheWindow()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("TempImageB.BMP"));
        QImage(8, 8, QImage::Format_RGB32).save(file, "BMP");
        PreviewLoader loader;
        QSignalSpy ready(&loader, &PreviewLoader::ready);

        // The CG writes the file 60 ms after the request; meanwhile the event
        // loop keeps running (the ticks) and the file is handed over at once.
        loader.arm(file);
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] { ++ticks; });
        tick.start(5);
        QTimer::singleShot(60, this,
                           [&] { QImage(16, 8, QImage::Format_RGB32).save(file, "BMP"); });
        QElapsedTimer clock;
        clock.start();
        loader.await(2000);
        QVERIFY(loader.waiting());
        QCOMPARE(ready.count(), 0);
        QVERIFY(ready.wait(1500));
        QVERIFY2(clock.elapsed() < 400, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(ticks >= 5);
        QCOMPARE(ready.first().first().toString(), file);

        // Written before the wait begins (a CG that answers after writing):
        // handed over without waiting.
        loader.arm(file);
        QImage(32, 8, QImage::Format_RGB32).save(file, "BMP");
        loader.await(2000);
        QCOMPARE(ready.count(), 2);
        QVERIFY(!loader.waiting());

        // Never rewritten: handed over as it stands when the wait runs out;
        // with no wait at once.
        loader.arm(file);
        clock.restart();
        loader.await(80);
        QVERIFY(ready.wait(1000));
        QVERIFY(clock.elapsed() >= 75);
        loader.arm(file);
        loader.await(0);
        QCOMPARE(ready.count(), 4);

        // A newer request replaces one still waiting.
        loader.arm(file);
        loader.await(5000);
        loader.arm(dir.filePath(QStringLiteral("other.BMP")));
        loader.await(0);
        QCOMPARE(ready.count(), 5);
        QVERIFY(!loader.waiting());
        QCOMPARE(ready.last().first().toString(), dir.filePath(QStringLiteral("other.BMP")));
    }
};

QTEST_MAIN(TstPlayout)
#include "tst_playout.moc"
