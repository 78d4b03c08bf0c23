#pragma once
// The system's error base class: every error is an exception carrying a message text.

#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(const QString& message) : Message(message), Utf8(message.toUtf8()) {}
    const QString& message() const noexcept { return Message; }
    const char* what() const noexcept override { return Utf8.constData(); }

private:
    QString Message;
    QByteArray Utf8;
};
