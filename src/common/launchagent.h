#pragma once

#include "commandrunner.h"

#include <QString>

#include <QCoro/QCoroTask>

#include <chrono>

namespace vistrel {

// Whether the plist at path is there and names our label. Only then does addressing the job by
// its plist reach it; otherwise it is reached by label alone (serviceTarget).
bool plistNamesOurLabel(const QString &plistPath);

// "gui/<uid>/com.qelvo.vistrel": our job in the user's domain, whatever its plist says now.
QString serviceTarget(const QString &uid);

// One call of the service manager's tool: what it did, and the line that names it.
struct LaunchctlCall {
    ProcessResult result;
    QString commandLine;
    std::chrono::milliseconds timeout{};
    // See commandFailure: the launch error, the time-out, or the exit status with the output.
    std::optional<Error> failure() const { return commandFailure(result, commandLine, timeout); }
};

// The one client of the service manager's tool for our job: every call is an argument list to the
// given launchctl, within the command limit.
class LaunchAgent {
public:
    // How bootout reaches the job: through its plist, or by label.
    enum class Target { Plist, Label };

    LaunchAgent(QString launchctlPath, QString plistPath, ChildOutput output = ChildOutput::CaptureMerged,
                std::chrono::milliseconds timeout = defaultCommandTimeout);

    // Plist when the plist names our label, else Label.
    Target reachableTarget() const;

    QCoro::Task<LaunchctlCall> bootstrap(QString uid) const;
    QCoro::Task<LaunchctlCall> bootout(QString uid, Target target) const;
    QCoro::Task<LaunchctlCall> print(QString uid) const;
    // Bootout (by the reachable target, outcome ignored), the gap, then bootstrap, whose result
    // this is. Everything is copied first: the sequence runs to its end even without its caller.
    QCoro::Task<LaunchctlCall> restart(QString uid, std::chrono::milliseconds gap) const;

private:
    QCoro::Task<LaunchctlCall> run(QStringList arguments) const;

    QString m_launchctl;
    QString m_plist;
    ChildOutput m_output;
    std::chrono::milliseconds m_timeout;
};

} // namespace vistrel
