#include "Journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace hp::console {

namespace {

const QString kType = QStringLiteral("type");
const QString kValue = QStringLiteral("value");
const QString kValues = QStringLiteral("values");

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

} // namespace

void StatementNames::add(const QString& name, const QString& sql)
{
    m_sql.insert(name, sql);
    if (!m_names.contains(sql))
        m_names.insert(sql, name);
}

std::optional<QString> StatementNames::sqlOf(const QString& name) const
{
    const auto it = m_sql.constFind(name);
    if (it == m_sql.constEnd())
        return std::nullopt;
    return *it;
}

Journal::Journal(QString fileName, StatementNames names)
    : m_fileName(std::move(fileName))
    , m_names(std::move(names))
{
}

QString Journal::besideSettings(const QString& settingsFile)
{
    const QFileInfo info(settingsFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".journal.jsonl"));
}

QString Journal::rejectedFileName() const
{
    QString base = m_fileName;
    if (base.endsWith(QStringLiteral(".jsonl")))
        base.chop(6);
    return base + QStringLiteral(".rejected.jsonl");
}

namespace {

// A name beside `file` that no file has yet.
QString freeName(const QString& file, const QString& suffix)
{
    QString name = file + suffix;
    for (int n = 2; QFile::exists(name); ++n)
        name = file + suffix + u'-' + QString::number(n);
    return name;
}

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

} // namespace

void Journal::load()
{
    m_pending.clear();
    m_problems.clear();
    m_unwritten = 0;
    m_headed = false;
    m_game.clear();
    m_database.clear();
    m_tables = {};
    m_through = 0;

    // The older form held statement texts: never run, kept for reading.
    const QString older =
        m_fileName.endsWith(QStringLiteral(".jsonl")) ? m_fileName.chopped(1) : QString();
    if (!older.isEmpty() && QFile::exists(older)) {
        const QString aside = freeName(older, QStringLiteral(".set-aside"));
        QFile::rename(older, aside);
        m_problems << QStringLiteral("舊格式的動作日誌 %1 記的是SQL文字,不會執行,已改名為 %2")
                          .arg(older, aside);
    }

    QFile file(m_fileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_problems
            << QStringLiteral("動作日誌 %1 無法讀取: %2").arg(m_fileName, file.errorString());
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    if (bytes.trimmed().isEmpty()) {
        // Created, never written (a full folder, a stop in between): nothing waits.
        QFile::remove(m_fileName);
        return;
    }
    const QList<QByteArray> lines = bytes.split('\n');
    QJsonParseError error;
    const QJsonObject head = QJsonDocument::fromJson(lines.value(0), &error).object();
    if (head.value(QStringLiteral("journal")).toInt() != 2 ||
        !head.value(QStringLiteral("game")).isString()) {
        const QString aside = freeName(m_fileName, QStringLiteral(".unreadable"));
        QFile::rename(m_fileName, aside);
        m_problems << QStringLiteral("動作日誌 %1 無法讀取(不是動作日誌的格式),已改名為 %2")
                          .arg(m_fileName, aside);
        return;
    }
    m_headed = true;
    m_game = head.value(QStringLiteral("game")).toString();
    m_database = head.value(QStringLiteral("database")).toString();
    m_tables = head.value(QStringLiteral("tables")).toObject();
    m_through = qint64(head.value(QStringLiteral("through")).toDouble());

    // Lines set aside in the rejected file leave the journal, so that the
    // next reading does not set them aside again; a line that could not be
    // kept there stays where it is.
    bool setAside = false;
    bool allKept = true;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        QString why;
        const QJsonDocument doc = QJsonDocument::fromJson(lines[i], &error);
        std::optional<Unit> unit;
        if (!doc.isObject())
            why = i + 1 == lines.size() || lines.mid(i + 1).join().trimmed().isEmpty()
                      ? QStringLiteral("最後一筆不完整(寫入時中斷)")
                      : QStringLiteral("不是一筆動作: ") + error.errorString();
        else
            unit = unitFromJson(doc.object(), &why);
        if (unit && unit->game != m_game)
            why = QStringLiteral("屬於另一場比賽"), unit.reset();
        if (unit && !m_pending.isEmpty() && unit->seq <= m_pending.last().seq)
            why = QStringLiteral("序號沒有接在前一筆之後"), unit.reset();
        if (unit) {
            m_pending << *unit;
            continue;
        }
        const QJsonObject raw =
            doc.isObject() ? doc.object()
                           : QJsonObject{{QStringLiteral("text"), QString::fromUtf8(lines[i])}};
        const QJsonObject line{
            {QStringLiteral("error"), why},
            {QStringLiteral("at"), QDateTime::currentDateTime().toString(Qt::ISODateWithMs)},
            {QStringLiteral("unit"), raw}};
        const auto kept =
            appendLine(rejectedFileName(), QJsonDocument(line).toJson(QJsonDocument::Compact));
        m_problems << QStringLiteral("動作日誌 %1 第%2行沒有執行(%3),%4")
                          .arg(m_fileName, QString::number(i + 1), why,
                               kept ? QStringLiteral("已放在 ") + rejectedFileName()
                                    : kept.error());
        setAside = true;
        allKept = allKept && kept;
    }
    if (setAside && allKept) {
        if (const auto rewritten = rewrite(); !rewritten)
            m_problems << QStringLiteral("動作日誌 %1 無法改寫(%2),沒有執行的行下次開啟時會再列出")
                              .arg(m_fileName, rewritten.error());
    }
}

void Journal::setGame(const QString& game, const QString& database)
{
    if (m_pending.isEmpty() && !m_headed) {
        m_game = game;
        m_database = database;
    }
}

void Journal::setTables(QJsonObject tables, qint64 through)
{
    m_tables = std::move(tables);
    m_through = through;
}

Result<Done> Journal::append(const Unit& unit)
{
    m_pending << unit;
    ++m_unwritten;
    return flush();
}

Result<Done> Journal::flush()
{
    if (m_unwritten == 0)
        return success();
    QByteArray bytes;
    if (!m_headed || !QFile::exists(m_fileName))
        bytes = headLine() + '\n';
    for (qsizetype i = m_pending.size() - m_unwritten; i < m_pending.size(); ++i)
        bytes += QJsonDocument(toJson(m_pending[i])).toJson(QJsonDocument::Compact) + '\n';
    bytes.chop(1);
    if (const auto written = appendLine(m_fileName, bytes); !written)
        return Result<Done>::failure(QStringLiteral("動作日誌無法寫入 %1(%2): 動作只在記憶體中")
                                         .arg(m_fileName, written.error()));
    m_headed = true;
    m_unwritten = 0;
    return success();
}

QByteArray Journal::headLine() const
{
    const QJsonObject head{{QStringLiteral("journal"), 2},
                           {QStringLiteral("game"), m_game},
                           {QStringLiteral("database"), m_database},
                           {QStringLiteral("through"), double(m_through)},
                           {QStringLiteral("tables"), m_tables}};
    return QJsonDocument(head).toJson(QJsonDocument::Compact);
}

Result<Done> Journal::rewrite()
{
    if (m_pending.isEmpty()) {
        m_headed = false;
        if (QFile::remove(m_fileName) || !QFile::exists(m_fileName))
            return success();
        return Result<Done>::failure(QFile(m_fileName).errorString());
    }
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        return Result<Done>::failure(file.errorString());
    QByteArray bytes = headLine() + '\n';
    for (const Unit& unit : m_pending)
        bytes += QJsonDocument(toJson(unit)).toJson(QJsonDocument::Compact) + '\n';
    if (file.write(bytes) != bytes.size() || !file.commit())
        return Result<Done>::failure(file.errorString());
    return success();
}

Result<Done> Journal::appendLine(const QString& fileName, const QByteArray& line)
{
    QFile file(fileName);
    // Unbuffered: what a failed write left is in the file, where it can be
    // cut off again, not in a buffer that a later flush would add.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return Result<Done>::failure(file.errorString());
    const qint64 before = file.size();
    const QByteArray bytes = line + '\n';
    QString error;
    if (file.write(bytes) != bytes.size())
        error = file.errorString();
    else if (::fsync(file.handle()) != 0)
        error = QString::fromLocal8Bit(std::strerror(errno));
    if (error.isEmpty())
        return success();
    // Nothing half-written stays: the next attempt appends whole lines, and
    // a file this write began does not stay behind empty (it would read as
    // a broken journal).
    if (before == 0)
        file.remove();
    else
        file.resize(before);
    return Result<Done>::failure(error.isEmpty() ? QStringLiteral("寫入失敗") : error);
}

Result<Done> Journal::stored(qint64 seq)
{
    const qsizetype before = m_pending.size();
    m_pending.removeIf([seq](const Unit& u) { return u.seq <= seq; });
    m_unwritten = int(qMin<qsizetype>(m_unwritten, m_pending.size()));
    if (!m_pending.isEmpty() || (before == 0 && !QFile::exists(m_fileName)))
        return success();
    if (QFile::exists(m_fileName) && !QFile::remove(m_fileName)) {
        QFile file(m_fileName);
        return Result<Done>::failure(
            QStringLiteral("動作日誌 %1 的動作都已寫入資料庫,但檔案無法刪除(%2);"
                           "其中的動作不會再寫一次")
                .arg(m_fileName, file.errorString().isEmpty() ? QStringLiteral("權限不足")
                                                              : file.errorString()));
    }
    m_headed = false;
    return success();
}

Result<Done> Journal::reject(Unit unit, const QString& error)
{
    m_pending.removeIf([&](const Unit& u) { return u.seq == unit.seq; });
    m_unwritten = int(qMin<qsizetype>(m_unwritten, m_pending.size()));
    const QJsonObject line{
        {QStringLiteral("error"), error},
        {QStringLiteral("at"), QDateTime::currentDateTime().toString(Qt::ISODateWithMs)},
        {QStringLiteral("unit"), toJson(unit)}};
    if (const auto kept =
            appendLine(rejectedFileName(), QJsonDocument(line).toJson(QJsonDocument::Compact));
        !kept)
        return Result<Done>::failure(
            QStringLiteral("拒絕的動作無法寫入 %1: %2").arg(rejectedFileName(), kept.error()));
    return success();
}

Result<QString> Journal::setAside()
{
    flush(); // what is only in memory goes with it, if it can
    const QString aside = freeName(m_fileName, QStringLiteral(".aside-") + stamp());
    const bool exists = QFile::exists(m_fileName);
    m_pending.clear();
    m_unwritten = 0;
    m_game.clear();
    m_database.clear();
    if (exists && !QFile::rename(m_fileName, aside))
        return Result<QString>::failure(
            QStringLiteral("動作日誌 %1 無法改名,沒有寫入的動作留在原處").arg(m_fileName));
    m_headed = false;
    return exists ? aside : QString();
}

QList<Journal::Rejected> Journal::readRejected() const
{
    QList<Rejected> out;
    QFile file(rejectedFileName());
    if (!file.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (!o.isEmpty())
            out << Rejected{o.value(QStringLiteral("error")).toString(),
                            o.value(QStringLiteral("unit")).toObject()};
    }
    return out;
}

QJsonObject Journal::toJson(const Unit& unit) const
{
    QJsonArray statements;
    for (const db::Statement& s : unit.statements) {
        QJsonArray values;
        for (const QVariant& v : s.values)
            values.append(valueToJson(v));
        statements.append(
            QJsonObject{{QStringLiteral("name"), m_names.nameOf(s.sql)}, {kValues, values}});
    }
    return {{QStringLiteral("seq"), double(unit.seq)},
            {QStringLiteral("game"), unit.game},
            {QStringLiteral("at"), unit.at.toString(Qt::ISODateWithMs)},
            {QStringLiteral("statements"), statements}};
}

std::optional<Journal::Unit> Journal::unitFromJson(const QJsonObject& o, QString* why) const
{
    auto refuse = [&](const QString& reason) -> std::optional<Unit> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    const QJsonValue seq = o.value(QStringLiteral("seq"));
    const QJsonValue statements = o.value(QStringLiteral("statements"));
    if (!seq.isDouble() || seq.toDouble() < 1 || !statements.isArray() ||
        !o.value(QStringLiteral("game")).isString())
        return refuse(QStringLiteral("缺少序號、比賽或敘述"));
    Unit unit;
    unit.seq = qint64(seq.toDouble());
    unit.game = o.value(QStringLiteral("game")).toString();
    unit.at = QDateTime::fromString(o.value(QStringLiteral("at")).toString(), Qt::ISODateWithMs);
    for (const QJsonValue& v : statements.toArray()) {
        const QJsonObject s = v.toObject();
        const QString name = s.value(QStringLiteral("name")).toString();
        const auto sql = m_names.sqlOf(name);
        if (!sql)
            return refuse(QStringLiteral("不認得的敘述名稱「%1」").arg(name));
        db::Statement statement{*sql, {}};
        for (const QJsonValue& value : s.value(kValues).toArray()) {
            auto typed = valueFromJson(value);
            if (!typed)
                return refuse(QStringLiteral("敘述「%1」的值沒有型別").arg(name));
            statement.values << *typed;
        }
        unit.statements << statement;
    }
    return unit;
}

} // namespace hp::console
