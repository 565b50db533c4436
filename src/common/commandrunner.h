#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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

struct ProcessResult {
    bool started = false;
    QString launchError;  // the platform's description when the child could not be started
    int exitCode = -1;    // exit status, or the signal number when the child was killed
    bool crashed = false; // ended by a signal
    QByteArray output;    // what was collected (see ChildOutput)
};

// Runs a program with an argument list and waits for it on the event loop. Output is drained
// while the child runs, so a child that writes much never blocks. timeout < 0 waits forever.
QCoro::Task<ProcessResult> runProcess(QString program, QStringList arguments,
                                      ChildOutput output = ChildOutput::CaptureMerged, QString workingDirectory = {},
                                      std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

// Runs "/bin/bash -c <command>" with standard output and error through one pipe. Throws the
// launch error when bash cannot start, and a "ShellError" carrying the exit status and the exact
// collected output (not trimmed; empty when it is not UTF-8) when the command exits non-zero.
QCoro::Task<void> runShellCommand(QString command);

// The user's numeric id from "/usr/bin/id -u", trimmed; nothing when id cannot be started (the
// line "Failed to get user ID: {error}" is printed then), prints nothing usable or no UTF-8.
QCoro::Task<std::optional<QString>> currentUserID(QString idProgram = QStringLiteral("/usr/bin/id"));

// "arm64" when "/usr/bin/uname -m" prints exactly that, else "x86_64".
QCoro::Task<QString> detectArchitecture(QString unameProgram = QStringLiteral("/usr/bin/uname"));
QString architectureFromUname(const std::optional<QByteArray> &output);

} // namespace vistrel
