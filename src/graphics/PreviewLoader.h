#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace hp::graphics {

// Waits for the CG to write a preview file, without holding up the window:
// the event loop runs while it waits. The file counts as written once it
// differs from what it was before the request (file, time or size); it is
// handed over then, or when the wait runs out, said as not written. A newer
// request replaces one still waiting.
class PreviewLoader : public QObject {
    Q_OBJECT
public:
    explicit PreviewLoader(QObject* parent = nullptr);

    // Before the preview request: notes the file as it stands.
    void arm(const QString& file);
    // After the request: hands the file over as soon as it is written, at the
    // latest after `waitMs`.
    void await(int waitMs);
    bool waiting() const { return m_timer.isActive(); }

signals:
    // written: the CG rewrote the file after the request.
    void ready(const QString& file, bool written);

private:
    struct Stamp {
        bool exists = false;
        // The file's identity and its time to the nanosecond: a file renamed
        // over the old one within the same millisecond still counts as new.
        quint64 inode = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        QDateTime modified;
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const QString& file);
    void poll();
    void finish(bool written);

    QString m_file;
    Stamp m_before;
    int m_waitMs = 0;
    QElapsedTimer m_elapsed;
    QTimer m_timer;
};

} // namespace hp::graphics
