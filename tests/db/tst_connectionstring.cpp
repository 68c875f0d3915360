#include "ConnectionString.h"

#include <QtTest>

using namespace hp::db;

class TstConnectionString : public QObject {
    Q_OBJECT
private slots:
    void keysAreMatchedWithoutRegardToCaseAndValuesMayBeQuoted()
    {
        const auto s = parseConnectionString(
            QStringLiteral("provider=postgresql; HOST=127.0.0.1;port=6543;USER id=\"op;1\";"
                           "Password='it''s';Database=league"));
        QVERIFY(s);
        QCOMPARE(s->engine, ConnectionSettings::Engine::PostgreSQL);
        QCOMPARE(s->host, QStringLiteral("127.0.0.1"));
        QCOMPARE(s->port, 6543);
        QCOMPARE(s->user, QStringLiteral("op;1"));
        QCOMPARE(s->password, QStringLiteral("it's"));
        QCOMPARE(s->database, QStringLiteral("league"));
    }

    void builtStringsParseBackAndShowTheirDataSource()
    {
        ConnectionSettings lite;
        lite.file = QStringLiteral("/srv/棒球/game 2026.db");
        const QString a = buildConnectionString(lite);
        QCOMPARE(a, QStringLiteral("Provider=SQLite;Data Source=/srv/棒球/game 2026.db;Persist "
                                   "Security Info=False"));
        QCOMPARE(parseConnectionString(a)->file, lite.file);
        QCOMPARE(dataSourceCaption(a), lite.file);

        ConnectionSettings pg;
        pg.engine = ConnectionSettings::Engine::PostgreSQL;
        pg.user = QStringLiteral("operator");
        pg.password = QStringLiteral("a;b\"c");
        pg.database = QStringLiteral("league");
        const QString b = buildConnectionString(pg);
        const auto back = parseConnectionString(b);
        QVERIFY(back);
        QCOMPARE(back->password, pg.password);
        QCOMPARE(back->database, QStringLiteral("league"));
        QCOMPARE(dataSourceCaption(b), QStringLiteral("league"));
        QCOMPARE(dataSourceCaption(QStringLiteral("Provider=SQLite;Data Source=a.db")),
                 QStringLiteral("a.db"));
        QCOMPARE(dataSourceCaption(QStringLiteral("nothing")), QString());
        QCOMPARE(dataSourceCaption(QStringLiteral("Provider=Other;Data Source=C:\\a.mdb")),
                 QStringLiteral("C:\\a.mdb"));
    }

    void statusCaptionNeverShowsThePassword()
    {
        // Whatever the order of the keys, the database is shown and the password is not.
        const QString host =
            QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=5432;User ID=op");
        const QStringList strings{
            host + QStringLiteral(";Password=geheim;Database=league"),
            host + QStringLiteral(";Database=league;Password=geheim"),
            QStringLiteral("Password=geheim;") + host + QStringLiteral(";Database=league"),
            host + QStringLiteral(";Password=geheim;Database=league;Persist Security Info=False"),
            host + QStringLiteral(";PWD=\"a=b;geheim\";Initial Catalog=league"),
            QStringLiteral("Provider=PostgreSQL;Password=geheim;Port=x;Database=league"),
        };
        for (const QString& s : strings) {
            const QString caption = dataSourceCaption(s);
            QVERIFY2(!caption.contains(QStringLiteral("geheim")), qPrintable(s));
            QCOMPARE(caption, QStringLiteral("league"));
        }
        QCOMPARE(
            dataSourceCaption(QStringLiteral("Provider=SQLite;Password=geheim;Data Source=a.db")),
            QStringLiteral("a.db"));
        QCOMPARE(dataSourceCaption(QStringLiteral("Provider=PostgreSQL;Host=h;Password=geheim")),
                 QString());
    }

    void incompleteStringsAreRefusedWithAReason()
    {
        QVERIFY(!parseConnectionString(QString()));
        QVERIFY(!parseConnectionString(QStringLiteral("Provider=SQLite")));
        QVERIFY(!parseConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data "
                                                      "Source=C:\\a.mdb"))
                     .error()
                     .isEmpty());
        QVERIFY(!parseConnectionString(QStringLiteral("Provider=PostgreSQL;Port=x;Database=d")));
        QVERIFY(!parseConnectionString(QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1")));
    }
};

QTEST_GUILESS_MAIN(TstConnectionString)
#include "tst_connectionstring.moc"
