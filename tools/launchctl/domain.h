#pragma once

#include "jobstate.h"

#include <QString>

#include <optional>

namespace launchctl {

// The caller's service domain: a private runtime folder holding, per loaded job, a state file
// written by its supervisor and a lock file the supervisor holds for as long as it lives. A job
// is loaded exactly while its lock is held, so a killed supervisor can never pass for a live one.
class Domain {
public:
    // Opens the runtime folder (vistrel-launchctl in the user's private runtime folder), creating it
    // with mode 0700. Nothing, and a reason, when either is not a folder or belongs to another user.
    static std::optional<Domain> open(QString *reason);

    Domain(Domain &&other) noexcept;
    Domain &operator=(Domain &&) = delete;
    ~Domain();

    const QString &path() const { return m_path; }

    // Serialises changes (bootstrap, bootout, cleaning) across processes until unlock() or
    // destruction. Held only while state changes, never while waiting for a job to exit.
    bool lock(QString *reason);
    void unlock();

    QString stateFile(const QString &label) const;
    QString lockFile(const QString &label) const;

    enum class Presence { NotLoaded, Loaded, Stale };
    Presence presence(const QString &label) const;

    // The published state of a loaded job; nothing when it is not loaded (or not yet published).
    std::optional<JobState> loadedState(const QString &label) const;

    // Ends whatever a dead supervisor left running and removes its files. Needs the lock.
    void cleanStale(const QString &label) const;

    // Whether the lock file at path is held by a live process.
    static bool lockHeld(const QString &lockPath);

    // Labels become file names: everything outside [A-Za-z0-9._-] is percent-encoded, and so is a
    // leading dot. Nothing when the label cannot become a file name.
    static std::optional<QString> fileNameFor(const QString &label);

private:
    explicit Domain(QString path)
        : m_path(std::move(path)) {}
    QString m_path;
    int m_lockFd = -1;
};

} // namespace launchctl
