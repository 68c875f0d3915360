#pragma once

#include "QpxNet.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <functional>
#include <memory>
#include <optional>

namespace hp::cglink {

// The CG address the program falls back on when none was ever stored: the
// studio's usual server. Tests never connect to it.
inline const QString kDefaultCgAddress = QStringLiteral("192.168.1.1");

// A message box the operator is to see: text and title.
struct Notice {
    QString text;
    QString title;
};

// The template project the console has open; an empty path means none.
struct TemplateProject {
    QString path;
    QString folder;
};

// One command as the program composed it.
struct CgCommand {
    qint32 code = 0;
    QString text;
};

// What came back for a command: the library's result and the text buffer as
// the library left it, and whether the command reached the CG: not when the
// backend found the link gone (the result is then the backend's own).
struct CgReply {
    qint32 code = 0;
    qint32 result = 0;
    QString buffer;
    bool wentOut = false;
};

class CgWorker;

// The program's one connection to the CG server: the handle of the last
// connect, passed to every call. Text becomes code page 950 here.
//
// The backend is called on a thread of the link's own, never on the caller's:
// every call posts its command and returns at once. Commands are carried out
// in the order they were posted, each on the handle current at its turn (a
// connect is a command like the others), and each result comes back as a
// queued call on the thread that owns the link. A command that timed out is
// not carried out later: the backend drops its connection, and the commands
// behind it find the link gone. A handle that a connect replaced is released.
class CgLink : public QObject {
    Q_OBJECT
public:
    using Then = std::function<void(const CgReply&)>;
    // nullopt: the graphic's commands went out; otherwise why not.
    using Checked = std::function<void(const std::optional<Notice>&)>;

    // The link's thread ends with the last copy of the backend that it holds:
    // hand it over (std::move) so that the backend goes with the thread.
    explicit CgLink(std::shared_ptr<QpxNet> net, QObject* parent = nullptr);
    // Carries out every command posted before, then stops the link's thread.
    // A backend call that does not return within kStopWaitMs is left behind
    // on its thread (logged), so that the program can still end.
    ~CgLink() override;

    static constexpr int kStopWaitMs = 2000;

    // The handle of the last connect carried out.
    qint32 handle() const { return m_handle; }
    // The address of the last connect posted, whatever its outcome.
    const QString& address() const { return m_address; }
    // Connects and keeps the new handle, whatever its value: reported by
    // connectAttempted (and linkMade), then to `then`.
    void connectTo(const QString& address, QObject* context = nullptr,
                   std::function<void(qint32 handle)> then = {});
    // Whether the link is known to be down: never connected, or lost since.
    bool isDown() const { return m_handle < 1 || m_lost; }
    // Whether the backend can try the last address again without waiting on
    // its own call; such a try reports through backgroundConnected.
    bool connectsInBackground() const { return m_background; }
    void connectInBackground();
    // A background try still under way is forgotten.
    void abandonBackgroundConnect();
    // The handle of a background connect becomes the link's, in turn.
    void adopt(qint32 handle);

    // `then` (if any) is called with the reply, unless `context` went first.
    void send(qint32 code, const QString& text, QObject* context = nullptr, Then then = {});
    void colorBar();
    // Asks the library whether the link is up; `then` gets the answer.
    void query(QObject* context, std::function<void(bool up)> then);

    // A graphic: the two checks before it, in order (the link is asked
    // whether it is up, then the template project must be open), and, when
    // both pass, its commands, all in one turn. A link found gone while they
    // go out refuses the graphic as the first check does.
    void prepare(const TemplateProject& project, const QList<CgCommand>& commands, QObject* context,
                 Checked then);

    // No command posted is waiting for its turn or its result.
    bool idle() const { return m_posted == m_done; }

    static Notice linkDownNotice();
    static Notice noProjectNotice();

signals:
    // Some character of the text has no code in code page 950 and went out as "?".
    void textNotEncodable(const QString& text);
    // A command reached the CG (code and text as the program composed it).
    void sent(qint32 code, const QString& text);
    // The link of the current handle went down: a request failed or the
    // server stopped answering. Once per connect.
    void linkLost();
    // A connect was carried out: handle < 1 when no CG answered.
    void connectAttempted(qint32 handle);
    // A connection was made (by connectTo() or adopted from the background):
    // what the CG has on air may be other than what was sent before.
    void linkMade();
    // A background connect ended: a handle to adopt, or below 1.
    void backgroundConnected(qint32 handle);
    // Every command posted so far is done.
    void settled();

private:
    friend class CgWorker;
    struct Job;
    struct Done;
    quint64 post(Job job, QObject* context, std::function<void(const Done&)> then);
    void finished(const Done& done);
    QByteArray encode(const QString& text);
    // After every result: notices that the current link has gone.
    void watch(bool answeredDown, bool dropped);

    // Left to the ending process, with the worker, when a backend call holds it.
    QThread* m_thread = nullptr;
    CgWorker* m_worker = nullptr;
    QString m_address;
    qint32 m_handle = 0;
    bool m_lost = false;
    bool m_background = false;
    // The backend, to tell whether another holder keeps it past the thread.
    std::weak_ptr<QpxNet> m_backend;
    quint64 m_posted = 0;
    quint64 m_done = 0;
    struct Pending {
        QPointer<QObject> context;
        bool hasContext = false;
        std::function<void(const Done&)> then;
    };
    QHash<quint64, Pending> m_pending;
};

} // namespace hp::cglink
