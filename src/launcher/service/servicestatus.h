#pragma once

#include "common/stringtable.h"
#include "common/timing.h"

#include <QMetaType>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace vistrel {

// The launcher's one picture of the server's state: seven cases, two with a payload. Two values
// are equal when they are the same case with the same payload. Readable from QML as a gadget.
class ServiceStatus {
    Q_GADGET
    Q_PROPERTY(QString name READ name)
    Q_PROPERTY(qint64 port READ port)
    Q_PROPERTY(QString message READ message)
    Q_PROPERTY(QString colorRole READ colorRoleName)
    Q_PROPERTY(bool showsProgress READ showsProgress)
    Q_PROPERTY(bool pollingTickActs READ pollingTickActs)

public:
    enum class Case { Running, Error, Stopped, Checking, Starting, Stopping, PermissionsNeeded };
    Q_ENUM(Case)
    enum class ColorRole { Green, Red, Orange };
    Q_ENUM(ColorRole)

    // checking, the value of a new manager
    ServiceStatus() = default;

    static ServiceStatus running(qint64 port) { return ServiceStatus(Case::Running, port, {}); }
    static ServiceStatus error(QString message) { return ServiceStatus(Case::Error, 0, std::move(message)); }
    static ServiceStatus stopped() { return ServiceStatus(Case::Stopped, 0, {}); }
    static ServiceStatus checking() { return ServiceStatus(Case::Checking, 0, {}); }
    static ServiceStatus starting() { return ServiceStatus(Case::Starting, 0, {}); }
    static ServiceStatus stopping() { return ServiceStatus(Case::Stopping, 0, {}); }
    static ServiceStatus permissionsNeeded() { return ServiceStatus(Case::PermissionsNeeded, 0, {}); }

    Case kind() const { return m_case; }
    bool is(Case c) const { return m_case == c; }
    // The payloads: the port that answered (running), the message shown verbatim (error).
    qint64 port() const { return m_port; }
    const QString &message() const { return m_message; }

    // The case's name as the code spells it: "running", "error", ..., "permissionsNeeded".
    QString name() const;
    // Case and payload as text, e.g. running(port: 8090) or error("...").
    QString description() const;

    QString titleKey() const;
    // The title text from a table; the key itself when the table lacks it.
    QString statusTitle(const StringTable &table) const;
    // The second line: the running port from "status.runningOnPort", the error message
    // untranslated, nothing for the other cases.
    std::optional<QString> statusDetail(const StringTable &table) const;

    ColorRole colorRole() const;
    QString colorRoleName() const; // "green", "red", "orange"
    bool showsProgress() const;
    // The polling interval a timer created in this state gets.
    std::chrono::milliseconds pollingInterval(const Timing &timing) const;
    bool pollingTickActs() const;

    friend bool operator==(const ServiceStatus &, const ServiceStatus &) = default;

private:
    ServiceStatus(Case c, qint64 port, QString message)
        : m_case(c)
        , m_port(port)
        , m_message(std::move(message)) {}

    Case m_case = Case::Checking;
    qint64 m_port = 0;
    QString m_message;
};

} // namespace vistrel

Q_DECLARE_METATYPE(vistrel::ServiceStatus)
