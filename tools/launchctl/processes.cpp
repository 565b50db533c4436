#include "processes.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace launchctl {

namespace {

// Fields of /proc/<pid>/stat after the command name, which may itself hold spaces and ')'.
QList<QByteArray> statFields(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = file.readAll();
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return {};
    return stat.mid(close + 2).split(' ');
}

} // namespace

std::optional<quint64> processStartTime(qint64 pid) {
    if (pid <= 0)
        return std::nullopt;
    const QList<QByteArray> fields = statFields(pid);
    // fields[0] is the state (field 3), fields[19] the start time (field 22).
    if (fields.size() < 20 || fields[0] == "Z" || fields[0] == "X")
        return std::nullopt;
    bool ok = false;
    const quint64 start = fields[19].toULongLong(&ok);
    return ok ? std::optional<quint64>(start) : std::nullopt;
}

bool processGroupExists(qint64 pgid) {
    if (pgid <= 0 || (::kill(pid_t(-pgid), 0) != 0 && errno != EPERM))
        return false;
    // Zombies still count for kill(); only a live member makes the group real.
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        const QList<QByteArray> fields = statFields(pid);
        if (fields.size() > 2 && fields[0] != "Z" && fields[0] != "X" && fields[2].toLongLong() == pgid)
            return true;
    }
    return false;
}

void closeDescriptorsFrom(int from) {
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, unsigned(from), ~0U, 0) == 0)
        return;
#endif
    const long max = ::sysconf(_SC_OPEN_MAX);
    for (long fd = from; fd < (max > 0 ? max : 65536); ++fd)
        ::close(int(fd));
}

} // namespace launchctl
