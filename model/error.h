#pragma once
// Errors that a command does not handle itself. They travel as exceptions to
// the general error report, which shows their text in a message box; the
// program then goes on.

#include <QString>

#include <stdexcept>

namespace rida::model {

class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString text() const { return QString::fromUtf8(what()); }
};

// A text that is not a whole number where one is converted.
class ConversionError : public Error {
public:
    using Error::Error;
};

} // namespace rida::model
