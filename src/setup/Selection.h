#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace hp::setup {

// A roster entry "number:name", split at its first colon.
struct RosterEntry {
    QString number;
    QString name;
};
std::optional<RosterEntry> splitEntry(const QString& entry);
QString joinEntry(const QString& number, const QString& name);

// One team's part of the set-up: its name, nine batters in order with their
// positions, and the starting pitcher's roster entry.
struct TeamSelection {
    QString team;
    QStringList order;     // roster entries, slot 1 first
    QStringList positions; // one per slot
    QString pitcher;       // roster entry
};

// What the set-up window hands to the database: both teams, first-batting first.
struct Selection {
    TeamSelection first;
    TeamSelection second;
};

// Why the selection cannot be written, as a message and its title; nullopt
// when it is complete and every entry can be split.
struct Refusal {
    QString text;
    QString title;
};
std::optional<Refusal> checkSelection(const Selection& selection);

inline const QString kIncomplete = QStringLiteral("設定尚未完成,請確定後再開始");

} // namespace hp::setup
