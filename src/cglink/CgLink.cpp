#include "CgLink.h"

#include "Cp950.h"

namespace hp::cglink {

CgLink::CgLink(std::shared_ptr<QpxNet> net, QObject* parent)
    : QObject(parent)
    , m_net(std::move(net))
{
}

QByteArray CgLink::encode(const QString& text)
{
    Cp950Bytes out = toCp950(text);
    if (out.lossy)
        emit textNotEncodable(text);
    return out.bytes;
}

void CgLink::watch(bool answeredDown)
{
    if (m_handle < 1 || m_lost)
        return;
    if (answeredDown || m_net->dropped(m_handle)) {
        m_lost = true;
        emit linkLost();
    }
}

qint32 CgLink::connectTo(const QString& address)
{
    m_address = address;
    m_handle = m_net->connectQpxSystem(encode(address));
    m_lost = false;
    emit connectAttempted(m_handle);
    if (m_handle >= 1)
        emit linkMade();
    return m_handle;
}

std::unique_ptr<PendingConnect> CgLink::connectInBackground()
{
    return m_net->connectInBackground(encode(m_address));
}

void CgLink::adopt(qint32 handle)
{
    m_handle = handle;
    m_lost = false;
    if (m_handle >= 1)
        emit linkMade();
}

bool CgLink::isUp()
{
    const bool up = m_net->isConnected(m_handle) != 0;
    if (up)
        m_lost = false;
    watch(!up);
    return up;
}

qint32 CgLink::send(qint32 code, const QString& text)
{
    QByteArray buffer = encode(text);
    const qint32 result = m_net->sendCommand(m_handle, code, buffer);
    emit sent(code, text);
    watch();
    return result;
}

qint32 CgLink::sendKeeping(qint32 code, QString& text)
{
    QByteArray buffer = encode(text);
    const qint32 result = m_net->sendCommand(m_handle, code, buffer);
    emit sent(code, text);
    text = fromCp950(buffer);
    watch();
    return result;
}

void CgLink::colorBar()
{
    m_net->colorBar(m_handle);
    watch();
}

std::optional<Notice> CgLink::checkBeforeGraphic(const TemplateProject& project)
{
    if (!isUp())
        return Notice{QStringLiteral("請檢查字幕機連線,或重新取得字幕機連線"),
                      QStringLiteral("字幕機斷線")};
    if (project.path.isEmpty())
        return Notice{QStringLiteral("請打開播出範本"), QStringLiteral("尚未開啟範本")};
    return std::nullopt;
}

} // namespace hp::cglink
