#include "PageQueries.h"

#include "FieldQueries.h"

#include <QThread>
#include <QTimer>

namespace hp::cg {

namespace {
// How long the server waits at exit for a query to end.
constexpr unsigned long kExitWaitMs = 3000;
} // namespace

PageQueries::PageQueries(QObject* parent)
    : QObject(parent)
    , m_thread(new QThread)
    , m_context(new QObject)
    , m_queries(new FieldQueries)
    , m_stopping(std::make_shared<std::atomic_bool>(false))
{
    m_thread->setObjectName(QStringLiteral("page queries"));
    m_context->moveToThread(m_thread);
    m_thread->start();
}

PageQueries::~PageQueries()
{
    // Pages still waiting are not read; the session closes on the thread
    // that opened it.
    m_stopping->store(true);
    QMetaObject::invokeMethod(
        m_context, [queries = m_queries] { delete queries; }, Qt::QueuedConnection);
    m_context->deleteLater();
    m_thread->quit();
    if (m_thread->wait(kExitWaitMs))
        delete m_thread;
    // else a statement the database never answers holds the thread: it ends
    // with the process.
}

int PageQueries::start(const QString& connection, const Page& page, QDeadlineTimer deadline)
{
    const int id = m_next++;
    auto* late = new QTimer(this);
    late->setSingleShot(true);
    connect(late, &QTimer::timeout, this, [this, id, name = page.name, fields = page.queries] {
        QStringList notes;
        for (const FieldQuery& q : fields)
            notes << QStringLiteral("page %1 field %2 left empty: the database did not answer "
                                    "within %3 ms")
                         .arg(name, q.field)
                         .arg(FieldQueries::kBudgetMs);
        done(id, {}, notes);
    });
    late->start(int(qMax<qint64>(0, deadline.remainingTime())) + kGraceMs);
    m_waiting.insert(id, late);

    QMetaObject::invokeMethod(
        m_context,
        [this, stopping = m_stopping, queries = m_queries, id, connection, name = page.name,
         fields = page.queries, deadline] {
            if (stopping->load())
                return;
            QStringList notes;
            const Values values = queries->run(connection, name, fields, deadline, notes);
            if (stopping->load())
                return;
            QMetaObject::invokeMethod(
                this, [this, id, values, notes] { done(id, values, notes); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return id;
}

void PageQueries::done(int id, const Values& values, const QStringList& notes)
{
    QTimer* late = m_waiting.take(id);
    if (!late)
        return; // answered already
    late->deleteLater();
    emit finished(id, values, notes);
}

} // namespace hp::cg
