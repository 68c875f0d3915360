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
        // A string without options after the data source shows the piece as it stands.
        QCOMPARE(dataSourceCaption(QStringLiteral("Provider=SQLite;Data Source=a.db")),
                 QStringLiteral("SQLite"));
        QCOMPARE(dataSourceCaption(QStringLiteral("nothing")), QString());
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
