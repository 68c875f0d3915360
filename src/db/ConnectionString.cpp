#include "ConnectionString.h"

#include <QStringList>

namespace hp::db {

namespace {

// Splits at ";" outside quotes.
QStringList splitPairs(const QString& s)
{
    QStringList out;
    QString current;
    QChar quote;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!quote.isNull()) {
            current += c;
            if (c == quote) {
                if (i + 1 < s.size() && s[i + 1] == quote) {
                    current += s[++i];
                } else {
                    quote = QChar();
                }
            }
        } else if (c == u';') {
            out << current;
            current.clear();
        } else {
            if ((c == u'"' || c == u'\'') && current.trimmed().endsWith(u'='))
                quote = c;
            current += c;
        }
    }
    out << current;
    return out;
}

QString unquote(const QString& raw)
{
    const QString v = raw.trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front()) {
        const QString q = v.front();
        return v.mid(1, v.size() - 2).replace(q + q, q);
    }
    return v;
}

QString quoteIfNeeded(const QString& v)
{
    if (!v.contains(u';') && !v.contains(u'"') && !v.contains(u'\'') && v.trimmed() == v)
        return v;
    return u'"' + QString(v).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString firstOf(const QMap<QString, QString>& pairs, std::initializer_list<const char*> keys)
{
    for (const char* k : keys) {
        const auto it = pairs.constFind(QString::fromLatin1(k));
        if (it != pairs.constEnd())
            return it.value();
    }
    return {};
}

} // namespace

QMap<QString, QString> connectionPairs(const QString& connectionString)
{
    QMap<QString, QString> pairs;
    for (const QString& part : splitPairs(connectionString)) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq <= 0)
            continue;
        pairs.insert(part.left(eq).trimmed().toLower(), unquote(part.mid(eq + 1)));
    }
    return pairs;
}

Result<ConnectionSettings> parseConnectionString(const QString& connectionString)
{
    using R = Result<ConnectionSettings>;
    const auto pairs = connectionPairs(connectionString);
    const QString provider = pairs.value(QStringLiteral("provider")).toLower();
    ConnectionSettings s;
    if (provider == QStringLiteral("sqlite")) {
        s.engine = ConnectionSettings::Engine::SQLite;
        s.file = firstOf(pairs, {"data source", "database", "file"});
        if (s.file.isEmpty())
            return R::failure(QStringLiteral("連接字串沒有指定資料庫檔案 (Data Source)"));
        return s;
    }
    if (provider == QStringLiteral("postgresql") || provider == QStringLiteral("postgres") ||
        provider == QStringLiteral("pgsql")) {
        s.engine = ConnectionSettings::Engine::PostgreSQL;
        const QString host = firstOf(pairs, {"host", "server"});
        if (!host.isEmpty())
            s.host = host;
        const QString port = firstOf(pairs, {"port"});
        if (!port.isEmpty()) {
            bool ok = false;
            s.port = port.toInt(&ok);
            if (!ok || s.port <= 0 || s.port > 65535)
                return R::failure(QStringLiteral("連接字串的連接埠不正確: ") + port);
        }
        s.database = firstOf(pairs, {"database", "initial catalog", "data source"});
        s.user = firstOf(pairs, {"user id", "user", "username", "uid"});
        s.password = firstOf(pairs, {"password", "pwd"});
        if (s.database.isEmpty())
            return R::failure(QStringLiteral("連接字串沒有指定資料庫 (Database)"));
        return s;
    }
    if (provider.isEmpty())
        return R::failure(QStringLiteral("連接字串沒有指定資料庫種類 (Provider)"));
    return R::failure(QStringLiteral("不支援的資料庫種類: ") +
                      pairs.value(QStringLiteral("provider")));
}

QString buildConnectionString(const ConnectionSettings& s)
{
    const QString tail = QStringLiteral(";Persist Security Info=False");
    if (s.engine == ConnectionSettings::Engine::SQLite)
        return QStringLiteral("Provider=SQLite;Data Source=") + quoteIfNeeded(s.file) + tail;
    return QStringLiteral("Provider=PostgreSQL;Host=") + quoteIfNeeded(s.host) +
           QStringLiteral(";Port=") + QString::number(s.port) + QStringLiteral(";User ID=") +
           quoteIfNeeded(s.user) + QStringLiteral(";Password=") + quoteIfNeeded(s.password) +
           QStringLiteral(";Database=") + quoteIfNeeded(s.database) + tail;
}

QString dataSourceCaption(const QString& connectionString)
{
    // Taken by its key, never by its place: a password may stand anywhere.
    const auto parsed = parseConnectionString(connectionString);
    if (parsed)
        return parsed->engine == ConnectionSettings::Engine::SQLite ? parsed->file
                                                                    : parsed->database;
    return firstOf(connectionPairs(connectionString),
                   {"data source", "database", "initial catalog", "file"});
}

} // namespace hp::db
