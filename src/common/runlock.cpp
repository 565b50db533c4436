#include "runlock.h"

#include "privatefiles.h"

#include <sys/file.h>
#include <unistd.h>

namespace vistrel {

QString runLockPath(const QString &home) {
    return home + QStringLiteral("/.vistrel-run.lock");
}

RunLock::RunLock(const QString &path)
    : m_fd(openLockFile(path, &m_problem)) {
    m_held = m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
}

RunLock::~RunLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace vistrel
