#include "CgLink.h"

#include "Cp950.h"

#include <QLoggingCategory>
#include <QMutex>
#include <utility>

Q_LOGGING_CATEGORY(lcCgLink, "homeplate.cglink")

namespace hp::cglink {

struct CgLink::Job {
    enum class Kind { Connect, Adopt, Send, ColorBar, Query, Prepare, Background, Abandon };
    Kind kind = Kind::Send;
    quint64 id = 0;
    QByteArray address;
    qint32 handle = 0;
    QList<CgCommand> commands;
    QList<QByteArray> encoded;
    bool projectOpen = true;
};

struct CgLink::Done {
    quint64 id = 0;
    Job::Kind kind = Job::Kind::Send;
    // A connect's or adoption's new handle; otherwise the handle used.
    qint32 handle = 0;
    bool answeredDown = false;
    bool dropped = false;
    bool up = false;
    std::optional<Notice> refused;
    QList<CgCommand> sent;
    QList<CgReply> replies;
};

// Lives on the link's thread: the only caller of the backend.
class CgWorker : public QObject {
public:
    CgWorker(std::shared_ptr<QpxNet> net, CgLink* link)
        : m_net(std::move(net))
        , m_link(link)
    {
    }

    void run(const CgLink::Job& job)
    {
        using Kind = CgLink::Job::Kind;
        CgLink::Done done;
        done.id = job.id;
        done.kind = job.kind;
        switch (job.kind) {
        case Kind::Connect:
            replaceHandle(m_net->connectQpxSystem(job.address));
            break;
        case Kind::Adopt:
            if (job.handle == m_offered)
                m_offered = 0;
            replaceHandle(job.handle);
            break;
        case Kind::Send:
            sendAll(job, done);
            break;
        case Kind::ColorBar:
            m_net->colorBar(m_handle);
            break;
        case Kind::Query:
            done.up = m_net->isConnected(m_handle) != 0;
            done.answeredDown = !done.up;
            break;
        case Kind::Prepare:
            done.up = m_net->isConnected(m_handle) != 0;
            done.answeredDown = !done.up;
            if (!done.up)
                done.refused = CgLink::linkDownNotice();
            else if (!job.projectOpen)
                done.refused = CgLink::noProjectNotice();
            else if (!sendAll(job, done))
                done.refused = CgLink::linkDownNotice();
            break;
        case Kind::Background:
            startBackground(job.address);
            break;
        case Kind::Abandon:
            m_attempt.reset();
            // A connection made before the attempt was forgotten is not taken.
            if (m_offered >= 1)
                m_net->release(std::exchange(m_offered, 0));
            break;
        }
        done.handle = m_handle;
        done.dropped = m_net->dropped(m_handle);
        tell([done](CgLink* link) { link->finished(done); });
    }

    // The last job: nothing of the backend outlives the thread it ran on.
    void stop()
    {
        m_attempt.reset();
        m_net.reset();
        QThread::currentThread()->quit();
    }

    // The link is gone: whatever this thread still finishes is reported to no one.
    void forgetLink()
    {
        const QMutexLocker lock(&m_linkMutex);
        m_link = nullptr;
    }

private:
    // Posts to the link's thread, while there is a link.
    void tell(std::function<void(CgLink*)> what)
    {
        const QMutexLocker lock(&m_linkMutex);
        if (!m_link)
            return;
        QMetaObject::invokeMethod(
            m_link, [link = m_link, what = std::move(what)] { what(link); }, Qt::QueuedConnection);
    }

    void replaceHandle(qint32 handle)
    {
        if (m_handle >= 1 && m_handle != handle)
            m_net->release(m_handle);
        m_handle = handle;
    }

    // False when the link was found gone: the command it happened on and
    // those after it did not reach the CG, and are not tried.
    bool sendAll(const CgLink::Job& job, CgLink::Done& done)
    {
        for (qsizetype i = 0; i < job.commands.size(); ++i) {
            QByteArray buffer = job.encoded[i];
            const qint32 code = job.commands[i].code;
            const qint32 result = m_net->sendCommand(m_handle, code, buffer);
            const bool wentOut = !m_net->dropped(m_handle);
            done.replies.append({code, result, fromCp950(buffer), wentOut});
            if (!wentOut)
                return false;
            done.sent.append(job.commands[i]);
        }
        return true;
    }

    void startBackground(const QByteArray& address)
    {
        if (m_attempt)
            return; // the last attempt is still within its bound
        m_attempt = m_net->connectInBackground(address);
        if (!m_attempt)
            return;
        QObject::connect(m_attempt.get(), &PendingConnect::finished, this, [this](qint32 handle) {
            // Called from inside the attempt: it goes once control is back in the loop.
            m_attempt.release()->deleteLater();
            if (handle >= 1)
                m_offered = handle;
            tell([handle](CgLink* link) { emit link->backgroundConnected(handle); });
        });
    }

    std::shared_ptr<QpxNet> m_net;
    QMutex m_linkMutex;
    CgLink* m_link;
    qint32 m_handle = 0;
    std::unique_ptr<PendingConnect> m_attempt;
    // The handle of a background connect, until it is adopted or abandoned.
    qint32 m_offered = 0;
};

CgLink::CgLink(std::shared_ptr<QpxNet> net, QObject* parent)
    : QObject(parent)
    , m_thread(new QThread)
    , m_background(net->connectsInBackground())
    , m_backend(net)
{
    m_thread->setObjectName(QStringLiteral("CgLink"));
    m_worker = new CgWorker(std::move(net), this);
    m_worker->moveToThread(m_thread);
    m_thread->start();
}

CgLink::~CgLink()
{
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->stop(); }, Qt::QueuedConnection);
    if (m_thread->wait(kStopWaitMs)) {
        delete m_worker;
        delete m_thread;
        // A backend that connects in the background keeps its connections
        // on the link's thread, which is gone now.
        if (m_background && !m_backend.expired())
            qCWarning(lcCgLink) << "the CG backend outlives its link's thread: hand it over "
                                   "to the link so that its connections end with that thread";
        return;
    }
    // Destroying a running thread would end the program there and then.
    qCWarning(lcCgLink) << "a CG backend call has not returned after" << kStopWaitMs
                        << "ms; its thread is left to end with the program";
    m_worker->forgetLink();
}

Notice CgLink::linkDownNotice()
{
    return {QStringLiteral("請檢查字幕機連線,或重新取得字幕機連線"), QStringLiteral("字幕機斷線")};
}

Notice CgLink::noProjectNotice()
{
    return {QStringLiteral("請打開播出範本"), QStringLiteral("尚未開啟範本")};
}

QByteArray CgLink::encode(const QString& text)
{
    Cp950Bytes out = toCp950(text);
    if (out.lossy)
        emit textNotEncodable(text);
    return out.bytes;
}

quint64 CgLink::post(Job job, QObject* context, std::function<void(const Done&)> then)
{
    job.id = ++m_posted;
    for (const CgCommand& c : job.commands)
        job.encoded.append(encode(c.text));
    if (then)
        m_pending.insert(job.id, Pending{context, context != nullptr, std::move(then)});
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker, job = std::move(job)] { w->run(job); }, Qt::QueuedConnection);
    return m_posted;
}

void CgLink::finished(const Done& done)
{
    using Kind = Job::Kind;
    ++m_done;
    if (done.kind == Kind::Connect || done.kind == Kind::Adopt) {
        m_handle = done.handle;
        m_lost = false;
        if (done.kind == Kind::Connect)
            emit connectAttempted(m_handle);
        if (m_handle >= 1)
            emit linkMade();
    } else {
        for (const CgCommand& c : done.sent)
            emit sent(c.code, c.text);
        if (done.up)
            m_lost = false;
        watch(done.answeredDown, done.dropped);
    }
    if (const auto it = m_pending.find(done.id); it != m_pending.end()) {
        const Pending pending = it.value();
        m_pending.erase(it);
        if (!pending.hasContext || pending.context)
            pending.then(done);
    }
    if (idle())
        emit settled();
}

void CgLink::watch(bool answeredDown, bool dropped)
{
    if (m_handle < 1 || m_lost)
        return;
    if (answeredDown || dropped) {
        qCInfo(lcCgLink) << "CG link" << m_handle << "lost";
        m_lost = true;
        emit linkLost();
    }
}

void CgLink::connectTo(const QString& address, QObject* context,
                       std::function<void(qint32 handle)> then)
{
    m_address = address;
    Job job;
    job.kind = Job::Kind::Connect;
    job.address = encode(address);
    std::function<void(const Done&)> reply;
    if (then)
        reply = [then = std::move(then)](const Done& d) { then(d.handle); };
    post(std::move(job), context, std::move(reply));
}

void CgLink::connectInBackground()
{
    Job job;
    job.kind = Job::Kind::Background;
    job.address = encode(m_address);
    post(std::move(job), nullptr, {});
}

void CgLink::abandonBackgroundConnect()
{
    Job job;
    job.kind = Job::Kind::Abandon;
    post(std::move(job), nullptr, {});
}

void CgLink::adopt(qint32 handle)
{
    Job job;
    job.kind = Job::Kind::Adopt;
    job.handle = handle;
    post(std::move(job), nullptr, {});
}

void CgLink::send(qint32 code, const QString& text, QObject* context, Then then)
{
    Job job;
    job.commands = {{code, text}};
    std::function<void(const Done&)> reply;
    if (then)
        reply = [then = std::move(then)](const Done& d) {
            then(d.replies.isEmpty() ? CgReply{} : d.replies.first());
        };
    post(std::move(job), context, std::move(reply));
}

void CgLink::colorBar()
{
    Job job;
    job.kind = Job::Kind::ColorBar;
    post(std::move(job), nullptr, {});
}

void CgLink::query(QObject* context, std::function<void(bool up)> then)
{
    Job job;
    job.kind = Job::Kind::Query;
    post(std::move(job), context, [then = std::move(then)](const Done& d) { then(d.up); });
}

void CgLink::prepare(const TemplateProject& project, const QList<CgCommand>& commands,
                     QObject* context, Checked then)
{
    Job job;
    job.kind = Job::Kind::Prepare;
    job.commands = commands;
    job.projectOpen = !project.path.isEmpty();
    post(std::move(job), context, [then = std::move(then)](const Done& d) { then(d.refused); });
}

} // namespace hp::cglink
