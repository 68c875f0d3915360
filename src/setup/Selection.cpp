#include "Selection.h"

namespace hp::setup {

std::optional<RosterEntry> splitEntry(const QString& entry)
{
    const qsizetype colon = entry.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    return RosterEntry{entry.left(colon), entry.mid(colon + 1)};
}

QString joinEntry(const QString& number, const QString& name)
{
    return number + u':' + name;
}

std::optional<Refusal> checkSelection(const Selection& s)
{
    const QString title = QStringLiteral("錯誤");
    for (const TeamSelection* t : {&s.first, &s.second})
        if (t->order.size() < 9 || t->positions.size() < 9)
            return Refusal{kIncomplete, title};
    for (const TeamSelection* t : {&s.first, &s.second}) {
        for (const QString& entry : t->order)
            if (!splitEntry(entry))
                return Refusal{
                    QStringLiteral("名單「%1」沒有冒號,無法分開背號與姓名,請修改後再開始")
                        .arg(entry),
                    title};
        if (t->pitcher.isEmpty())
            return Refusal{QStringLiteral("%1尚未選擇先發投手").arg(t->team), title};
        if (!splitEntry(t->pitcher))
            return Refusal{QStringLiteral("投手「%1」沒有冒號,無法分開背號與姓名").arg(t->pitcher),
                           title};
    }
    return std::nullopt;
}

} // namespace hp::setup
