#pragma once

#include <QString>
#include <stdexcept>

// An error raised by the store, a file operation, a number conversion or an
// office component. It ends the running command; the window (or the command
// line) shows its message. What was posted before stays in the store.
class QuarrixError : public std::runtime_error {
public:
    explicit QuarrixError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};
