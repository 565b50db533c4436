#include "privatefiles.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString modeText(mode_t mode) {
    return QStringLiteral("%1").arg(uint(mode & 07777), 4, 8, QLatin1Char('0'));
}

// Why the folder is not private to this user; empty when it is.
QString privacyProblem(const struct stat &st, bool ours) {
    if (ours && S_ISLNK(st.st_mode))
        return QStringLiteral("it is a link");
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("it is not a folder");
    if (st.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if (ours && (st.st_mode & 07777) != 0700)
        return QStringLiteral("its mode is %1, not 0700").arg(modeText(st.st_mode));
    if (!ours && (st.st_mode & 022) != 0)
        return QStringLiteral("others may write to it (mode %1)").arg(modeText(st.st_mode));
    return {};
}

} // namespace

QString userRuntimeFolder(QString *error) {
    const QString session = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool ours = session.isEmpty() || !QDir::isAbsolutePath(session);
    const QString folder = ours ? QDir::homePath() + QStringLiteral("/.vistrel-runtime") : QDir::cleanPath(session);
    const QByteArray native = QFile::encodeName(folder);
    const auto fail = [&](const QString &why) {
        *error = QStringLiteral("The folder %1 for this user's sockets and locks cannot be used: %2").arg(folder, why);
        return QString();
    };
    // Made by us, it gets its mode whatever the umask took away.
    if (ours && ::mkdir(native.constData(), 0700) == 0)
        ::chmod(native.constData(), 0700);
    else if (ours && errno != EEXIST)
        return fail(systemError(errno));
    // The session's folder may be reached through a link of the session's; ours never is.
    struct stat st {};
    if ((ours ? ::lstat(native.constData(), &st) : ::stat(native.constData(), &st)) != 0)
        return fail(systemError(errno));
    if (const QString problem = privacyProblem(st, ours); !problem.isEmpty())
        return fail(problem);
    return folder;
}

int openLockFile(const QString &path, QString *error) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) {
        *error = QStringLiteral("The lock file %1 cannot be opened: %2")
                     .arg(path, errno == ELOOP ? QStringLiteral("it is a link") : systemError(errno));
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        *error = QStringLiteral("The lock file %1 cannot be used: it is not a regular file of this user's").arg(path);
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace vistrel
