#include "Journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace hp::console {

namespace {

const QString kType = QStringLiteral("type");
const QString kValue = QStringLiteral("value");

QJsonObject valueToJson(const QVariant& v)
{
    auto typed = [](const char* type, const QJsonValue& value) {
        return QJsonObject{{kType, QString::fromLatin1(type)}, {kValue, value}};
    };
    if (v.isNull() && v.typeId() != QMetaType::QString)
        return typed("null", QJsonValue::Null);
    switch (v.typeId()) {
    case QMetaType::Bool:
        return typed("boolean", v.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return typed("integer", v.toString());
    case QMetaType::Double:
    case QMetaType::Float:
        return typed("real", v.toDouble());
    default:
        return typed("text", v.toString());
    }
}

std::optional<QVariant> valueFromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    const QString type = o.value(kType).toString();
    const QJsonValue value = o.value(kValue);
    if (type == QStringLiteral("text") && value.isString())
        return QVariant(value.toString());
    if (type == QStringLiteral("integer") && value.isString()) {
        bool ok = false;
        const qlonglong n = value.toString().toLongLong(&ok);
        return ok ? std::optional<QVariant>(QVariant(n)) : std::nullopt;
    }
    if (type == QStringLiteral("real") && value.isDouble())
        return QVariant(value.toDouble());
    if (type == QStringLiteral("boolean") && value.isBool())
        return QVariant(value.toBool());
    if (type == QStringLiteral("null"))
        return QVariant();
    return std::nullopt;
}

QJsonObject unitToJson(const Journal::Unit& unit, bool withError)
{
    QJsonArray statements;
    for (const db::Statement& s : unit.statements)
        statements.append(Journal::toJson(s));
    QJsonObject o{{QStringLiteral("at"), unit.at.toString(Qt::ISODateWithMs)},
                  {QStringLiteral("statements"), statements}};
    if (withError)
        o.insert(QStringLiteral("error"), unit.error);
    return o;
}

std::optional<Journal::Unit> unitFromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    const QJsonValue statements = o.value(QStringLiteral("statements"));
    if (!statements.isArray())
        return std::nullopt;
    Journal::Unit unit;
    unit.at = QDateTime::fromString(o.value(QStringLiteral("at")).toString(), Qt::ISODateWithMs);
    unit.error = o.value(QStringLiteral("error")).toString();
    for (const QJsonValue& s : statements.toArray()) {
        auto statement = Journal::statementFromJson(s.toObject());
        if (!statement)
            return std::nullopt;
        unit.statements << *statement;
    }
    return unit;
}

std::optional<QList<Journal::Unit>> unitsFromJson(const QJsonValue& json)
{
    if (json.isUndefined())
        return QList<Journal::Unit>{};
    if (!json.isArray())
        return std::nullopt;
    QList<Journal::Unit> out;
    for (const QJsonValue& u : json.toArray()) {
        auto unit = unitFromJson(u);
        if (!unit)
            return std::nullopt;
        out << *unit;
    }
    return out;
}

} // namespace

Journal::Journal(QString fileName)
    : m_fileName(std::move(fileName))
{
}

QString Journal::besideSettings(const QString& settingsFile)
{
    const QFileInfo info(settingsFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".journal.json"));
}

QJsonObject Journal::toJson(const db::Statement& statement)
{
    QJsonArray values;
    for (const QVariant& v : statement.values)
        values.append(valueToJson(v));
    return {{QStringLiteral("sql"), statement.sql}, {QStringLiteral("values"), values}};
}

std::optional<db::Statement> Journal::statementFromJson(const QJsonObject& object)
{
    const QJsonValue sql = object.value(QStringLiteral("sql"));
    const QJsonValue values = object.value(QStringLiteral("values"));
    if (!sql.isString() || !values.isArray())
        return std::nullopt;
    db::Statement out{sql.toString(), {}};
    for (const QJsonValue& v : values.toArray()) {
        auto value = valueFromJson(v);
        if (!value)
            return std::nullopt;
        out.values << *value;
    }
    return out;
}

Result<Done> Journal::load()
{
    m_pending.clear();
    m_rejected.clear();
    m_tables = {};
    QFile file(m_fileName);
    if (!file.exists())
        return success();
    QString problem;
    if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
    } else {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
        file.close();
        const QJsonObject root = doc.object();
        auto pending = unitsFromJson(root.value(QStringLiteral("pending")));
        auto rejected = unitsFromJson(root.value(QStringLiteral("rejected")));
        if (error.error != QJsonParseError::NoError)
            problem = error.errorString();
        else if (!doc.isObject() || !pending || !rejected)
            problem = QStringLiteral("不是動作日誌的格式");
        else {
            m_pending = *pending;
            m_rejected = *rejected;
            m_tables = root.value(QStringLiteral("tables")).toObject();
            return success();
        }
    }
    const QString aside = m_fileName + QStringLiteral(".unreadable");
    QFile::remove(aside);
    QFile::rename(m_fileName, aside);
    return Result<Done>::failure(
        QStringLiteral("動作日誌 %1 無法讀取(%2),已改名為 %3").arg(m_fileName, problem, aside));
}

Result<Done> Journal::save()
{
    if (m_pending.isEmpty() && m_rejected.isEmpty()) {
        if (QFile::exists(m_fileName) && !QFile::remove(m_fileName))
            return Result<Done>::failure(QStringLiteral("動作日誌 %1 無法刪除").arg(m_fileName));
        return success();
    }
    QJsonArray pending;
    for (const Unit& u : m_pending)
        pending.append(unitToJson(u, false));
    QJsonArray rejected;
    for (const Unit& u : m_rejected)
        rejected.append(unitToJson(u, true));
    QJsonObject root{{QStringLiteral("pending"), pending}, {QStringLiteral("rejected"), rejected}};
    if (!m_pending.isEmpty() && !m_tables.isEmpty())
        root.insert(QStringLiteral("tables"), m_tables);

    // The temporary file is flushed to disk and renamed over the journal.
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) < 0 || !file.commit())
        return Result<Done>::failure(
            QStringLiteral("動作日誌 %1 無法寫入: %2").arg(m_fileName, file.errorString()));
    return success();
}

void Journal::append(const db::Statements& statements, const QDateTime& at)
{
    m_pending << Unit{at, statements, {}};
}

void Journal::dropFirst()
{
    if (!m_pending.isEmpty())
        m_pending.removeFirst();
}

void Journal::rejectFirst(const QString& error)
{
    if (m_pending.isEmpty())
        return;
    Unit unit = m_pending.takeFirst();
    unit.error = error;
    m_rejected << unit;
}

void Journal::reject(const db::Statements& statements, const QDateTime& at, const QString& error)
{
    m_rejected << Unit{at, statements, error};
}

} // namespace hp::console
