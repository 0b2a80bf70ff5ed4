#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The general exception class: its message is the operator's text, shown as it stands.
class Exception : public std::exception {
public:
    explicit Exception(const QString& message);
    const QString& message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// The silent abort: raised by code that has already shown its own error box.
// The application-wide error display ignores it.
class EAbort : public Exception {
public:
    EAbort();
};

[[noreturn]] void Abort();
