#pragma once

#include <QDateTime>

namespace hp::app {

// The current time and date; tests set it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime t)
        : m_now(std::move(t))
    {
    }
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }

private:
    QDateTime m_now;
};

// Time of day as the status bars show it.
inline QString timeOfDayText(const QTime& t)
{
    return t.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace hp::app
