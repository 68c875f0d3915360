#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>

namespace hp::app {

// What happened that a remote client wants to know about: messages shown to the
// operator, windows shown and closed, questions asked.
class EventLog : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void add(const QJsonObject& event)
    {
        m_events.append(event);
        emit added(event);
    }
    QJsonArray take()
    {
        QJsonArray out;
        std::swap(out, m_events);
        return out;
    }
    const QJsonArray& peek() const { return m_events; }

signals:
    void added(const QJsonObject& event);

private:
    QJsonArray m_events;
};

} // namespace hp::app
