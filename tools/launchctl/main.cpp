// A stand-in for the service manager's command-line tool, speaking the subset the installer and
// the launcher use: bootstrap, bootout and print in the caller's gui/<uid> domain.

#include "autostart.h"
#include "domain.h"
#include "jobspec.h"
#include "processes.h"
#include "supervisor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace launchctl;

namespace {

constexpr int exitUsage = 64;
constexpr int exitIoError = 5;
constexpr int exitNoDomain = 112;
constexpr int exitNoService = 113;

// How much longer than a job's ExitTimeOut bootout waits for its supervisor before ending it.
constexpr std::chrono::seconds supervisorGrace{10};

void writeLine(FILE *stream, const QString &line) {
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

const char usageText[] = "Usage: launchctl <subcommand> ...\n"
                         "Subcommands:\n"
                         "\tbootstrap <domain-target> <plist-path>\n"
                         "\tbootout <domain-target> <plist-path> | <service-target>\n"
                         "\tprint <service-target>\n"
                         "\tautostart (at login: loads the RunAtLoad agents of ~/Library/LaunchAgents)\n"
                         "\thelp\n"
                         "<domain-target> is gui/<uid>; <service-target> is gui/<uid>/<label>.\n";

int usage(const QString &problem = {}) {
    if (!problem.isEmpty())
        writeLine(stderr, problem);
    std::fputs(usageText, stderr);
    return exitUsage;
}

struct Target {
    QString uidText;
    QString label; // empty for a domain target
};

// "gui/<uid>" or "gui/<uid>/<label>"; nothing for anything else.
std::optional<Target> parseTarget(const QString &text) {
    if (!text.startsWith(QStringLiteral("gui/")))
        return std::nullopt;
    const QString rest = text.mid(4);
    const qsizetype slash = rest.indexOf(u'/');
    Target t;
    t.uidText = slash < 0 ? rest : rest.left(slash);
    if (slash >= 0) {
        t.label = rest.mid(slash + 1);
        if (t.label.isEmpty())
            return std::nullopt;
    }
    if (t.uidText.isEmpty() || !std::all_of(t.uidText.cbegin(), t.uidText.cend(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    return t;
}

bool isCallersDomain(const Target &t) {
    bool ok = false;
    const qulonglong uid = t.uidText.toULongLong(&ok);
    return ok && uid == qulonglong(::getuid());
}

int noDomain(const Target &t) {
    writeLine(stderr, QStringLiteral("Could not find domain for user gui: %1").arg(t.uidText));
    return exitNoDomain;
}

int failed(const char *what, const QString &reason) {
    writeLine(stderr, QStringLiteral("%1 failed: 5: Input/output error").arg(QString::fromLatin1(what)));
    writeLine(stderr, reason);
    return exitIoError;
}

int bootstrap(const QString &plistPath) {
    QString reason;
    const auto job = loadJobSpec(plistPath, &reason);
    if (!job)
        return failed("Bootstrap", reason);
    if (!Domain::fileNameFor(job->label))
        return failed("Bootstrap", QStringLiteral("Label is too long: %1").arg(job->label));
    auto domain = Domain::open(&reason);
    if (!domain || !domain->lock(&reason))
        return failed("Bootstrap", reason);
    switch (domain->presence(job->label)) {
    case Domain::Presence::Loaded:
        return failed("Bootstrap", QStringLiteral("Service is already loaded: %1").arg(job->label));
    case Domain::Presence::Stale:
        domain->cleanStale(job->label);
        break;
    case Domain::Presence::NotLoaded:
        break;
    }
    if (!startSupervisor(*job, *domain, &reason))
        return failed("Bootstrap", reason);
    return 0;
}

// The job loaded from path, when its plist can no longer be read: named in the reason so the
// caller knows how to reach it.
std::optional<QString> labelLoadedFrom(const Domain &domain, const QString &plistPath) {
    const QString wanted = QFileInfo(plistPath).absoluteFilePath();
    const QStringList files = QDir(domain.path()).entryList({QStringLiteral("job-*.json")}, QDir::Files);
    for (const QString &file : files) {
        QFile f(domain.path() + u'/' + file);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const auto state = JobState::fromJson(f.readAll());
        if (state && state->plistPath == wanted && domain.presence(state->label) == Domain::Presence::Loaded)
            return state->label;
    }
    return std::nullopt;
}

bool waitForRelease(int lockFd, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        if (::flock(lockFd, LOCK_SH | LOCK_NB) == 0) {
            ::flock(lockFd, LOCK_UN);
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int bootoutLabel(Domain &domain, const QString &label) {
    QString reason;
    if (!domain.lock(&reason))
        return failed("Boot-out", reason);
    const Domain::Presence presence = domain.presence(label);
    if (presence == Domain::Presence::Stale)
        domain.cleanStale(label);
    if (presence != Domain::Presence::Loaded)
        return failed("Boot-out", QStringLiteral("Service is not loaded: %1").arg(label));

    // The supervisor wrote its pid into the lock it holds; watch that very file while it stops.
    const int lockFd = ::open(QFile::encodeName(domain.lockFile(label)).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (lockFd < 0)
        return failed("Boot-out", QStringLiteral("Service is not loaded: %1").arg(label));
    char buffer[32] = {};
    const ssize_t n = ::pread(lockFd, buffer, sizeof buffer - 1, 0);
    const auto state = domain.loadedState(label);
    pid_t supervisor = n > 0 ? pid_t(std::atol(buffer)) : 0;
    if (supervisor <= 0 && state)
        supervisor = pid_t(state->supervisorPid);
    if (supervisor <= 0) {
        ::close(lockFd);
        return failed("Boot-out", QStringLiteral("Could not find the supervisor of %1").arg(label));
    }
    const int exitTimeOut = state && state->exitTimeOut > 0 ? state->exitTimeOut : JobSpec{}.exitTimeOut;

    ::kill(supervisor, SIGTERM);
    // The job may take up to its ExitTimeOut to go: other commands of the domain go on meanwhile.
    // Whatever they load later holds a new lock file, so the watch below stays on this job.
    domain.unlock();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(exitTimeOut) + supervisorGrace;
    if (!waitForRelease(lockFd, deadline)) {
        // A supervisor that does not answer is ended; its job and files are then stale.
        ::kill(supervisor, SIGKILL);
        if (!waitForRelease(lockFd, std::chrono::steady_clock::now() + supervisorGrace)) {
            ::close(lockFd);
            return failed("Boot-out", QStringLiteral("The supervisor of %1 does not end").arg(label));
        }
    }
    ::close(lockFd);
    // Nothing left unless the supervisor died before tidying up; a job loaded again meanwhile is
    // held by its own supervisor and left alone.
    if (domain.lock(&reason))
        domain.cleanStale(label);
    // The lock goes as the supervisor starts exiting; wait for the rest of it, briefly.
    const auto exited = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (supervisor > 0 && processStartTime(supervisor) && std::chrono::steady_clock::now() < exited)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return 0;
}

int bootout(const QString &plistPath, const Target &target) {
    QString reason;
    const auto label = loadJobLabel(plistPath, &reason);
    if (!label) {
        QString ignored;
        if (auto domain = Domain::open(&ignored); domain) {
            if (const auto loaded = labelLoadedFrom(*domain, plistPath))
                reason += QStringLiteral(" (service %1 was loaded from it; boot it out with gui/%2/%1)")
                              .arg(*loaded, target.uidText);
        }
        return failed("Boot-out", reason);
    }
    auto domain = Domain::open(&reason);
    if (!domain)
        return failed("Boot-out", reason);
    return bootoutLabel(*domain, *label);
}

QString describeStatus(const std::optional<int> &status) {
    if (!status)
        return QStringLiteral("last exit code = (never exited)");
    if (WIFSIGNALED(*status)) {
        const int sig = WTERMSIG(*status);
        return QStringLiteral("last terminating signal = %1: %2").arg(QString::fromLocal8Bit(strsignal(sig))).arg(sig);
    }
    // The conventional exit codes of system programs are named, as the real tool names them.
    static const char *const sysexits[] = {"EX_USAGE",       "EX_DATAERR",  "EX_NOINPUT",  "EX_NOUSER", "EX_NOHOST",
                                           "EX_UNAVAILABLE", "EX_SOFTWARE", "EX_OSERR",    "EX_OSFILE", "EX_CANTCREAT",
                                           "EX_IOERR",       "EX_TEMPFAIL", "EX_PROTOCOL", "EX_NOPERM", "EX_CONFIG"};
    const int code = WEXITSTATUS(*status);
    if (code >= 64 && code <= 78)
        return QStringLiteral("last exit code = %1: %2").arg(code).arg(QString::fromLatin1(sysexits[code - 64]));
    return QStringLiteral("last exit code = %1").arg(code);
}

int print(const Target &target) {
    QString reason;
    const auto domain = Domain::open(&reason);
    const auto state = domain ? domain->loadedState(target.label) : std::nullopt;
    if (!state) {
        writeLine(stderr, QStringLiteral("Could not find service \"%1\" in domain for user gui: %2")
                              .arg(target.label, target.uidText));
        return exitNoService;
    }
    auto yesNo = [](bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); };
    QStringList lines;
    lines << QStringLiteral("gui/%1/%2 = {").arg(target.uidText, state->label);
    lines << QStringLiteral("\tpath = %1").arg(state->plistPath);
    lines << QStringLiteral("\tstate = %1").arg(state->state);
    lines << QStringLiteral("\tprogram = %1").arg(state->program);
    lines << QStringLiteral("\targuments = {");
    for (const QString &a : state->arguments)
        lines << QStringLiteral("\t\t%1").arg(a);
    lines << QStringLiteral("\t}");
    if (!state->workingDirectory.isEmpty())
        lines << QStringLiteral("\tworking directory = %1").arg(state->workingDirectory);
    if (!state->standardOutPath.isEmpty())
        lines << QStringLiteral("\tstdout path = %1").arg(state->standardOutPath);
    if (!state->standardErrorPath.isEmpty())
        lines << QStringLiteral("\tstderr path = %1").arg(state->standardErrorPath);
    lines << QStringLiteral("\truns = %1").arg(state->runs);
    if (state->pid > 0)
        lines << QStringLiteral("\tpid = %1").arg(state->pid);
    lines << QStringLiteral("\t%1").arg(describeStatus(state->lastWaitStatus));
    lines << QStringLiteral("\trun at load = %1").arg(yesNo(state->runAtLoad));
    lines << QStringLiteral("\tkeep alive = %1").arg(yesNo(state->keepAlive));
    lines << QStringLiteral("\tthrottle interval = %1").arg(state->throttleInterval);
    lines << QStringLiteral("\texit timeout = %1").arg(state->exitTimeOut);
    lines << QStringLiteral("}");
    for (const QString &line : lines)
        writeLine(stdout, line);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    // A reader that went away must not turn into a silent death halfway through a bootout.
    std::signal(SIGPIPE, SIG_IGN);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();

    if (command == u"help") {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (command == u"autostart")
        return args.isEmpty() ? autostart() : usage();
    if (command != u"bootstrap" && command != u"bootout" && command != u"print")
        return usage(QStringLiteral("Unrecognized subcommand: %1").arg(command));

    const bool serviceForm = command == u"print" || (command == u"bootout" && args.size() == 1);
    if (args.size() != (serviceForm ? 1 : 2))
        return usage();
    const auto target = parseTarget(args.first());
    if (!target || target->label.isEmpty() != !serviceForm)
        return usage(QStringLiteral("Unrecognized target specifier: %1").arg(args.first()));
    if (!isCallersDomain(*target))
        return noDomain(*target);

    if (command == u"bootstrap")
        return bootstrap(args.at(1));
    if (command == u"print")
        return print(*target);
    if (args.size() == 2)
        return bootout(args.at(1), *target);
    QString reason;
    auto domain = Domain::open(&reason);
    if (!domain)
        return failed("Boot-out", reason);
    return bootoutLabel(*domain, target->label);
}
