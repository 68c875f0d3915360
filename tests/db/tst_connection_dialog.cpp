#include "ConnectionDialog.h"
#include "Schema.h"
#include "TestDatabase.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace hp;

class TstConnectionDialog : public QObject {
    Q_OBJECT
private slots:
    void showsTheCurrentStringAndBuildsItBack()
    {
        const QString current = QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=6543;User "
                                               "ID=op;Password=\"a;b\";Database=league");
        db::ConnectionDialog dialog(current);
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("Engine"))->currentIndex(), 1);
        QCOMPARE(dialog.findChild<QSpinBox*>(QStringLiteral("Port"))->value(), 6543);
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("Password"))->text(),
                 QStringLiteral("a;b"));
        const auto back = db::parseConnectionString(dialog.connectionString());
        QVERIFY(back);
        QCOMPARE(back->password, QStringLiteral("a;b"));
        QCOMPARE(back->database, QStringLiteral("league"));
    }

    void testButtonShowsSuccessOrTheEnginesWords()
    {
        test::TestDatabase tdb(QStringLiteral("sqlite"));
        QVERIFY(tdb.ok());
        db::ConnectionDialog dialog(tdb.connectionString());
        auto* test = dialog.findChild<QPushButton*>(QStringLiteral("Test"));
        auto* result = dialog.findChild<QLabel*>(QStringLiteral("Result"));
        test->click();
        QCOMPARE(result->text(), QStringLiteral("連線成功"));
        dialog.findChild<QLineEdit*>(QStringLiteral("File"))
            ->setText(QStringLiteral("/no/such/league.db"));
        test->click();
        QVERIFY2(result->text().contains(QStringLiteral("/no/such/league.db")),
                 qPrintable(result->text()));
        // An unusable string is not accepted.
        dialog.findChild<QLineEdit*>(QStringLiteral("File"))->clear();
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!result->text().isEmpty());
    }

    void createsANewSqliteDatabaseAfterAsking()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("新聯盟.db"));
        QStringList questions;
        bool yes = false;
        db::ConnectionDialog dialog(QStringLiteral("Provider=SQLite;Data Source=") + file, nullptr,
                                    [&](const QString& q) {
                                        questions << q;
                                        return yes;
                                    });
        auto* create = dialog.findChild<QPushButton*>(QStringLiteral("Create"));
        auto* result = dialog.findChild<QLabel*>(QStringLiteral("Result"));
        create->click();
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions[0].contains(file));
        QVERIFY(!QFile::exists(file));

        yes = true;
        create->click();
        QVERIFY2(result->text().startsWith(QStringLiteral("已建立新的比賽資料庫")),
                 qPrintable(result->text()));
        {
            auto created = db::Database::open(dialog.connectionString());
            QVERIFY(created);
            const auto tables = created.value()->query(
                QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                               "NOT LIKE 'sqlite%'"));
            QCOMPARE(tables->size(), db::tableNames().size());
        }
        db::Database::closePool();
        // A file that is there already is never touched, nor asked about.
        create->click();
        QCOMPARE(questions.size(), 2);
        QVERIFY(result->text().startsWith(QStringLiteral("檔案已存在")));
    }
};

QTEST_MAIN(TstConnectionDialog)
#include "tst_connection_dialog.moc"
