#pragma once

#include "Result.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

namespace hp::cg {

// One thing drawn on a page, in drawing order.
struct Element {
    enum class Kind { Rect, Diamond, Label, Field };
    Kind kind = Kind::Rect;
    QRect rect;     // Rect, Label, Field; Diamond: centre x, y and radius in width
    QColor fill;    // Rect, Diamond
    QColor outline; // Rect, Diamond (invalid: none)
    QString text;   // Label: the text; Field: the field name
    int size = 24;  // Label, Field: font pixel size
    QColor color;   // Label, Field: text colour
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool bold = false;
    QString family; // empty: the project's font
};

struct Page {
    QString name;
    QSize size;
    QColor background;       // may be transparent
    QString backgroundImage; // a file beside the project, or empty
    QStringList aliases;     // other names the console takes the page off by
    QList<Element> elements;

    QStringList fieldNames() const;
};

// A template project: pages by name, as a designer writes them in a plain
// text file (docs/cg-projects.md).
struct Project {
    QString path;
    QString folder;
    QString font = QStringLiteral("Noto Sans CJK TC");
    QHash<QString, Page> pages;

    const Page* page(const QString& nameOrAlias) const;
};

Result<Project> parseProject(const QString& text, const QString& path);
Result<Project> loadProject(const QString& path);

} // namespace hp::cg
