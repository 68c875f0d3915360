#include "ConsoleDatabase.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcConsoleDb, "homeplate.console.db")

namespace hp::console {

ConsoleDatabase::ConsoleDatabase(std::function<QString()> connectionString, QObject* parent)
    : QObject(parent)
    , m_connectionString(std::move(connectionString))
{
}

ConsoleDatabase::~ConsoleDatabase() = default;

ConsoleDatabase::Action::Action(ConsoleDatabase& db)
    : m_db(db)
{
    m_db.begin();
}

ConsoleDatabase::Action::~Action()
{
    m_db.end();
}

void ConsoleDatabase::setPreparation(
    std::function<Statements(db::ConnectionSettings::Engine)> preparation)
{
    m_preparation = std::move(preparation);
    m_prepared.clear();
}

void ConsoleDatabase::begin()
{
    if (m_depth++ == 0) {
        m_actionFailed = false;
        m_wrote = false;
    }
}

void ConsoleDatabase::end()
{
    if (--m_depth > 0)
        return;
    if (m_db && m_inTransaction) {
        if (m_actionFailed) {
            m_db->rollback();
        } else if (const auto committed = m_db->commit(); !committed) {
            fail(committed.error());
        }
    }
    m_inTransaction = false;
    m_db.reset();
    if (m_wrote && !m_actionFailed && m_downReported) {
        m_downReported = false;
        emit recovered();
    }
}

void ConsoleDatabase::fail(const QString& error)
{
    qCWarning(lcConsoleDb).noquote() << error;
    m_actionFailed = true;
    m_downReported = true;
    emit failed(error);
}

db::Database* ConsoleDatabase::session()
{
    if (m_actionFailed)
        return nullptr;
    if (!m_db) {
        const QString connection = m_connectionString();
        auto opened = db::Database::open(connection);
        if (!opened) {
            fail(opened.error());
            return nullptr;
        }
        m_db = std::move(opened.value());
        if (m_preparation && m_prepared != connection) {
            for (const Statement& s : m_preparation(m_db->engine())) {
                if (const auto r = m_db->exec(s.sql, s.values); !r) {
                    fail(r.error());
                    return nullptr;
                }
            }
            m_prepared = connection;
        }
        if (const auto begun = m_db->begin(); !begun) {
            fail(begun.error());
            return nullptr;
        }
        m_inTransaction = true;
    }
    return m_db.get();
}

Result<db::Rows> ConsoleDatabase::query(const QString& sql, const QVariantList& values)
{
    const Action action(*this);
    db::Database* db = session();
    if (!db)
        return Result<db::Rows>::failure(QStringLiteral("資料庫無法使用"));
    if (m_observer)
        m_observer({sql, values});
    auto rows = db->query(sql, values);
    if (!rows)
        fail(rows.error());
    return rows;
}

std::optional<db::Row> ConsoleDatabase::firstRow(const QString& sql, const QVariantList& values)
{
    const auto rows = query(sql, values);
    if (!rows || rows->isEmpty())
        return std::nullopt;
    return rows->first();
}

void ConsoleDatabase::store(const Statements& statements)
{
    const Action action(*this);
    m_wrote = true;
    for (const Statement& s : statements) {
        db::Database* db = session();
        if (!db)
            return;
        if (m_observer)
            m_observer(s);
        if (const auto r = db->exec(s.sql, s.values); !r) {
            fail(r.error());
            return;
        }
    }
}

} // namespace hp::console
