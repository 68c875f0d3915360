#pragma once

#include "Project.h"
#include "Renderer.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <atomic>
#include <memory>

class QThread;
class QTimer;

namespace hp::cg {

class FieldQueries;

// Runs the pages' queries on a thread of their own, one page after another,
// so that the thread that serves clients never waits on the database. Each
// page has its answer by its deadline and kGraceMs more at the latest: when
// the database does not answer at all (a frozen server), the page's fields
// stay empty and what the database says later is ignored.
class PageQueries : public QObject {
    Q_OBJECT
public:
    static constexpr int kGraceMs = 250;

    explicit PageQueries(QObject* parent = nullptr);
    ~PageQueries() override;

    // Starts reading the page's fields; finished() with the returned number
    // follows, never within this call.
    int start(const QString& connection, const Page& page, QDeadlineTimer deadline);

signals:
    void finished(int id, const hp::cg::Values& values, const QStringList& notes);

private:
    void done(int id, const Values& values, const QStringList& notes);

    QThread* m_thread;
    QObject* m_context;      // lives on m_thread: what runs there runs through it
    FieldQueries* m_queries; // used on m_thread only
    std::shared_ptr<std::atomic_bool> m_stopping;
    QHash<int, QTimer*> m_waiting;
    int m_next = 1;
};

} // namespace hp::cg
