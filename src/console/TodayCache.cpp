#include "TodayCache.h"

#include "Schema.h"

#include <QJsonArray>
#include <algorithm>

namespace hp::console {

namespace {

struct Token {
    enum Kind { Word, Name, Text, Param, Symbol } kind;
    QString text;
};

bool isSymbol(QChar c)
{
    return c == u',' || c == u'(' || c == u')' || c == u'*' || c == u'=' || c == u'<' ||
           c == u'>' || c == u';';
}

std::optional<QList<Token>> tokens(const QString& sql)
{
    QList<Token> out;
    for (qsizetype i = 0; i < sql.size();) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'\'' || c == u'"') {
            // A literal ('' inside stands for ') or a quoted name.
            QString text;
            for (++i;; ++i) {
                if (i >= sql.size())
                    return std::nullopt;
                if (sql[i] == c) {
                    if (i + 1 < sql.size() && sql[i + 1] == c) {
                        text += c;
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += sql[i];
            }
            out << Token{c == u'\'' ? Token::Text : Token::Name, text};
        } else if (c == u'?') {
            out << Token{Token::Param, {}};
            ++i;
        } else if (c == u'<' && i + 1 < sql.size() && sql[i + 1] == u'>') {
            out << Token{Token::Symbol, QStringLiteral("<>")};
            i += 2;
        } else if (isSymbol(c)) {
            out << Token{Token::Symbol, QString(c)};
            ++i;
        } else {
            const qsizetype start = i;
            while (i < sql.size() && !sql[i].isSpace() && !isSymbol(sql[i]) && sql[i] != u'\'' &&
                   sql[i] != u'"' && sql[i] != u'?')
                ++i;
            out << Token{Token::Word, sql.mid(start, i - start)};
        }
    }
    return out;
}

struct Condition {
    QString column;
    bool equal = true;
    QString value;
};

struct OrderKey {
    QString column;
    bool byLength = false;
    bool descending = false;
};

// A statement of the console taken apart; `ok` false when it is none of the
// shapes understood.
struct Parsed {
    enum Verb { None, Select, Update, Insert, Delete } verb = None;
    QString table;
    QStringList columns; // selected, set or inserted; empty for *
    QStringList values;  // set or inserted
    QList<Condition> where;
    QList<OrderKey> order;
    int limit = -1;
    bool ok = false;
};

class Parser {
public:
    Parser(QList<Token> tokens, const QVariantList& values)
        : m_tokens(std::move(tokens))
        , m_values(values)
    {
    }

    Parsed parse()
    {
        Parsed p;
        if (keyword("SELECT")) {
            p.verb = Parsed::Select;
            if (!symbol("*")) {
                do
                    p.columns << name();
                while (symbol(","));
            }
            if (!keyword("FROM"))
                return p;
            p.table = name();
            where(p);
            if (keyword("ORDER")) {
                if (!keyword("BY"))
                    return p;
                do
                    p.order << orderKey();
                while (symbol(","));
            }
            if (keyword("LIMIT"))
                p.limit = word().toInt(&m_ok);
        } else if (keyword("UPDATE")) {
            p.verb = Parsed::Update;
            p.table = name();
            if (!keyword("SET"))
                return p;
            do {
                p.columns << name();
                m_ok = m_ok && symbol("=");
                p.values << value();
            } while (symbol(","));
            where(p);
        } else if (keyword("INSERT")) {
            p.verb = Parsed::Insert;
            if (!keyword("INTO"))
                return p;
            p.table = name();
            if (!symbol("("))
                return p;
            do
                p.columns << name();
            while (symbol(","));
            if (!symbol(")") || !keyword("VALUES") || !symbol("("))
                return p;
            do
                p.values << value();
            while (symbol(","));
            m_ok = m_ok && symbol(")") && p.values.size() == p.columns.size();
        } else if (keyword("DELETE")) {
            p.verb = Parsed::Delete;
            if (!keyword("FROM"))
                return p;
            p.table = name();
            where(p);
        } else {
            return p;
        }
        symbol(";");
        p.ok = m_ok && m_at == m_tokens.size();
        return p;
    }

    // The table a write goes to, whether or not the rest is understood.
    QString writtenTable()
    {
        if (keyword("UPDATE"))
            return name();
        if ((keyword("INSERT") && keyword("INTO")) || (keyword("DELETE") && keyword("FROM")))
            return name();
        return {};
    }

private:
    const Token* peek() const { return m_at < m_tokens.size() ? &m_tokens[m_at] : nullptr; }

    bool keyword(const char* word)
    {
        const Token* t = peek();
        if (!t || t->kind != Token::Word ||
            t->text.compare(QLatin1String(word), Qt::CaseInsensitive) != 0)
            return false;
        ++m_at;
        return true;
    }

    bool symbol(const char* s)
    {
        const Token* t = peek();
        if (!t || t->kind != Token::Symbol || t->text != QLatin1String(s))
            return false;
        ++m_at;
        return true;
    }

    QString word()
    {
        const Token* t = peek();
        if (!t || t->kind != Token::Word) {
            m_ok = false;
            return {};
        }
        ++m_at;
        return t->text;
    }

    QString name()
    {
        const Token* t = peek();
        if (!t || (t->kind != Token::Word && t->kind != Token::Name)) {
            m_ok = false;
            return {};
        }
        ++m_at;
        return t->text.toLower();
    }

    QString value()
    {
        const Token* t = peek();
        if (t && t->kind == Token::Param) {
            ++m_at;
            if (m_param >= m_values.size()) {
                m_ok = false;
                return {};
            }
            return db::valueText(m_values[m_param++]);
        }
        if (t && t->kind == Token::Text) {
            ++m_at;
            return t->text;
        }
        m_ok = false;
        return {};
    }

    void where(Parsed& p)
    {
        if (!keyword("WHERE"))
            return;
        do {
            Condition c;
            c.column = name();
            if (symbol("<>"))
                c.equal = false;
            else
                m_ok = m_ok && symbol("=");
            c.value = value();
            p.where << c;
        } while (keyword("AND"));
    }

    OrderKey orderKey()
    {
        OrderKey k;
        if (keyword("LENGTH")) {
            k.byLength = true;
            m_ok = m_ok && symbol("(");
            k.column = name();
            m_ok = m_ok && symbol(")");
        } else {
            k.column = name();
        }
        if (keyword("DESC"))
            k.descending = true;
        else
            keyword("ASC");
        return k;
    }

    QList<Token> m_tokens;
    const QVariantList& m_values;
    qsizetype m_at = 0;
    qsizetype m_param = 0;
    bool m_ok = true;
};

Parsed parse(const db::Statement& s)
{
    auto t = tokens(s.sql);
    if (!t)
        return {};
    return Parser(*t, s.values).parse();
}

} // namespace

QStringList TodayCache::todayTables()
{
    return {
        QStringLiteral("SF今日成績"), QStringLiteral("SL今日成績"),   QStringLiteral("PF今日成績"),
        QStringLiteral("PL今日成績"), QStringLiteral("SBO表"),        QStringLiteral("RHE"),
        QStringLiteral("下三棒"),     QStringLiteral("退場打者今日"), QStringLiteral("比賽紀錄")};
}

QStringList TodayCache::keptTables()
{
    return todayTables() << QStringLiteral("打擊整隊表年度") << QStringLiteral("投手整隊表年度");
}

std::optional<TodayCache::Table> TodayCache::emptyTable(const QString& table)
{
    const QList<db::TableColumn> columns = db::tableColumns(table);
    if (columns.isEmpty())
        return std::nullopt;
    Table t;
    for (const db::TableColumn& c : columns) {
        if (c.sequence)
            t.sequence = int(t.columns.size());
        t.columns << c.name.toLower();
        t.fallbacks << c.fallback;
    }
    return t;
}

void TodayCache::keep(const QString& table, const db::Rows& rows)
{
    auto t = emptyTable(table);
    if (!t)
        return;
    for (const db::Row& r : rows) {
        QStringList values;
        for (const QString& c : t->columns)
            values << r.value(c);
        if (t->sequence >= 0)
            t->nextSequence = std::max(t->nextSequence, values[t->sequence].toLongLong() + 1);
        t->rows << values;
    }
    m_tables.insert(table.toLower(), *t);
}

void TodayCache::forget(const QString& table)
{
    m_tables.remove(table.toLower());
}

bool TodayCache::holds(const QString& table) const
{
    return m_tables.contains(table.toLower());
}

void TodayCache::apply(const db::Statements& statements)
{
    for (const db::Statement& s : statements)
        apply(s);
}

void TodayCache::apply(const db::Statement& statement)
{
    const auto t = tokens(statement.sql);
    if (!t)
        return;
    const QString target = Parser(*t, statement.values).writtenTable();
    auto it = m_tables.find(target);
    if (it == m_tables.end())
        return; // not kept (the archives of the day) or already unknown
    const Parsed p = Parser(*t, statement.values).parse();
    Table& table = *it;
    QList<int> columns;
    for (const QString& c : p.columns)
        columns << int(table.columns.indexOf(c));
    QList<std::pair<int, Condition>> where;
    for (const Condition& c : p.where)
        where << std::pair{int(table.columns.indexOf(c.column)), c};
    const bool known =
        p.ok && p.verb != Parsed::Select && !columns.contains(-1) &&
        std::none_of(where.begin(), where.end(), [](const auto& w) { return w.first < 0; });
    if (!known) {
        m_tables.erase(it); // a read of it is better refused than answered wrong
        return;
    }
    auto matches = [&](const QStringList& row) {
        return std::all_of(where.begin(), where.end(), [&](const auto& w) {
            return (row[w.first] == w.second.value) == w.second.equal;
        });
    };
    switch (p.verb) {
    case Parsed::Update:
        for (QStringList& row : table.rows)
            if (matches(row))
                for (int i = 0; i < columns.size(); ++i)
                    row[columns[i]] = p.values[i];
        break;
    case Parsed::Insert: {
        QStringList row = table.fallbacks;
        if (table.sequence >= 0)
            row[table.sequence] = QString::number(table.nextSequence++);
        for (int i = 0; i < columns.size(); ++i)
            row[columns[i]] = p.values[i];
        table.rows << row;
        break;
    }
    case Parsed::Delete:
        table.rows.removeIf(matches);
        break;
    default:
        break;
    }
}

std::optional<db::Rows> TodayCache::answer(const db::Statement& query) const
{
    const Parsed p = parse(query);
    if (!p.ok || p.verb != Parsed::Select)
        return std::nullopt;
    const auto it = m_tables.constFind(p.table);
    if (it == m_tables.constEnd())
        return std::nullopt;
    const Table& table = *it;
    auto index = [&](const QString& c) { return int(table.columns.indexOf(c)); };

    QList<const QStringList*> rows;
    for (const QStringList& row : table.rows) {
        bool match = true;
        for (const Condition& c : p.where) {
            const int i = index(c.column);
            if (i < 0)
                return std::nullopt;
            match = match && (row[i] == c.value) == c.equal;
        }
        if (match)
            rows << &row;
    }
    for (const OrderKey& k : p.order)
        if (index(k.column) < 0)
            return std::nullopt;
    std::stable_sort(rows.begin(), rows.end(), [&](const QStringList* a, const QStringList* b) {
        for (const OrderKey& k : p.order) {
            const QString& x = (*a)[index(k.column)];
            const QString& y = (*b)[index(k.column)];
            const int c = k.byLength ? int(x.size() - y.size()) : x.compare(y);
            if (c != 0)
                return k.descending ? c > 0 : c < 0;
        }
        return false;
    });
    if (p.limit >= 0 && rows.size() > p.limit)
        rows.resize(p.limit);

    const QStringList names = p.columns.isEmpty() ? table.columns : p.columns;
    QList<int> picked;
    for (const QString& c : names) {
        picked << index(c);
        if (picked.last() < 0)
            return std::nullopt;
    }
    auto shared = std::make_shared<const QStringList>(names);
    db::Rows out;
    for (const QStringList* row : rows) {
        QStringList values;
        for (int i : picked)
            values << (*row)[i];
        out << db::Row(shared, values);
    }
    return out;
}

QJsonObject TodayCache::snapshot() const
{
    QJsonObject out;
    for (const QString& name : todayTables()) {
        const auto it = m_tables.constFind(name.toLower());
        if (it == m_tables.constEnd())
            continue;
        QJsonArray rows;
        for (const QStringList& row : it->rows)
            rows.append(QJsonArray::fromStringList(row));
        out.insert(name,
                   QJsonObject{{QStringLiteral("columns"), QJsonArray::fromStringList(it->columns)},
                               {QStringLiteral("rows"), rows}});
    }
    return out;
}

void TodayCache::restore(const QJsonObject& snapshot)
{
    for (const QString& name : todayTables()) {
        const QJsonObject o = snapshot.value(name).toObject();
        if (o.isEmpty())
            continue;
        auto t = emptyTable(name);
        QStringList columns;
        for (const QJsonValue& c : o.value(QStringLiteral("columns")).toArray())
            columns << c.toString();
        if (!t || columns != t->columns)
            continue;
        for (const QJsonValue& r : o.value(QStringLiteral("rows")).toArray()) {
            QStringList row;
            for (const QJsonValue& v : r.toArray())
                row << v.toString();
            if (row.size() != columns.size())
                continue;
            if (t->sequence >= 0)
                t->nextSequence = std::max(t->nextSequence, row[t->sequence].toLongLong() + 1);
            t->rows << row;
        }
        m_tables.insert(name.toLower(), *t);
    }
}

} // namespace hp::console
