#pragma once

#include "GameState.h"

#include <QByteArray>
#include <QJsonObject>

// The one writer of the game state: the feed's /game.json, /game.xml and
// /events messages, and what the tests read back. docs/feed.schema.json
// describes the JSON form; the XML form has the same names.
namespace hp::feed {

QJsonObject toJson(const GameState& state);
// Compact UTF-8 JSON.
QByteArray jsonText(const GameState& state);
// UTF-8 XML, one <game> element.
QByteArray xmlText(const GameState& state);

} // namespace hp::feed
