#pragma once

#include <QString>

#include <exception>
#include <string>

namespace vistrel {

// An operation's failure: a domain ("DownloadError", "InstallError", "ShellError", ...), an
// integer code and the user-readable description that the user gets to see. Thrown by the
// coroutines that can fail, caught by the step that decides what the failure means.
class Error : public std::exception {
public:
    Error(QString domain, qint64 code, QString description)
        : m_domain(std::move(domain))
        , m_code(code)
        , m_description(std::move(description))
        , m_what(m_description.toStdString()) {}

    const QString &domain() const { return m_domain; }
    qint64 code() const { return m_code; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

    // The complete printed form: domain, code and description.
    QString fullDescription() const {
        return QStringLiteral("Error Domain=%1 Code=%2 \"%3\"").arg(m_domain).arg(m_code).arg(m_description);
    }

private:
    QString m_domain;
    qint64 m_code;
    QString m_description;
    std::string m_what;
};

} // namespace vistrel
