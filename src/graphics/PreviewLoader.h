#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace hp::graphics {

// Waits for the CG to write a preview file, without holding up the window:
// the event loop runs while it waits. The file counts as written once it
// differs from what it was before the request (time or size); it is handed
// over then, or as it stands when the wait runs out. A newer request
// replaces one still waiting.
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
    void ready(const QString& file);

private:
    struct Stamp {
        bool exists = false;
        QDateTime modified;
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const QString& file);
    void poll();
    void finish();

    QString m_file;
    Stamp m_before;
    int m_waitMs = 0;
    QElapsedTimer m_elapsed;
    QTimer m_timer;
};

} // namespace hp::graphics
