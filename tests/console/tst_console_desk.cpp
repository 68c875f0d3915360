#include "ConsoleFixture.h"
#include "InningIndicator.h"
#include "WindowPlacement.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMainWindow>

#include <QtTest>

using namespace hp;
using test::ConsoleFixture;

namespace {

QMainWindow* openConsole()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == test::C && w->isVisible())
            return qobject_cast<QMainWindow*>(w);
    return nullptr;
}

// The named controls that stick out of the window or out of the frame
// that holds them, or are squeezed below their own minimum.
QStringList cutOff(QWidget* window)
{
    QStringList out;
    const QRect inside = window->rect();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || !w->isVisibleTo(window) || w->window() != window)
            continue;
        const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
        if (!inside.contains(r))
            out << w->objectName() + QStringLiteral(" outside");
        QWidget* parent = w->parentWidget();
        if (parent != window && !parent->rect().contains(w->geometry()))
            out << w->objectName() + QStringLiteral(" outside its frame");
        // Qt's own parts, and texts that are cut on purpose (their tool-tip holds them).
        if (w->objectName().startsWith(QStringLiteral("qt_")) ||
            w->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored)
            continue;
        // The least the layout may give it: its own minimum where it has one.
        const QSize hint = w->minimumSizeHint();
        const QSize set = w->minimumSize();
        const QSize least(set.width() > 0 ? set.width() : hint.width(),
                          set.height() > 0 ? set.height() : hint.height());
        if (w->width() < least.width() || w->height() < least.height())
            out << QStringLiteral("%1 squeezed to %2×%3 (least %4×%5)")
                       .arg(w->objectName())
                       .arg(w->width())
                       .arg(w->height())
                       .arg(least.width())
                       .arg(least.height());
        // A caption that does not fit its button or label.
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap())
            text = label->text();
        if (!text.isEmpty() && !text.contains(u'\n') &&
            w->fontMetrics().horizontalAdvance(text) > w->contentsRect().width())
            out << w->objectName() + QStringLiteral(" cut: ") + text;
    }
    return out;
}

// Lets the layouts take in what changed: a label's new text asks its frame
// again, and the frame the window, one posted request at a time.
void settle()
{
    for (int i = 0; i < 8; ++i)
        QCoreApplication::sendPostedEvents();
}

// The items of a list that cannot be seen without scrolling.
QStringList hiddenItems(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (!list->viewport()->rect().contains(list->visualItemRect(list->item(i))))
            out << list->item(i)->text();
    return out;
}

} // namespace

class TstConsoleDesk : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    void placement()
    {
        const QRect small(0, 0, 1366, 728); // 1366 × 768 less a panel of 40
        const QMargins frame = app::kFrameAllowance;
        // Larger than the screen: the frame fits the available area.
        const QRect console = app::fitWindow({1600, 900}, {1000, 600}, small);
        QVERIFY(small.contains(console.marginsAdded(frame)));
        QCOMPARE(console.size(), small.marginsRemoved(frame).size());
        // Smaller: as wanted, centred.
        const QRect big(0, 40, 1920, 1040);
        const QRect roomy = app::fitWindow({1600, 900}, {1000, 600}, big);
        QCOMPARE(roomy.size(), QSize(1600, 900));
        QVERIFY(big.contains(roomy.marginsAdded(frame)));
        QCOMPARE(roomy.center().x(), big.marginsRemoved(frame).center().x());
        // A second screen to the right of the first.
        const QRect right(1920, 0, 1366, 768);
        QVERIFY(right.contains(app::fitWindow({1180, 700}, {900, 500}, right).marginsAdded(frame)));
        // A minimum beyond the area wins over the area.
        QCOMPARE(app::fitWindow({800, 600}, {1500, 400}, small).width(), 1500);
    }

    void inningMarks()
    {
        QCOMPARE(console::inningMarks(1, false).arrow, QStringLiteral("▲1"));
        QCOMPARE(console::inningMarks(1, false).half, QStringLiteral("上"));
        QCOMPARE(console::inningMarks(12, true).arrow, QStringLiteral("▼12"));
        QCOMPARE(console::inningMarks(12, true).half, QStringLiteral("下"));
    }

    // At the smallest screen the console is made for every control has its
    // room and every graphic is in sight; on a large one the frames grow.
    void theConsoleFitsTheScreen()
    {
        ConsoleFixture f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        QMainWindow* window = openConsole();
        QVERIFY(window);
        const QSize small = QRect(0, 0, 1366, 768).marginsRemoved(app::kFrameAllowance).size();
        // Long words in the status bar and the on-air lines take no room of their own.
        for (QLabel* label : window->findChildren<QLabel*>())
            if (label->objectName().startsWith(QStringLiteral("StatusBar1.")) ||
                label->objectName() == QStringLiteral("OnAir_Lab"))
                label->setText(
                    QStringLiteral("已成功連接字幕機127.0.0.1:60039於03:33:20 ").repeated(3));
        QWidget* lineScore = window->findChild<QWidget*>(QStringLiteral("Frame1"));
        QMap<QString, int> widths;
        for (const QSize size : {small, QSize(1600, 900)}) {
            window->resize(size);
            settle();
            QCOMPARE(window->size(), size);
            const QStringList cut = cutOff(window);
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
            for (const char* name : {"List3", "List4"}) {
                auto* list = window->findChild<QListWidget*>(QString::fromLatin1(name));
                QCOMPARE(hiddenItems(list), QStringList());
            }
            widths.insert(QString::number(size.width()), lineScore->width());
        }
        QVERIFY(widths.value(QStringLiteral("1600")) > widths.value(QStringLiteral("1360")));
    }

    // The large inning and half beside the count follow the caption of the
    // line score: at the opening, at each change, and back with a refused one.
    void theInningIndicatorFollowsTheCaption_data() { test::TestDatabase::addEngineRows(); }
    void theInningIndicatorFollowsTheCaption()
    {
        QFETCH(QString, engine);
        ConsoleFixture f(engine, false);
        QVERIFY(f.tdb.ok());
        f.h.settings.store.set(QStringLiteral("Round"), QStringLiteral("4"));
        f.h.settings.store.set(QStringLiteral("Half"), QStringLiteral("True"));
        f.open();
        auto shown = [&] {
            return QStringList{f.text(QStringLiteral("Frame1")),
                               f.text(QStringLiteral("Inning_Lab")),
                               f.text(QStringLiteral("InningHalf_Lab"))};
        };
        QCOMPARE(shown(),
                 (QStringList{QStringLiteral("4T"), QStringLiteral("▼4"), QStringLiteral("下")}));
        auto threeOuts = [&] {
            for (int i = 0; i < 3; ++i)
                QVERIFY(f.press(QStringLiteral("SBO_Lab(3)")));
        };
        threeOuts();
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        QCOMPARE(shown(),
                 (QStringList{QStringLiteral("5B"), QStringLiteral("▲5"), QStringLiteral("上")}));
        // A change that cannot be stored leaves caption and indicator as they were.
        threeOuts();
        f.h.settings.makeUnwritable();
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        f.h.settings.makeWritable();
        QCOMPARE(shown(),
                 (QStringList{QStringLiteral("5B"), QStringLiteral("▲5"), QStringLiteral("上")}));
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        QCOMPARE(shown(),
                 (QStringList{QStringLiteral("5T"), QStringLiteral("▼5"), QStringLiteral("下")}));
    }

    // A count label's tool-tip says which key adds and which takes away.
    void countKeysSayWhatTheyDo()
    {
        ConsoleFixture f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        const QString strikes =
            f.get(QStringLiteral("SBO_Lab(1)"))[QStringLiteral("tooltip")].toString();
        QVERIFY2(strikes.endsWith(QStringLiteral("\nF5 加一 / Shift+F5 減一")),
                 qPrintable(strikes));
        QVERIFY(f.get(QStringLiteral("SBO_Lab(3)"))[QStringLiteral("tooltip")].toString().endsWith(
            QStringLiteral("F7 加一 / Shift+F7 減一")));
        QVERIFY(f.get(QStringLiteral("Command4"))[QStringLiteral("tooltip")].toString().endsWith(
            QStringLiteral("按鍵 F8")));
    }

    // The substitute and reliever choosers open where they stand: nothing
    // else in the frame moves.
    void choosersOpenInPlace()
    {
        ConsoleFixture f(QStringLiteral("sqlite"));
        QVERIFY(f.tdb.ok());
        QMainWindow* window = openConsole();
        QVERIFY(window);
        window->resize(1354, 730);
        settle();
        auto places = [&](const char* frame) {
            QMap<QString, QRect> out;
            for (QWidget* w :
                 window->findChild<QWidget*>(QString::fromLatin1(frame))->findChildren<QWidget*>())
                if (!w->objectName().isEmpty() && w->isVisible())
                    out.insert(w->objectName(), w->geometry());
            return out;
        };
        const auto batter = places("Frame6");
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        settle();
        QVERIFY(f.visible(QStringLiteral("BackupS_Combo")));
        auto after = places("Frame6");
        after.remove(QStringLiteral("BackupS_Combo"));
        QCOMPARE(after, batter);

        const auto pitcher = places("Frame5");
        QVERIFY(f.h.ok(f.act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"))));
        settle();
        QVERIFY(f.visible(QStringLiteral("BackupP_Combo")));
        after = places("Frame5");
        after.remove(QStringLiteral("BackupP_Combo"));
        QCOMPARE(after, pitcher);
    }

    // Every name the operator guide puts in 「」 is the caption, menu command,
    // tab or list item of a control of the windows as a game shows them (the
    // guide quotes what the program says in 『』).
    void theGuideNamesWhatTheWindowsShow()
    {
        ConsoleFixture f(QStringLiteral("sqlite"), false);
        QVERIFY(f.tdb.ok());
        QSet<QString> shown;
        auto take = [&](const QString& window) {
            const QJsonObject controls =
                f.h.request({{QStringLiteral("op"), QStringLiteral("dump")},
                             {QStringLiteral("window"), window}})[QStringLiteral("controls")]
                    .toObject();
            QVERIFY2(!controls.isEmpty(), qPrintable(window));
            for (const QJsonValue& c : controls) {
                shown << c[QStringLiteral("text")].toString();
                for (const QJsonValue& item : c[QStringLiteral("items")].toArray())
                    shown << item.toString();
            }
        };
        f.h.navigator.showStart();
        take(QStringLiteral("mStart"));
        f.h.act(QStringLiteral("mStart"), QStringLiteral("Command1"), QStringLiteral("click"));
        f.h.act(M(), QStringLiteral("List1"), QStringLiteral("select"),
                {{QStringLiteral("index"), 0}});
        f.h.act(M(), QStringLiteral("Command1"), QStringLiteral("click"));
        f.h.act(M(), QStringLiteral("List1"), QStringLiteral("select"),
                {{QStringLiteral("index"), 0}});
        f.h.act(M(), QStringLiteral("Command3"), QStringLiteral("click"));
        f.h.act(M(), QStringLiteral("StartCmd"), QStringLiteral("click"));
        take(M());
        f.h.navigator.showStart();
        f.h.act(QStringLiteral("mStart"), QStringLiteral("Command2"), QStringLiteral("click"));
        take(test::C);

        QFile guide(QStringLiteral(OPERATOR_GUIDE));
        QVERIFY(guide.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(guide.readAll());
        QStringList unknown;
        static const QRegularExpression quoted(QStringLiteral("「([^」]+)」"));
        for (auto it = quoted.globalMatch(text); it.hasNext();) {
            const QString name = it.next().captured(1);
            if (!shown.contains(name))
                unknown << name;
        }
        QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join(QStringLiteral(", "))));
    }

private:
    static QString M() { return QStringLiteral("Main"); }
};

QTEST_MAIN(TstConsoleDesk)
#include "tst_console_desk.moc"
