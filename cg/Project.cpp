#include "Project.h"

#include "SafeFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QMap>

namespace hp::cg {

namespace {

// Splits a line into words; "double quoted" words may hold blanks, and a
// quote inside is written twice. A line whose first word starts with "#" is a
// comment.
QStringList words(const QString& line)
{
    QStringList out;
    QString current;
    bool quoted = false;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < line.size() && line[i + 1] == u'"') {
                    current += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                current += c;
            }
        } else if (c == u'"') {
            quoted = true;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                out << current;
            current.clear();
            inWord = false;
        } else {
            current += c;
            inWord = true;
        }
    }
    if (inWord)
        out << current;
    return out;
}

std::optional<int> number(const QString& w)
{
    bool ok = false;
    const int v = w.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<QColor> colour(const QString& w)
{
    if (w == QStringLiteral("none"))
        return QColor();
    // #rrggbb or #aarrggbb
    const QColor c = QColor::fromString(w);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

std::optional<QSize> pageSize(const QString& w, const QString& h)
{
    const auto pw = number(w), ph = number(h);
    if (!pw || !ph || *pw <= 0 || *ph <= 0 || *pw > kMaxPageSize.width() ||
        *ph > kMaxPageSize.height())
        return std::nullopt;
    return QSize(*pw, *ph);
}

// A file named relative to the project's folder and staying in it.
bool staysInFolder(const QString& file)
{
    const QString clean = QDir::cleanPath(file);
    return !file.isEmpty() && QDir::isRelativePath(file) && clean != QStringLiteral("..") &&
           !clean.startsWith(QStringLiteral("../"));
}

// Reads the page's background image; digest: of the file's bytes.
Result<Done> loadPicture(Page& page, const QString& folder, QByteArray& digest)
{
    const auto file = existingFileInside(page.backgroundImage, folder);
    if (!file)
        return Result<Done>::failure(file.error());
    const auto bytes = readRegularFile(*file, kMaxImageBytes);
    if (!bytes)
        return Result<Done>::failure(bytes.error());
    digest = QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256);
    QBuffer buffer;
    buffer.setData(*bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.width() > kMaxPageSize.width() || size.height() > kMaxPageSize.height())
        return Result<Done>::failure(QStringLiteral("%1 is larger than %2 x %3")
                                         .arg(page.backgroundImage)
                                         .arg(kMaxPageSize.width())
                                         .arg(kMaxPageSize.height()));
    page.picture = reader.read();
    if (page.picture.isNull())
        return Result<Done>::failure(
            QStringLiteral("cannot read %1: %2").arg(page.backgroundImage, reader.errorString()));
    return success();
}

struct Options {
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool bold = false;
    QString family;
};

std::optional<Options> options(const QStringList& w, qsizetype from)
{
    Options o;
    for (qsizetype i = from; i < w.size(); ++i) {
        const QString& k = w[i];
        if (k == QStringLiteral("left"))
            o.align = Qt::AlignLeft | Qt::AlignVCenter;
        else if (k == QStringLiteral("center"))
            o.align = Qt::AlignCenter;
        else if (k == QStringLiteral("right"))
            o.align = Qt::AlignRight | Qt::AlignVCenter;
        else if (k == QStringLiteral("bold"))
            o.bold = true;
        else if (k == QStringLiteral("font") && i + 1 < w.size())
            o.family = w[++i];
        else
            return std::nullopt;
    }
    return o;
}

} // namespace

QStringList Page::fieldNames() const
{
    QStringList out;
    for (const Element& e : elements)
        if (e.kind == Element::Kind::Field)
            out << e.text;
    return out;
}

const Page* Project::page(const QString& nameOrAlias) const
{
    const auto it = pages.constFind(nameOrAlias);
    if (it != pages.constEnd())
        return &it.value();
    for (const Page& p : pages)
        if (p.aliases.contains(nameOrAlias))
            return &p;
    return nullptr;
}

Result<Project> parseProject(const QString& text, const QString& path)
{
    using R = Result<Project>;
    Project project;
    project.path = path;
    project.folder = QFileInfo(path).absolutePath() + u'/';
    QSize canvas(720, 486);
    bool canvasNamed = false;
    Page* page = nullptr;
    const QStringList lines = text.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QStringList w = words(lines[n]);
        if (w.isEmpty() || lines[n].trimmed().startsWith(u'#'))
            continue;
        auto fail = [&](const QString& why) {
            return R::failure(QStringLiteral("%1:%2: %3").arg(path).arg(n + 1).arg(why));
        };
        const QString& key = w[0];
        if (key == QStringLiteral("font") && w.size() == 2) {
            project.font = w[1];
        } else if (key == QStringLiteral("canvas") && w.size() == 3) {
            const auto size = pageSize(w[1], w[2]);
            if (!size)
                return fail(QStringLiteral("canvas takes a width and a height up to %1 x %2")
                                .arg(kMaxPageSize.width())
                                .arg(kMaxPageSize.height()));
            canvas = *size;
            if (!canvasNamed && !page)
                project.canvas = canvas;
            canvasNamed = true;
        } else if (key == QStringLiteral("database") && w.size() == 2) {
            project.database = w[1];
        } else if (key == QStringLiteral("page") && (w.size() == 2 || w.size() == 4)) {
            if (project.pages.contains(w[1]))
                return fail(QStringLiteral("page %1 is defined twice").arg(w[1]));
            Page p;
            p.name = w[1];
            p.size = canvas;
            p.background = Qt::transparent;
            if (w.size() == 4) {
                const auto size = pageSize(w[2], w[3]);
                if (!size)
                    return fail(QStringLiteral("a page size is a width and a height up to %1 x %2")
                                    .arg(kMaxPageSize.width())
                                    .arg(kMaxPageSize.height()));
                p.size = *size;
            }
            page = &project.pages.insert(p.name, p).value();
        } else if (!page) {
            return fail(QStringLiteral("\"%1\" before the first page").arg(key));
        } else if (key == QStringLiteral("alias") && w.size() >= 2) {
            page->aliases << w.mid(1);
        } else if (key == QStringLiteral("query") && w.size() >= 3) {
            // query FIELD "SQL" [VALUE ...]: after the field it fills.
            if (!page->fieldNames().contains(w[1]))
                return fail(QStringLiteral("query for %1, which is not a field of page %2 above")
                                .arg(w[1], page->name));
            page->queries << FieldQuery{w[1], w[2], w.mid(3)};
        } else if (key == QStringLiteral("background") && w.size() == 2) {
            if (w[1].startsWith(QStringLiteral("image:"))) {
                const QString file = w[1].mid(6);
                if (!staysInFolder(file))
                    return fail(QStringLiteral("a background image is a file in the project's "
                                               "folder, named relative to it"));
                page->backgroundImage = project.folder + QDir::cleanPath(file);
            } else if (const auto c = colour(w[1]); c && c->isValid()) {
                page->background = *c;
            } else {
                return fail(QStringLiteral("background takes a colour or image:FILE"));
            }
        } else if ((key == QStringLiteral("rect") && (w.size() == 6 || w.size() == 7)) ||
                   (key == QStringLiteral("diamond") && (w.size() == 5 || w.size() == 6))) {
            const bool rect = key == QStringLiteral("rect");
            const int numbers = rect ? 4 : 3;
            int v[4] = {0, 0, 0, 0};
            for (int i = 0; i < numbers; ++i) {
                const auto x = number(w[1 + i]);
                if (!x)
                    return fail(QStringLiteral("%1 takes whole numbers").arg(key));
                v[i] = *x;
            }
            const auto fill = colour(w[1 + numbers]);
            const auto outline = w.size() > 2 + numbers ? colour(w[2 + numbers]) : QColor();
            if (!fill || !outline)
                return fail(QStringLiteral("bad colour"));
            Element e;
            e.kind = rect ? Element::Kind::Rect : Element::Kind::Diamond;
            e.rect = rect ? QRect(v[0], v[1], v[2], v[3]) : QRect(v[0], v[1], v[2], v[2]);
            e.fill = *fill;
            e.outline = *outline;
            page->elements << e;
        } else if ((key == QStringLiteral("label") || key == QStringLiteral("field")) &&
                   w.size() >= 8) {
            // label X Y W H "TEXT" SIZE COLOUR [options] / field NAME X Y W H SIZE COLOUR [options]
            const bool label = key == QStringLiteral("label");
            const int first = label ? 1 : 2;
            int v[4];
            for (int i = 0; i < 4; ++i) {
                const auto x = number(w[first + i]);
                if (!x)
                    return fail(QStringLiteral("%1 takes whole numbers").arg(key));
                v[i] = *x;
            }
            const auto size = number(w[6]);
            const auto color = colour(w[7]);
            const auto opts = options(w, 8);
            if (!size || *size <= 0 || !color || !color->isValid() || !opts)
                return fail(QStringLiteral("%1 has a bad size, colour or option").arg(key));
            Element e;
            e.kind = label ? Element::Kind::Label : Element::Kind::Field;
            e.rect = QRect(v[0], v[1], v[2], v[3]);
            e.text = label ? w[5] : w[1];
            e.size = *size;
            e.color = *color;
            e.align = opts->align;
            e.bold = opts->bold;
            e.family = opts->family;
            page->elements << e;
        } else {
            return fail(QStringLiteral("cannot read \"%1\"").arg(lines[n].trimmed()));
        }
    }
    if (project.pages.isEmpty())
        return R::failure(QStringLiteral("%1: no pages").arg(path));
    return project;
}

Result<Project> loadProject(const QString& path)
{
    const auto bytes = readRegularFile(path, kMaxProjectBytes);
    if (!bytes)
        return Result<Project>::failure(bytes.error());
    auto project = parseProject(QString::fromUtf8(*bytes),
                                QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (!project)
        return project;
    QMap<QString, QByteArray> images; // by page, in a fixed order
    for (Page& page : project.value().pages) {
        if (page.backgroundImage.isEmpty())
            continue;
        if (const auto loaded = loadPicture(page, project->folder, images[page.name]); !loaded)
            return Result<Project>::failure(
                QStringLiteral("%1: page %2: %3").arg(project->path, page.name, loaded.error()));
    }
    QCryptographicHash fingerprint(QCryptographicHash::Sha256);
    fingerprint.addData(*bytes);
    for (auto it = images.cbegin(); it != images.cend(); ++it)
        fingerprint.addData(it.key().toUtf8() + '\0' + it.value());
    project.value().fingerprint = fingerprint.result();
    return project;
}

} // namespace hp::cg
