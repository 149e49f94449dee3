#pragma once
// A value or a user-readable message saying why there is none. Functions that can fail
// on user data return this; the message is written once, by whoever detects the fault.

#include <QString>

#include <optional>
#include <utility>

namespace quillum {

class Error {
public:
    explicit Error(QString message)
        : m_message(std::move(message))
    { }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

template <typename T> class Result {
public:
    Result(T value)
        : m_value(std::move(value))
    { }
    Result(Error error)
        : m_error(std::move(error.message()))
    { }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    T& value() { return *m_value; }
    const T& value() const { return *m_value; }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    const QString& error() const { return m_error; }

private:
    std::optional<T> m_value;
    QString m_error;
};

// For operations that return nothing but may fail.
class Status {
public:
    Status() = default;
    Status(Error error)
        : m_error(error.message())
        , m_failed(true)
    { }
    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

private:
    QString m_error;
    bool m_failed = false;
};

} // namespace quillum
