#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "error.h"

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

namespace vistrel {

// How a child's standard output and error are treated.
enum class ChildOutput {
    Inherit,       // both go where ours go
    CaptureStdout, // standard output is collected, standard error is ours
    CaptureMerged, // both are collected through one channel, interleaved
    CaptureStderr, // standard error is collected, standard output is ours
};

// The limit of a command nobody gave one: long for a service manager's call, short for a hang.
inline constexpr std::chrono::milliseconds defaultCommandTimeout{60'000};
// How long a child that outlived its limit gets between SIGTERM and SIGKILL.
inline constexpr std::chrono::milliseconds terminationGrace{1'000};

struct ProcessResult {
    bool started = false;
    bool timedOut = false; // outlived its limit and was ended
    QString launchError;   // the platform's description when the child could not be started
    int exitCode = -1;     // exit status, or the signal number when the child was killed
    bool crashed = false;  // ended by a signal
    QByteArray output;     // what was collected (see ChildOutput)
};

// Runs a program with an argument list and waits for it on the event loop. Output is drained
// while the child runs, so a child that writes much never blocks. The child leads a process group
// of its own: when it outlives timeout, the whole group gets SIGTERM and, after terminationGrace,
// SIGKILL. Children never outlive this program: the group ends when the application quits, and
// on Linux the child gets SIGKILL should this program die without quitting.
QCoro::Task<ProcessResult> runProcess(QString program, QStringList arguments,
                                      ChildOutput output = ChildOutput::CaptureMerged, QString workingDirectory = {},
                                      std::chrono::milliseconds timeout = defaultCommandTimeout);

// Ends every child that runProcess started and that still runs (SIGTERM, then SIGKILL after a
// short grace). Called when the application quits; safe to call at any time.
void endAllChildren();

// The code of the "ShellError" of a command that did not finish in time (as timeout(1) says).
inline constexpr int commandTimedOutCode = 124;

// The failure of a finished command, named by commandLine: the launch error when it could not
// start, a "ShellError" with commandTimedOutCode when it outlived timeout, or a "ShellError" with
// its exit status and its exact collected output (not trimmed; empty when it is not UTF-8) when it
// exited non-zero. Nothing when it succeeded.
std::optional<Error> commandFailure(const ProcessResult &result, const QString &commandLine,
                                    std::chrono::milliseconds timeout);

// Runs program with arguments, standard output and error through one pipe, and throws its
// commandFailure.
QCoro::Task<void> runCommand(QString program, QStringList arguments,
                             std::chrono::milliseconds timeout = defaultCommandTimeout);

// The user's numeric id from "/usr/bin/id -u", trimmed; nothing when id cannot be started (the
// line "Failed to get user ID: {error}" is printed then), prints nothing usable or no UTF-8.
QCoro::Task<std::optional<QString>> currentUserID(QString idProgram = QStringLiteral("/usr/bin/id"));

// "arm64" when "/usr/bin/uname -m" prints exactly that, else "x86_64".
QCoro::Task<QString> detectArchitecture(QString unameProgram = QStringLiteral("/usr/bin/uname"));
QString architectureFromUname(const std::optional<QByteArray> &output);

} // namespace vistrel
