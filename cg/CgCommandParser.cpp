#include "CgCommandParser.h"

#include <QRegularExpression>

namespace hp::cg {

namespace {
const QString kByName = QStringLiteral("[BYNAME][");

QString stripLineEnd(QString s)
{
    if (s.endsWith(QStringLiteral("\r\n")))
        s.chop(2);
    else if (s.endsWith(u'\n'))
        s.chop(1);
    return s;
}
} // namespace

std::optional<FieldCommand> parseFieldCommand(const QString& text)
{
    static const QRegularExpression header(
        QStringLiteral("^\\[BYNAME\\]\\[([^\\[\\]\\r\\n]+)\\]\\[(\\d+)\\]([^\\r\\n]*)\\r?\\n"));
    const auto h = header.match(text);
    if (!h.hasMatch())
        return std::nullopt;
    FieldCommand cmd;
    cmd.page = h.captured(1);
    cmd.declaredCount = h.captured(2).toInt();
    cmd.effect = h.captured(3);

    static const QRegularExpression start(QStringLiteral("\\[([^\\[\\]\\r\\n]+)\\]\\[0\\]\\["));
    const QString body = text.mid(h.capturedEnd());
    QList<QRegularExpressionMatch> starts;
    for (auto it = start.globalMatch(body); it.hasNext();)
        starts << it.next();
    if (starts.isEmpty())
        return body.trimmed().isEmpty() ? std::optional<FieldCommand>(cmd) : std::nullopt;
    if (starts.first().capturedStart() != 0)
        return std::nullopt;
    for (qsizetype i = 0; i < starts.size(); ++i) {
        const qsizetype from = starts[i].capturedEnd();
        const qsizetype to = i + 1 < starts.size() ? starts[i + 1].capturedStart() : body.size();
        QString value = stripLineEnd(body.mid(from, to - from));
        if (!value.endsWith(u']'))
            return std::nullopt;
        value.chop(1);
        cmd.fields << FieldValue{starts[i].captured(1), value};
    }
    return cmd;
}

std::optional<PlainCommand> parsePlainCommand(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("^\\[BYNAME\\]\\[([^\\[\\]\\r\\n]+)\\](.*?)\\s*$"),
        QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return PlainCommand{m.captured(1), m.captured(2)};
}

std::optional<Transition> parseEffect(const QString& effect)
{
    const QString e = effect.trimmed();
    if (e == QStringLiteral("[E]") || e == QStringLiteral("EFFECT") || e.isEmpty())
        return Transition{false, 1};
    if (e == QStringLiteral("[FO]"))
        return Transition{true, 1};
    static const QRegularExpression cut(QStringLiteral("^\\[FO\\]\\[(\\d+)\\]$"));
    const auto m = cut.match(e);
    if (!m.hasMatch())
        return std::nullopt;
    const int layer = m.captured(1).toInt();
    if (layer < 1 || layer > 9)
        return std::nullopt;
    return Transition{true, layer};
}

std::optional<PreviewRequest> parsePreviewRequest(const QString& text)
{
    const QString t = stripLineEnd(text);
    if (!t.startsWith(kByName) || !t.endsWith(QStringLiteral("][A][BMP]")))
        return std::nullopt;
    const QString inner = t.mid(kByName.size(), t.size() - kByName.size() - 9);
    const qsizetype split = inner.indexOf(QStringLiteral("]["));
    if (split <= 0)
        return std::nullopt;
    return PreviewRequest{inner.left(split), inner.mid(split + 2)};
}

std::optional<QString> parseTakeOff(const QString& text)
{
    const QString t = stripLineEnd(text);
    if (!t.startsWith(kByName) || !t.endsWith(u']') || t.size() <= kByName.size() + 1)
        return std::nullopt;
    return t.mid(kByName.size(), t.size() - kByName.size() - 1);
}

} // namespace hp::cg
