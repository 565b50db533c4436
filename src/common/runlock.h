#pragma once

#include <QByteArray>
#include <QString>

namespace vistrel {

// The lock a run holds for a home folder: a file in the home itself, so that every session of the
// user (a desktop and an SSH session have different runtime folders) finds the same one. A second
// run of any kind (installation or uninstall) while one is going is refused, and a run's journal
// is only undone by whoever holds it.
QString runLockPath(const QString &home);

// Holds the run lock while it lives, when it could be taken at once, and removes its file when it
// lets go. The kernel drops the lock with the process, so a killed program never leaves it held.
class RunLock {
public:
    explicit RunLock(const QString &path);
    ~RunLock();
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;
    bool held() const { return m_held; }
    // Why a run may not start: busy (another run holds it), or why the lock file is unusable.
    QString refusal(const QString &busy) const { return m_problem.isEmpty() ? busy : m_problem; }

private:
    QByteArray m_path;
    QString m_problem;
    int m_fd = -1;
    bool m_held = false;
};

} // namespace vistrel
