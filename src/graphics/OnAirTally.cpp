#include "OnAirTally.h"

#include "CgCommands.h"

#include <QRegularExpression>

namespace hp::graphics {

int OnAirTally::layerOf(const QString& effect)
{
    static const QRegularExpression cut(QStringLiteral("^\\[FO\\]\\[(\\d)\\]"));
    const QRegularExpressionMatch m = cut.match(effect);
    return m.hasMatch() ? qMax(1, m.captured(1).toInt()) : 1;
}

QString OnAirTally::pageOf(const QString& command)
{
    const QString head = QStringLiteral("[BYNAME][");
    if (!command.startsWith(head))
        return {};
    const qsizetype end = command.indexOf(u']', head.size());
    return end < 0 ? QString() : command.mid(head.size(), end - head.size());
}

QString OnAirTally::layerCaption(int layer)
{
    static const QString digits = QStringLiteral("一二三四五六七八九");
    const QString n =
        layer >= 1 && layer <= 9 ? QString(digits[layer - 1]) : QString::number(layer);
    return u'第' + n + u'層';
}

QString OnAirTally::reference(const Entry& entry)
{
    return cglink::takeOffReference(entry.item);
}

quint64 OnAirTally::played(Entry entry)
{
    // The page leaves whatever layer it was on; the layer holds one page.
    for (auto it = m_layers.begin(); it != m_layers.end();)
        it = it.value().page == entry.page ? m_layers.erase(it) : std::next(it);
    entry.order = ++m_plays;
    m_layers.insert(entry.layer, entry);
    m_unknown = false;
    emit changed();
    return entry.order;
}

void OnAirTally::withdraw(quint64 order)
{
    for (auto it = m_layers.begin(); it != m_layers.end(); ++it)
        if (it.value().order == order) {
            m_layers.erase(it);
            break;
        }
    m_unknown = true;
    emit changed();
}

std::optional<OnAirTally::Entry> OnAirTally::lastPlayed() const
{
    std::optional<Entry> last;
    for (const Entry& e : m_layers)
        if (!last || e.order > last->order)
            last = e;
    return last;
}

void OnAirTally::takeOff(int layer)
{
    if (m_layers.remove(layer))
        emit changed();
}

void OnAirTally::clear()
{
    m_layers.clear();
    m_unknown = false;
    emit changed();
}

void OnAirTally::markUnknown()
{
    m_unknown = true;
    emit changed();
}

std::optional<OnAirTally::Entry> OnAirTally::liveCount() const
{
    if (m_unknown)
        return std::nullopt;
    for (const Entry& e : m_layers)
        if (e.live)
            return e;
    return std::nullopt;
}

QStringList OnAirTally::lines() const
{
    QStringList out;
    if (m_unknown)
        out << QStringLiteral("連線後播出狀態不明");
    for (const Entry& e : m_layers) {
        QString line = layerCaption(e.layer) + u' ' + e.item + u' ' +
                       e.time.toString(QStringLiteral("HH:mm:ss"));
        if (e.live)
            line += QStringLiteral(" 即時");
        if (m_unknown)
            line += QStringLiteral(" ?");
        out << line;
    }
    return out;
}

} // namespace hp::graphics
