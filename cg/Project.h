#pragma once

#include "Result.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

namespace hp::cg {

// Bounds on what a project may ask for: pages up to 8K UHD, project files
// and background images of a sane size.
inline constexpr QSize kMaxPageSize(7680, 4320);
inline constexpr qint64 kMaxProjectBytes = 4 << 20;
inline constexpr qint64 kMaxImageBytes = 64 << 20;

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

// A field whose value a database query gives: the first column of the
// first row, the values bound to the statement's placeholders in turn.
struct FieldQuery {
    QString field;
    QString sql;
    QStringList values;
};

struct Page {
    QString name;
    QSize size;
    QColor background;       // may be transparent
    QString backgroundImage; // a file in the project's folder, or empty
    QImage picture;          // that file's image, read with the project
    QStringList aliases;     // other names the console takes the page off by
    QList<Element> elements;
    QList<FieldQuery> queries; // run when the page is loaded or previewed

    QStringList fieldNames() const;
};

// A template project: pages by name, as a designer writes them in a plain
// text file (docs/cg-projects.md).
struct Project {
    QString path;
    QString folder;
    QString font = QStringLiteral("Noto Sans CJK TC");
    QSize canvas = QSize(720, 486); // the program output: the first canvas named
    QString database;               // connection string of the game database, or empty
    QHash<QString, Page> pages;
    QByteArray fingerprint; // of the file and its images, as read

    const Page* page(const QString& nameOrAlias) const;
};

Result<Project> parseProject(const QString& text, const QString& path);
// Reads the project file and its background images. Only a regular file of at
// most kMaxProjectBytes is read; an image only from inside the project's folder.
Result<Project> loadProject(const QString& path);

} // namespace hp::cg
