#pragma once

#include <QString>

namespace vistrel {

// The lock a run holds for a home folder (in the user's runtime folder): a second run of any kind
// while one is going is refused, and a run's journal is only undone by whoever holds it.
QString runLockPath(const QString &home);

// Holds the run lock while it lives, when it could be taken at once. The kernel drops it with the
// process, so a killed program never leaves it behind.
class RunLock {
public:
    explicit RunLock(const QString &path);
    ~RunLock();
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;
    bool held() const { return m_held; }

private:
    int m_fd;
    bool m_held = false;
};

} // namespace vistrel
