#pragma once

#include "QpxNet.h"

#include <QObject>
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

// The program's one connection to the CG server: the handle of the last
// connect, passed to every call. Text becomes code page 950 here.
class CgLink : public QObject {
    Q_OBJECT
public:
    explicit CgLink(std::shared_ptr<QpxNet> net, QObject* parent = nullptr);

    qint32 handle() const { return m_handle; }
    // The address of the last connect, whatever its outcome.
    const QString& address() const { return m_address; }
    // Connects and keeps the new handle, whatever its value.
    qint32 connectTo(const QString& address);
    bool isUp();
    // Whether the link is known to be down: never connected, or lost since.
    bool isDown() const { return m_handle < 1 || m_lost; }
    // A connect to the last address that does not block (nullptr when the
    // backend cannot); its handle is handed back through adopt().
    std::unique_ptr<PendingConnect> connectInBackground();
    void adopt(qint32 handle);
    qint32 send(qint32 code, const QString& text);
    // Sends a value the caller keeps: the buffer as the library leaves it
    // replaces the value.
    qint32 sendKeeping(qint32 code, QString& text);
    void colorBar();

    // The two checks before a graphic is prepared, in order; nullopt when the
    // graphic may go ahead.
    std::optional<Notice> checkBeforeGraphic(const TemplateProject& project);

signals:
    // Some character of the text has no code in code page 950 and went out as "?".
    void textNotEncodable(const QString& text);
    // A command went out (code and text as the program composed it).
    void sent(qint32 code, const QString& text);
    // The link of the current handle went down: a request failed or the
    // server stopped answering. Once per connect.
    void linkLost();
    // connectTo() ran: handle < 1 when no CG answered.
    void connectAttempted(qint32 handle);
    // A connection was made (by connectTo() or adopted from the background):
    // what the CG has on air may be other than what was sent before.
    void linkMade();

private:
    QByteArray encode(const QString& text);
    // After every call: notices that the current link has gone.
    void watch(bool answeredDown = false);

    std::shared_ptr<QpxNet> m_net;
    QString m_address;
    qint32 m_handle = 0;
    bool m_lost = false;
};

} // namespace hp::cglink
