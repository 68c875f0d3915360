#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace hp::test {

// Checks a JSON value against the part of JSON Schema the project's schemas
// use: type (one or a list), enum, properties, required,
// additionalProperties false, items, minItems, maxItems, minimum, maximum
// and $ref into #/$defs. Gives one line per violation, with its path.
class JsonSchema {
public:
    explicit JsonSchema(QJsonObject schema)
        : m_root(std::move(schema))
    {
    }

    QStringList violations(const QJsonValue& value) const
    {
        QStringList out;
        check(m_root, value, QStringLiteral("$"), out);
        return out;
    }

private:
    static bool hasType(const QJsonValue& v, const QString& type)
    {
        if (type == u"object")
            return v.isObject();
        if (type == u"array")
            return v.isArray();
        if (type == u"string")
            return v.isString();
        if (type == u"boolean")
            return v.isBool();
        if (type == u"null")
            return v.isNull();
        if (type == u"number")
            return v.isDouble();
        if (type == u"integer")
            return v.isDouble() && v.toDouble() == double(qint64(v.toDouble()));
        return false;
    }

    void check(QJsonObject s, const QJsonValue& v, const QString& path, QStringList& out) const
    {
        if (s.contains(u"$ref")) {
            const QString ref = s[u"$ref"].toString();
            const QString prefix = QStringLiteral("#/$defs/");
            if (!ref.startsWith(prefix)) {
                out << path + QStringLiteral(": unknown $ref ") + ref;
                return;
            }
            s = m_root[u"$defs"][ref.mid(prefix.size())].toObject();
        }
        if (s.contains(u"type")) {
            const QJsonValue t = s[u"type"];
            QStringList types;
            if (t.isArray())
                for (const QJsonValue& x : t.toArray())
                    types << x.toString();
            else
                types << t.toString();
            if (std::none_of(types.begin(), types.end(),
                             [&](const QString& type) { return hasType(v, type); })) {
                out << path + QStringLiteral(": not ") + types.join(u'|');
                return;
            }
        }
        if (s.contains(u"enum") && !s[u"enum"].toArray().contains(v))
            out << path + QStringLiteral(": not one of the enum");
        if (v.isDouble()) {
            if (s.contains(u"minimum") && v.toDouble() < s[u"minimum"].toDouble())
                out << path + QStringLiteral(": below minimum");
            if (s.contains(u"maximum") && v.toDouble() > s[u"maximum"].toDouble())
                out << path + QStringLiteral(": above maximum");
        }
        if (v.isObject()) {
            const QJsonObject o = v.toObject();
            const QJsonObject props = s[u"properties"].toObject();
            for (const QJsonValue& r : s[u"required"].toArray())
                if (!o.contains(r.toString()))
                    out << path + QStringLiteral(": lacks ") + r.toString();
            for (auto it = o.begin(); it != o.end(); ++it) {
                if (props.contains(it.key()))
                    check(props[it.key()].toObject(), it.value(), path + u'.' + it.key(), out);
                else if (s[u"additionalProperties"] == QJsonValue(false))
                    out << path + QStringLiteral(": unexpected ") + it.key();
            }
        }
        if (v.isArray()) {
            const QJsonArray a = v.toArray();
            if (s.contains(u"minItems") && a.size() < s[u"minItems"].toInt())
                out << path + QStringLiteral(": too few items");
            if (s.contains(u"maxItems") && a.size() > s[u"maxItems"].toInt())
                out << path + QStringLiteral(": too many items");
            if (s.contains(u"items"))
                for (qsizetype i = 0; i < a.size(); ++i)
                    check(s[u"items"].toObject(), a[i], path + QStringLiteral("[%1]").arg(i), out);
        }
    }

    QJsonObject m_root;
};

} // namespace hp::test
