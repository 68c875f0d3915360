#pragma once

#include "CgCommands.h"
#include "ConsoleFixture.h"
#include "Cp950.h"

#include <QColor>
#include <QImage>
#include <cstdio>

namespace hp::test {

struct Sent {
    qint32 code;
    QString text;
    bool operator==(const Sent&) const = default;
};

inline char* toString(const Sent& s)
{
    return QTest::toString(QString::number(s.code) + u' ' + s.text);
}

// The console with the graphics column, the CG a recording stand-in.
struct Graphics : ConsoleFixture {
    using ConsoleFixture::ConsoleFixture;

    QString folder() const { return h.settings.dir.path() + u'/'; }
    // Commands sent since the last call.
    QList<Sent> sent()
    {
        QList<Sent> out;
        for (const auto& c : h.net->sends())
            out.append({c.code, cglink::fromCp950(c.text)});
        h.net->clearCalls();
        return out;
    }
    bool select(const QString& list, int index)
    {
        return h.ok(act(list, QStringLiteral("select"), {{QStringLiteral("index"), index}}));
    }
    bool check(const QString& control, int value)
    {
        return h.ok(act(control, QStringLiteral("check"), {{QStringLiteral("value"), value}}));
    }
    QJsonValue image(const QString& control, const QString& window = C)
    {
        return h.get(window, control)[QStringLiteral("image")];
    }
    static QJsonValue size(int w, int h)
    {
        return QJsonObject{{QStringLiteral("w"), w}, {QStringLiteral("h"), h}};
    }
    // Written beside and renamed over, as a CG does; each picture differs.
    void writeImage(const QString& file, int w, int h)
    {
        QImage picture(w, h, QImage::Format_RGB32);
        picture.fill(QColor::fromRgb(0x203040 + 0x10 * ++written));
        const QString beside = folder() + file + QStringLiteral(".new");
        QVERIFY(picture.save(beside, "BMP"));
        QVERIFY(::rename(QFile::encodeName(beside).constData(),
                         QFile::encodeName(folder() + file).constData()) == 0);
    }
    // From now on the CG stand-in writes every preview it is asked for, at
    // the size given for its file.
    void writePreviews(const QHash<QString, QSize>& sizes)
    {
        h.net->onSend = [this, sizes](qint32 code, const QByteArray& text) {
            if (code != cglink::kPreview)
                return;
            const QString request = cglink::fromCp950(text);
            for (auto it = sizes.begin(); it != sizes.end(); ++it)
                if (request.contains(folder() + it.key()))
                    writeImage(it.key(), it->width(), it->height());
        };
    }
    void writeStandardPreviews()
    {
        writePreviews({{QStringLiteral("TempImageA.BMP"), QSize(720, 486)},
                       {QStringLiteral("TempImageB.BMP"), QSize(720, 486)}});
    }
    int written = 0;
    QString preview(const QString& page, const QString& file)
    {
        return QStringLiteral("[BYNAME][") + page + QStringLiteral("][") + folder() + file +
               QStringLiteral("][A][BMP]\r\n");
    }
};

inline QString lines(const QStringList& l)
{
    return l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace hp::test
