#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace launchctl {

// What a supervisor publishes about its job; written by the supervisor only, read by the
// commands. Stored as JSON next to the job's lock file.
struct JobState {
    QString label;
    QString plistPath;
    QString program;
    QStringList arguments;
    QString workingDirectory;
    QString standardOutPath;
    QString standardErrorPath;
    bool runAtLoad = false;
    bool keepAlive = false;
    int throttleInterval = 0;
    int exitTimeOut = 0;

    qint64 supervisorPid = 0;
    qint64 pid = 0;           // the running job, 0 when none
    quint64 pidStartTime = 0; // its start time in clock ticks since boot, to recognise it later
    qint64 pgid = 0;          // the job's process group (its first pid); outlives the job's leader
    QString state;            // "running", "waiting" (restart pending) or "not running"
    int runs = 0;
    std::optional<int> lastWaitStatus; // raw status of the last exit

    QByteArray toJson() const;
    static std::optional<JobState> fromJson(const QByteArray &json);
};

} // namespace launchctl
