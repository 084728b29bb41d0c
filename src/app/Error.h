#pragma once
#include <QString>
#include <exception>
#include <string>

namespace rek2 {

// Every failure of an action is an Error carrying the text the user sees
// (the database's own message for database failures).
class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toStdString()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

} // namespace rek2
