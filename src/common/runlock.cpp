#include "runlock.h"

#include "privatefiles.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

QString runLockPath(const QString &home) {
    return home + QStringLiteral("/.vistrel-run.lock");
}

RunLock::RunLock(const QString &path)
    : m_path(QFile::encodeName(path)) {
    // A holder removes the file as it lets go: a lock taken on a file that is no longer at the path
    // guards nothing, and the file at the path is tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_fd = openLockFile(path, &m_problem);
        if (m_fd < 0)
            return;
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK)
                m_problem = QStringLiteral("The lock file %1 cannot be locked: %2")
                                .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        struct stat locked {};
        struct stat atPath {};
        if (::fstat(m_fd, &locked) == 0 && ::lstat(m_path.constData(), &atPath) == 0 &&
            locked.st_ino == atPath.st_ino && locked.st_dev == atPath.st_dev) {
            m_held = true;
            return;
        }
        ::close(m_fd);
        m_fd = -1;
    }
}

RunLock::~RunLock() {
    // Removed while still held, so that nothing of a run stays in the home.
    if (m_held)
        ::unlink(m_path.constData());
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace vistrel
