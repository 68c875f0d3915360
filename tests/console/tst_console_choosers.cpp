#include "ConsoleFixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QtTest>

using namespace hp;
using test::ConsoleFixture;

namespace {

struct Choosers : ConsoleFixture {
    using ConsoleFixture::ConsoleFixture;

    QComboBox* combo(const QString& name)
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == test::C)
                return w->findChild<QComboBox*>(name);
        return nullptr;
    }
    // The combo's list opened with its arrow, then a click on entry i.
    void clickEntry(QComboBox* c, int i)
    {
        QVERIFY(c);
        c->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(c->window()));
        c->setFocus();
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(c->width() - 6, c->height() / 2));
        QAbstractItemView* view = c->view();
        QTRY_VERIFY(view->isVisible());
        // The chooser stays while its list is open.
        QVERIFY(c->isVisible());
        // A release within the double-click time of the opening is ignored.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        const QRect entry = view->visualRect(view->model()->index(i, 0));
        QTest::mouseMove(view->viewport(), entry.center());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, entry.center());
        QTRY_VERIFY(!view->isVisible());
    }
};

} // namespace

class TstConsoleChoosers : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { db::Database::closePool(); }

    // A click on an entry of either chooser takes it; Enter still takes
    // what is typed; keys that move through the entries take nothing.
    void aClickOnAnEntryChoosesIt_data() { test::TestDatabase::addEngineRows(); }
    void aClickOnAnEntryChoosesIt()
    {
        QFETCH(QString, engine);
        Choosers f(engine);
        QVERIFY(f.h.ok(f.act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"))));
        const QStringList relievers = f.items(QStringLiteral("BackupP_Combo"));
        QVERIFY(relievers.size() > 1);
        f.clickEntry(f.combo(QStringLiteral("BackupP_Combo")), 1);
        QCOMPARE(f.text(QStringLiteral("NameP_Lab")), f.nameOf(relievers[1]));
        QCOMPARE(f.pitcherRow(QStringLiteral("PL今日成績"), QStringLiteral("姓名")),
                 f.nameOf(relievers[1]));
        QVERIFY(!f.visible(QStringLiteral("BackupP_Combo")));

        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        QStringList offered = f.items(QStringLiteral("BackupS_Combo"));
        QVERIFY(offered.size() > 2);
        f.clickEntry(f.combo(QStringLiteral("BackupS_Combo")), 1);
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(offered[1]));
        QCOMPARE(
            f.batterRow(QStringLiteral("SF今日成績"), QStringLiteral("1"), QStringLiteral("姓名")),
            f.nameOf(offered[1]));
        QVERIFY(!f.visible(QStringLiteral("BackupS_Combo")));

        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        offered = f.items(QStringLiteral("BackupS_Combo"));
        const QString shown = f.text(QStringLiteral("NameS_Lab"));
        QVERIFY(f.key(QStringLiteral("BackupS_Combo"), QStringLiteral("Down")));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), shown);
        QVERIFY(f.visible(QStringLiteral("BackupS_Combo")));
        QVERIFY(f.type(QStringLiteral("BackupS_Combo"), offered.last()));
        QVERIFY(f.key(QStringLiteral("BackupS_Combo"), QStringLiteral("Enter")));
        QCOMPARE(f.text(QStringLiteral("NameS_Lab")), f.nameOf(offered.last()));
        QVERIFY(f.h.messages().isEmpty());
    }

    // A pitcher taken out does not come back: after two changes the
    // relievers offered are neither the one on the mound nor the starter.
    void aPitcherTakenOutIsNoReliever_data() { test::TestDatabase::addEngineRows(); }
    void aPitcherTakenOutIsNoReliever()
    {
        QFETCH(QString, engine);
        Choosers f(engine);
        const QString starter = f.text(QStringLiteral("NameP_Lab"));
        QVERIFY(f.h.ok(f.act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"))));
        const QStringList first = f.items(QStringLiteral("BackupP_Combo"));
        QVERIFY(first.size() > 2);
        f.clickEntry(f.combo(QStringLiteral("BackupP_Combo")), 0);
        QVERIFY(f.h.ok(f.act(QStringLiteral("NameP_Lab"), QStringLiteral("dblclick"))));
        const QStringList second = f.items(QStringLiteral("BackupP_Combo"));
        for (const QString& e : second) {
            QVERIFY2(f.nameOf(e) != starter, qPrintable(e));
            QVERIFY2(e != first[0], qPrintable(e));
        }
        QCOMPARE(second.size(), first.size() - 1);
    }

    // Only the batting team's players who have not played today: not those
    // in the line-up, not those who left the game.
    void theSubstitutesAreThoseWhoHaveNotPlayed_data() { test::TestDatabase::addEngineRows(); }
    void theSubstitutesAreThoseWhoHaveNotPlayed()
    {
        QFETCH(QString, engine);
        Choosers f(engine);
        QStringList bench = setup::teamBatters(*f.tdb.open(), f.selection.first.team).value();
        for (const QString& entry : f.selection.first.order)
            bench.removeAll(entry);
        QVERIFY(!bench.isEmpty());
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        QCOMPARE(f.items(QStringLiteral("BackupS_Combo")), bench);
        // The first of them comes in for the first batter, who leaves.
        QVERIFY(f.h.ok(f.act(QStringLiteral("BackupS_Combo"), QStringLiteral("select"),
                             {{QStringLiteral("index"), 0}})));
        QVERIFY(f.click(QStringLiteral("Command4")));
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        QCOMPARE(f.items(QStringLiteral("BackupS_Combo")), bench.mid(1));

        // The other team's list is its own.
        for (int i = 0; i < 3; ++i)
            QVERIFY(f.press(QStringLiteral("SBO_Lab(3)")));
        QVERIFY(f.click(QStringLiteral("Next_Command")));
        QStringList other = setup::teamBatters(*f.tdb.open(), f.selection.second.team).value();
        for (const QString& entry : f.selection.second.order)
            other.removeAll(entry);
        QVERIFY(f.press(QStringLiteral("NameS_Lab")));
        QCOMPARE(f.items(QStringLiteral("BackupS_Combo")), other);
    }
};

QTEST_MAIN(TstConsoleChoosers)
#include "tst_console_choosers.moc"
