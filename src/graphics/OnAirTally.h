#pragma once

#include <QImage>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTime>
#include <optional>

namespace hp::graphics {

// What the console has put on each layer of the program, kept from its own
// plays, take-offs and clears. A page is on one layer at a time, as on the CG.
// After a reconnect the CG may have kept its layers or lost them: the tally
// says it does not know until the next play or clear.
class OnAirTally : public QObject {
    Q_OBJECT
public:
    struct Entry {
        int layer = 1;
        QString page;   // the template page on air
        QString item;   // what it was played as: the list item, "SBO" for the quick count
        QString effect; // "[E]", "[FO][2]", …
        QTime time;
        QImage picture;    // its preview when it was played; none for the quick count
        bool live = false; // the quick count, which follows the count while on air
        quint64 order = 0; // the later the play, the higher
    };

    using QObject::QObject;

    // The layer an effect puts a page on: a fade and a cut without a layer go
    // to the first.
    static int layerOf(const QString& effect);
    // "[BYNAME][PAGE]…": the page a command names.
    static QString pageOf(const QString& command);
    // "第一層" … "第九層".
    static QString layerCaption(int layer);
    // What code 5 takes the entry off with: "[BYNAME][" + item + "]".
    static QString reference(const Entry& entry);

    // The entry's order, by which a play that never went out is withdrawn.
    quint64 played(Entry entry);
    // The play never reached the CG, whose link was found gone: it leaves
    // the tally if it is still there, and what the CG shows is not known.
    void withdraw(quint64 order);
    // The graphic played last that is still on air.
    std::optional<Entry> lastPlayed() const;
    void takeOff(int layer);
    void clear();
    // The link was made again: what is on air is not known.
    void markUnknown();

    bool unknown() const { return m_unknown; }
    const QMap<int, Entry>& layers() const { return m_layers; }
    // The live quick count, when it is on air and known to be.
    std::optional<Entry> liveCount() const;
    // One line per layer in layer order, "第二層 5.打者今日成績 21:03:07".
    QStringList lines() const;

signals:
    void changed();

private:
    QMap<int, Entry> m_layers;
    bool m_unknown = false;
    quint64 m_plays = 0;
};

} // namespace hp::graphics
