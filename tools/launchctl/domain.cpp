#include "domain.h"

#include "processes.h"

#include "common/privatefiles.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace launchctl {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

std::optional<Domain> Domain::open(QString *reason) {
    const QString runtime = vistrel::userRuntimeFolder(reason);
    if (runtime.isEmpty())
        return std::nullopt;
    const QString path = runtime + QStringLiteral("/vistrel-launchctl");
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        *reason = QStringLiteral("Could not create the runtime folder %1: %2").arg(path, systemError(errno));
        return std::nullopt;
    }
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) {
        *reason = QStringLiteral("Could not open the runtime folder %1: %2").arg(path, systemError(errno));
        return std::nullopt;
    }
    if (!S_ISDIR(st.st_mode)) {
        *reason = QStringLiteral("The runtime folder %1 is not a folder").arg(path);
        return std::nullopt;
    }
    if (st.st_uid != ::getuid()) {
        *reason = QStringLiteral("The runtime folder %1 belongs to another user").arg(path);
        return std::nullopt;
    }
    if ((st.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0) {
        *reason = QStringLiteral("Could not make the runtime folder %1 private: %2").arg(path, systemError(errno));
        return std::nullopt;
    }
    return Domain(path);
}

Domain::Domain(Domain &&other) noexcept
    : m_path(std::move(other.m_path))
    , m_lockFd(std::exchange(other.m_lockFd, -1)) {}

Domain::~Domain() {
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool Domain::lock(QString *reason) {
    if (m_lockFd >= 0)
        return true;
    const QString file = m_path + QStringLiteral("/domain.lock");
    const int fd = vistrel::openLockFile(file, reason);
    if (fd < 0)
        return false;
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            *reason = QStringLiteral("Could not lock %1: %2").arg(file, systemError(errno));
            ::close(fd);
            return false;
        }
    }
    m_lockFd = fd;
    return true;
}

void Domain::unlock() {
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
}

std::optional<QString> Domain::fileNameFor(const QString &label) {
    QString name = QString::fromLatin1(QUrl::toPercentEncoding(label, "-_."));
    if (name.startsWith(u'.'))
        name.replace(0, 1, QStringLiteral("%2E"));
    // Room for the prefix and suffix within the usual 255-byte limit.
    if (name.isEmpty() || name.size() > 200)
        return std::nullopt;
    return name;
}

QString Domain::stateFile(const QString &label) const {
    return m_path + QStringLiteral("/job-") + fileNameFor(label).value_or(QString()) + QStringLiteral(".json");
}

QString Domain::lockFile(const QString &label) const {
    return m_path + QStringLiteral("/job-") + fileNameFor(label).value_or(QString()) + QStringLiteral(".lock");
}

bool Domain::lockHeld(const QString &lockPath) {
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    // The supervisor holds it exclusively; a shared probe fails exactly while it lives.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

Domain::Presence Domain::presence(const QString &label) const {
    if (!fileNameFor(label))
        return Presence::NotLoaded;
    if (lockHeld(lockFile(label)))
        return Presence::Loaded;
    if (QFile::exists(lockFile(label)) || QFile::exists(stateFile(label)))
        return Presence::Stale;
    return Presence::NotLoaded;
}

std::optional<JobState> Domain::loadedState(const QString &label) const {
    if (presence(label) != Presence::Loaded)
        return std::nullopt;
    QFile file(stateFile(label));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    auto state = JobState::fromJson(file.readAll());
    if (!state || state->label != label)
        return std::nullopt;
    return state;
}

void Domain::cleanStale(const QString &label) const {
    if (!fileNameFor(label) || lockHeld(lockFile(label)))
        return;
    QFile file(stateFile(label));
    if (file.open(QIODevice::ReadOnly)) {
        if (const auto state = JobState::fromJson(file.readAll())) {
            // The job outlived its supervisor (or its leader died and left children behind). The
            // start time tells our job from a later process that got the same pid.
            // The job leads its own group; while any member lives the group id cannot be reused.
            if (state->pgid > 0 && processGroupExists(state->pgid)) {
                const auto leaderStart = processStartTime(state->pgid);
                if (!leaderStart || *leaderStart == state->pidStartTime)
                    ::kill(pid_t(-state->pgid), SIGKILL);
            }
        }
        file.close();
    }
    QFile::remove(stateFile(label));
    QFile::remove(lockFile(label));
}

} // namespace launchctl
