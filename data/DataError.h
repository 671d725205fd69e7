#pragma once

#include <QString>

#include <stdexcept>

// The one error type of the data layer. Its text names what was being done and the culprit (file, table, field,
// filter text) together with the database engine's own message, because the application shows it unchanged.
class DataError : public std::runtime_error
{
public:
    explicit DataError(const QString& message) : std::runtime_error(message.toStdString()) {}

    QString message() const { return QString::fromUtf8(what()); }
};
