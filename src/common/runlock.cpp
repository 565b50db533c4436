#include "runlock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vistrel {

QString runLockPath(const QString &home) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QByteArray key = QCryptographicHash::hash(QFile::encodeName(QDir::cleanPath(home)), QCryptographicHash::Sha1);
    return folder + QStringLiteral("/vistrel-install-") + QString::fromLatin1(key.toHex().left(16)) +
           QStringLiteral(".lock");
}

RunLock::RunLock(const QString &path)
    : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    m_held = m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
}

RunLock::~RunLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace vistrel
