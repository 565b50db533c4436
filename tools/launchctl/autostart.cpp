#include "autostart.h"

#include "domain.h"
#include "jobspec.h"
#include "supervisor.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace launchctl {

namespace {

void say(FILE *stream, const QString &line) {
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// Loads one agent unless it is loaded; false and a reason when it could not be loaded.
bool loadOnce(const JobSpec &job, QString *reason) {
    if (!Domain::fileNameFor(job.label)) {
        *reason = QStringLiteral("Label is too long: %1").arg(job.label);
        return false;
    }
    auto domain = Domain::open(reason);
    if (!domain || !domain->lock(reason))
        return false;
    switch (domain->presence(job.label)) {
    case Domain::Presence::Loaded:
        say(stdout, QStringLiteral("Already loaded: %1").arg(job.label));
        return true;
    case Domain::Presence::Stale:
        domain->cleanStale(job.label);
        break;
    case Domain::Presence::NotLoaded:
        break;
    }
    if (!startSupervisor(job, *domain, reason))
        return false;
    say(stdout, QStringLiteral("Loaded: %1").arg(job.label));
    return true;
}

// Whether path leads to a regular file; why not when it does not.
bool isRegularFile(const QString &path, QString *reason) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    else if (!S_ISREG(st.st_mode))
        *reason = QStringLiteral("it is not a regular file");
    else
        return true;
    return false;
}

} // namespace

int autostart() {
    const QDir agents(QDir::homePath() + QStringLiteral("/Library/LaunchAgents"));
    // Every entry, not only files: what is no agent is said to be skipped.
    const QStringList plists = agents.entryList({QStringLiteral("*.plist")},
                                                QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    bool allLoaded = true;
    for (const QString &name : plists) {
        QString reason;
        // Nothing but a regular file is read (a FIFO would hold up every agent after it).
        if (!isRegularFile(agents.filePath(name), &reason)) {
            say(stderr, QStringLiteral("Skipped %1: %2").arg(agents.filePath(name), reason));
            continue;
        }
        const auto job = loadJobSpec(agents.filePath(name), &reason);
        if (job && !job->runAtLoad)
            continue;
        if (!job || !loadOnce(*job, &reason)) {
            say(stderr, QStringLiteral("Could not load %1: %2").arg(agents.filePath(name), reason));
            allLoaded = false;
        }
    }
    return allLoaded ? 0 : 5;
}

} // namespace launchctl
