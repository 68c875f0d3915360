#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace hp {

// The value of a fallible operation, or the text of what went wrong.
template <typename T> class Result {
public:
    Result(T value)
        : m_value(std::move(value))
    {
    }
    static Result failure(QString error)
    {
        Result r;
        r.m_error = std::move(error);
        return r;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const T& operator*() const { return *m_value; }
    const T* operator->() const { return &*m_value; }
    const QString& error() const { return m_error; }

private:
    Result() = default;
    std::optional<T> m_value;
    QString m_error;
};

struct Done {};

inline Result<Done> success()
{
    return Done{};
}

} // namespace hp
