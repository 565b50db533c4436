#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vistrel {

class LauncherLocalizationManager;

// The service manager's account of one job, read from `launchctl print <service-target>`.
struct JobRecord {
    QString state;                   // "running", "not running", "waiting", ...
    std::optional<qint64> pid;       // only while a process runs
    int runs = 0;                    // how often the job was started since it was loaded
    std::optional<int> lastExitCode; // absent when it never exited, or was ended by a signal
    std::optional<int> lastSignal;   // the signal that ended the last run

    // Nothing when the text is not a job's account.
    static std::optional<JobRecord> parse(const QByteArray &printed);
};

// Why a loaded server is not answering, when the service manager knows more than "stopped".
struct ExitReason {
    enum class Kind { None, ExitCode, Signal, Restarting };
    Kind kind = Kind::None;
    int exitCode = 0;
    int signal = 0;
    int restarts = 0; // starts after the first since the job was loaded

    // A non-zero exit or a signal explains itself; a clean exit only when the job was restarted
    // more than once within the last minute.
    static ExitReason from(const JobRecord &record, int restartsWithinMinute);

    // "SIGSEGV" and the like; "signal 42" for one without a name here.
    static QString signalName(int signal);
    // The sentence under the status, in the active language.
    QString text(const LauncherLocalizationManager &localization) const;

    bool operator==(const ExitReason &) const = default;
};

} // namespace vistrel
