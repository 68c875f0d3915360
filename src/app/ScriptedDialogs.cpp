#include "ScriptedDialogs.h"

namespace hp::app {

namespace {
QString kindName(ScriptedDialogs::Kind kind)
{
    switch (kind) {
    case ScriptedDialogs::Kind::Input:
        return QStringLiteral("input");
    case ScriptedDialogs::Kind::File:
        return QStringLiteral("file");
    case ScriptedDialogs::Kind::Connection:
        return QStringLiteral("connection");
    case ScriptedDialogs::Kind::Confirm:
        return QStringLiteral("confirm");
    }
    return {};
}
} // namespace

std::optional<ScriptedDialogs::Kind> ScriptedDialogs::kindFromName(const QString& name)
{
    for (Kind k : {Kind::Input, Kind::File, Kind::Connection, Kind::Confirm})
        if (kindName(k) == name)
            return k;
    return std::nullopt;
}

void ScriptedDialogs::enqueue(Kind kind, std::optional<QString> answer)
{
    m_queues[int(kind)].enqueue(std::move(answer));
}

void ScriptedDialogs::message(const QString& text, const QString& title)
{
    m_log.add({{QStringLiteral("kind"), QStringLiteral("message")},
               {QStringLiteral("text"), text},
               {QStringLiteral("title"), title}});
}

std::optional<QString> ScriptedDialogs::answer(Kind kind, const QJsonObject& request)
{
    QJsonObject event = request;
    event.insert(QStringLiteral("kind"), QStringLiteral("request"));
    event.insert(QStringLiteral("request"), kindName(kind));
    auto& queue = m_queues[int(kind)];
    std::optional<QString> reply = queue.isEmpty() ? std::nullopt : queue.dequeue();
    event.insert(QStringLiteral("answered"), reply.has_value());
    m_log.add(event);
    return reply;
}

bool ScriptedDialogs::confirm(const QString& text, const QString& title)
{
    const auto reply =
        answer(Kind::Confirm, {{QStringLiteral("text"), text}, {QStringLiteral("title"), title}});
    return reply && reply->compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0;
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title,
                                              const QString& defaultText)
{
    return answer(Kind::Input, {{QStringLiteral("prompt"), prompt},
                                {QStringLiteral("title"), title},
                                {QStringLiteral("default"), defaultText}});
}

std::optional<QString> ScriptedDialogs::openFile(const QString& filter, const QString& previous)
{
    return answer(Kind::File,
                  {{QStringLiteral("filter"), filter}, {QStringLiteral("previous"), previous}});
}

std::optional<QString> ScriptedDialogs::connectionString(const QString& current)
{
    return answer(Kind::Connection, {{QStringLiteral("current"), current}});
}

} // namespace hp::app
