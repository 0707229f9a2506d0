#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Base of every error this program raises: it carries the message text that
// handlers log and show ("{operation}: {message}").
class Exception : public std::exception {
public:
    explicit Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
    const QString& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// The message of any exception, for the catch-all handlers.
inline QString ExceptionMessage(const std::exception& e) {
    if (auto* own = dynamic_cast<const Exception*>(&e))
        return own->Message();
    return QString::fromUtf8(e.what());
}
