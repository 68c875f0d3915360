#include "TestDatabase.h"

#include "ConnectionString.h"
#include "DemoSeason.h"
#include "Schema.h"

#include <QTest>
#include <QUuid>

namespace hp::test {

QStringList TestDatabase::engines()
{
    QStringList out{QStringLiteral("sqlite")};
    if (!qEnvironmentVariable("HOMEPLATE_TEST_PG").isEmpty())
        out << QStringLiteral("postgresql");
    return out;
}

void TestDatabase::addEngineRows()
{
    QTest::addColumn<QString>("engine");
    for (const QString& e : engines())
        QTest::newRow(qPrintable(e)) << e;
}

TestDatabase::TestDatabase(const QString& engine, Content content)
{
    if (engine == QStringLiteral("sqlite")) {
        db::ConnectionSettings s;
        s.file = m_dir.filePath(QStringLiteral("game.db"));
        m_connection = db::buildConnectionString(s);
    } else {
        const QString admin = qEnvironmentVariable("HOMEPLATE_TEST_PG");
        auto parsed = db::parseConnectionString(admin);
        if (!parsed) {
            m_error = parsed.error();
            return;
        }
        const QString name =
            QStringLiteral("hp_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
        {
            auto server = db::Database::open(admin, db::Database::Pooling::Fresh);
            if (!server) {
                m_error = server.error();
                return;
            }
            if (auto r = server.value()->exec(QStringLiteral("CREATE DATABASE ") + name); !r) {
                m_error = r.error();
                return;
            }
        }
        db::ConnectionSettings s = parsed.value();
        s.database = name;
        m_connection = db::buildConnectionString(s);
    }
    if (content == Content::Empty)
        return;
    auto database = db::Database::open(m_connection, db::Database::Pooling::Fresh,
                                       db::Database::Missing::Create);
    if (!database) {
        m_error = database.error();
        return;
    }
    if (auto r = db::createSchema(*database.value()); !r)
        m_error = r.error();
    else if (content == Content::Demo)
        if (auto d = db::fillDemoSeason(*database.value()); !d)
            m_error = d.error();
}

std::unique_ptr<db::Database> TestDatabase::open() const
{
    auto r = db::Database::open(m_connection);
    if (!r)
        return nullptr;
    return std::move(r.value());
}

} // namespace hp::test
