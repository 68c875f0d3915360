#pragma once

#include <QList>
#include <QString>
#include <optional>

// Reading the command texts a console sends. Pure functions.
namespace hp::cg {

struct FieldValue {
    QString name;
    QString value;
};

// How a page goes on air: a short fade on layer 1, or a cut on a layer.
struct Transition {
    bool cut = false;
    int layer = 1;
};

// "[BYNAME][page][n]EFFECT" CR LF followed by "[name][0][value]" lines. A value
// may hold "]" and line breaks: it runs to the start of the next field line.
struct FieldCommand {
    QString page;
    int declaredCount = 0;
    QString effect; // what follows the count on the header line
    QList<FieldValue> fields;
};
std::optional<FieldCommand> parseFieldCommand(const QString& text);

// "[BYNAME][page]EFFECT" with the effect filled: "[E]", "[FO]" or "[FO][n]".
struct PlainCommand {
    QString page;
    QString effect;
};
std::optional<PlainCommand> parsePlainCommand(const QString& text);

// "[E]" fades on layer 1; "[FO][n]" cuts on layer n; "[FO]" cuts on layer 1.
// The unfilled word "EFFECT" plays as "[E]".
std::optional<Transition> parseEffect(const QString& effect);

// "[BYNAME][page][path][A][BMP]" CR LF.
struct PreviewRequest {
    QString page;
    QString path;
};
std::optional<PreviewRequest> parsePreviewRequest(const QString& text);

// "[BYNAME][reference]": the page to take off.
std::optional<QString> parseTakeOff(const QString& text);

} // namespace hp::cg
