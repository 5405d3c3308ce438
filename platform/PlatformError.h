#pragma once
// The one exception type of the program: a failure that carries a text a user may read.
#include <QString>
#include <cstring>
#include <stdexcept>

class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The system's text for the error number (errno) a failed call left, for the reason of a message.
inline QString systemErrorText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}
