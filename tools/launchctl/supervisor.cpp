#include "supervisor.h"

#include "processes.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace launchctl {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A ThrottleInterval of 0 must not turn a crashing job into a busy loop.
constexpr milliseconds minimumThrottle{100};
// How often the supervisor checks that its runtime folder still exists.
constexpr milliseconds domainCheckInterval{1000};

std::string local(const QString &text) {
    return QFile::encodeName(text).toStdString();
}

// What the job's child needs, prepared before fork so the child only makes system calls.
struct Launch {
    std::string label;
    std::string program;
    std::string workingDirectory;
    std::string standardOutPath;
    std::string standardErrorPath;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::optional<int> nice;
};

Launch prepareLaunch(const JobSpec &job) {
    Launch l;
    l.label = job.label.toStdString();
    l.program = local(job.program);
    l.workingDirectory = local(job.workingDirectory);
    l.standardOutPath = local(job.standardOutPath);
    l.standardErrorPath = local(job.standardErrorPath);
    for (const QString &a : job.arguments)
        l.arguments.push_back(local(a));
    for (char **e = environ; e && *e; ++e)
        l.environment.emplace_back(*e);
    for (const auto &[name, value] : job.environment) {
        const std::string prefix = local(name) + '=';
        std::erase_if(l.environment, [&](const std::string &e) { return e.starts_with(prefix); });
        l.environment.push_back(prefix + local(value));
    }
    l.nice = job.nice;
    return l;
}

// Opens a log for appending onto fd, creating it (and missing folders) as launchd would create
// the file; /dev/null when there is no path or it cannot be opened. Never waits: a FIFO nobody
// reads counts as a log that cannot be opened.
void openLog(const std::string &path, int fd) {
    int opened = -1;
    if (!path.empty()) {
        std::error_code ec;
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty())
            std::filesystem::create_directories(parent, ec);
        opened = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY, 0644);
        if (opened >= 0)
            ::fcntl(opened, F_SETFL, ::fcntl(opened, F_GETFL) & ~O_NONBLOCK);
    }
    if (opened < 0)
        opened = ::open("/dev/null", O_WRONLY);
    if (opened >= 0 && opened != fd) {
        ::dup2(opened, fd);
        ::close(opened);
    }
}

[[noreturn]] void runJob(const Launch &l, pid_t supervisor) {
    ::setpgid(0, 0);
    // A job never outlives its supervisor unnoticed; the remaining group is cleaned as stale state.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != supervisor)
        ::_exit(78);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig = 1; sig < NSIG; ++sig)
        ::signal(sig, SIG_DFL);
    if (l.nice)
        ::setpriority(PRIO_PROCESS, 0, *l.nice); // lowering it needs privileges; best effort
    int cwdError = 0;
    if (!l.workingDirectory.empty() && ::chdir(l.workingDirectory.c_str()) != 0)
        cwdError = errno;
    // Nothing of the supervisor's stays open in the job, its end of the caller's ready pipe least
    // of all: the caller waits for that to close.
    closeDescriptorsFrom(3);
    // After the chdir, so relative log paths are relative to the working directory.
    const int in = ::open("/dev/null", O_RDONLY);
    if (in > 0) {
        ::dup2(in, 0);
        ::close(in);
    }
    openLog(l.standardOutPath, 1);
    openLog(l.standardErrorPath, 2);
    if (cwdError != 0)
        ::dprintf(2, "launchctl: %s: could not change to the working directory %s: %s\n", l.label.c_str(),
                  l.workingDirectory.c_str(), std::strerror(cwdError));

    std::vector<char *> argv;
    for (const auto &a : l.arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (const auto &e : l.environment)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);
    environ = envp.data(); // execvp searches the job's own PATH
    ::execvp(l.program.c_str(), argv.data());
    ::dprintf(2, "launchctl: %s: could not run %s: %s\n", l.label.c_str(), l.program.c_str(), std::strerror(errno));
    ::_exit(78); // EX_CONFIG, as launchd records a job it cannot start
}

class Supervisor {
public:
    Supervisor(const JobSpec &job, const Domain &domain)
        : m_launch(prepareLaunch(job))
        , m_stateFile(domain.stateFile(job.label))
        , m_lockFile(domain.lockFile(job.label))
        , m_throttle(std::max<milliseconds>(std::chrono::seconds(job.throttleInterval), minimumThrottle))
        , m_exitTimeOut(std::chrono::seconds(job.exitTimeOut))
        , m_startAtLoad(job.runAtLoad || job.keepAlive)
        , m_keepAlive(job.keepAlive) {
        m_state.label = job.label;
        m_state.plistPath = job.plistPath;
        m_state.program = job.program;
        m_state.arguments = job.arguments;
        m_state.workingDirectory = job.workingDirectory;
        m_state.standardOutPath = job.standardOutPath;
        m_state.standardErrorPath = job.standardErrorPath;
        m_state.runAtLoad = job.runAtLoad;
        m_state.keepAlive = job.keepAlive;
        m_state.throttleInterval = job.throttleInterval;
        m_state.exitTimeOut = job.exitTimeOut;
        m_state.supervisorPid = ::getpid();
        m_state.state = QStringLiteral("not running");
    }

    [[noreturn]] void run(int readyFd) {
        const QString problem = takeJob();
        if (!problem.isEmpty()) {
            if (m_jobPid > 0) {
                ::kill(-m_jobPid, SIGKILL);
                ::waitpid(m_jobPid, nullptr, 0);
            }
            removeFiles();
            const QByteArray message = "error: " + problem.toUtf8() + '\n';
            (void)!::write(readyFd, message.constData(), size_t(message.size()));
            ::_exit(1);
        }
        (void)!::write(readyFd, "ok\n", 3);
        ::close(readyFd);
        loop();
    }

private:
    // Locks and publishes the job, starting it when asked; an empty result means it is loaded.
    QString takeJob() {
        sigset_t handled;
        sigemptyset(&handled);
        for (int sig : {SIGCHLD, SIGTERM, SIGINT, SIGHUP})
            sigaddset(&handled, sig);
        ::sigprocmask(SIG_BLOCK, &handled, nullptr);
        ::signal(SIGPIPE, SIG_IGN);
        m_signalFd = ::signalfd(-1, &handled, SFD_CLOEXEC | SFD_NONBLOCK);
        if (m_signalFd < 0)
            return QStringLiteral("Could not watch signals: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));

        const std::string lockPath = local(m_lockFile);
        m_lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_lockFd < 0)
            return QStringLiteral("Could not create %1: %2")
                .arg(m_lockFile, QString::fromLocal8Bit(std::strerror(errno)));
        while (::flock(m_lockFd, LOCK_EX) != 0) {
            if (errno != EINTR)
                return QStringLiteral("Could not lock %1: %2")
                    .arg(m_lockFile, QString::fromLocal8Bit(std::strerror(errno)));
        }
        struct stat st {};
        ::fstat(m_lockFd, &st);
        m_lockDevice = st.st_dev;
        m_lockInode = st.st_ino;
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        (void)!::ftruncate(m_lockFd, 0);
        (void)!::pwrite(m_lockFd, pid.constData(), size_t(pid.size()), 0);

        if (m_startAtLoad)
            spawn(false);
        if (!publish())
            return QStringLiteral("Could not write %1").arg(m_stateFile);
        return {};
    }

    [[noreturn]] void loop() {
        auto nextDomainCheck = Clock::now() + domainCheckInterval;
        for (;;) {
            auto now = Clock::now();
            auto wake = nextDomainCheck;
            if (m_restartAt)
                wake = std::min(wake, *m_restartAt);
            if (m_killAt)
                wake = std::min(wake, *m_killAt);
            const auto wait = std::chrono::ceil<milliseconds>(std::max(wake - now, Clock::duration::zero()));
            pollfd p{m_signalFd, POLLIN, 0};
            ::poll(&p, 1, int(wait.count()));

            bool childChanged = false;
            bool stopAsked = false;
            signalfd_siginfo info{};
            while (::read(m_signalFd, &info, sizeof info) == ssize_t(sizeof info)) {
                if (info.ssi_signo == SIGCHLD)
                    childChanged = true;
                else
                    stopAsked = true;
            }
            if (childChanged)
                reap();
            now = Clock::now();
            if (now >= nextDomainCheck) {
                nextDomainCheck = now + domainCheckInterval;
                // Without its runtime folder nobody can boot the job out any more; end it.
                if (!domainStillThere())
                    stopAsked = true;
            }
            if (stopAsked && !m_stopping)
                beginStop();
            if (m_killAt && now >= *m_killAt) {
                m_killAt.reset();
                ::kill(-m_jobPid, SIGKILL);
            }
            if (m_restartAt && now >= *m_restartAt) {
                m_restartAt.reset();
                if (!m_stopping)
                    spawn(true);
            }
            if (m_stopping && m_jobPid == 0) {
                removeFiles();
                ::_exit(0);
            }
        }
    }

    void spawn(bool andPublish) {
        m_lastStart = Clock::now();
        ++m_state.runs;
        const pid_t self = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0)
            runJob(m_launch, self);
        if (pid < 0) {
            m_state.lastWaitStatus = 78 << 8;
            scheduleRestart();
        } else {
            ::setpgid(pid, pid); // also done by the child; whichever runs first wins
            m_jobPid = pid;
            m_state.pid = pid;
            m_state.pgid = pid;
            m_state.pidStartTime = processStartTime(pid).value_or(0);
            m_state.state = QStringLiteral("running");
        }
        if (andPublish)
            publish();
    }

    void reap() {
        if (m_jobPid <= 0)
            return;
        siginfo_t info{};
        if (::waitid(P_PID, id_t(m_jobPid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == 0)
            return;
        // The job's leftover children go with it; its unreaped pid keeps the group id ours meanwhile.
        ::kill(-m_jobPid, SIGKILL);
        int status = 0;
        while (::waitpid(m_jobPid, &status, 0) < 0 && errno == EINTR) {
        }
        m_jobPid = 0;
        m_killAt.reset();
        m_state.pid = 0;
        m_state.pgid = 0;
        m_state.pidStartTime = 0;
        m_state.lastWaitStatus = status;
        m_state.state = QStringLiteral("not running");
        if (m_stopping)
            return;
        scheduleRestart();
        publish();
    }

    void scheduleRestart() {
        if (!m_keepAlive)
            return;
        m_restartAt = std::max(Clock::now(), m_lastStart + m_throttle);
        m_state.state = QStringLiteral("waiting");
    }

    void beginStop() {
        m_stopping = true;
        m_restartAt.reset();
        if (m_jobPid > 0) {
            ::kill(m_jobPid, SIGTERM);
            m_killAt = Clock::now() + m_exitTimeOut;
        }
    }

    bool publish() {
        if (!domainStillThere())
            return false;
        QSaveFile file(m_stateFile);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(m_state.toJson());
        return file.commit();
    }

    bool domainStillThere() const {
        struct stat st {};
        return ::stat(local(m_lockFile).c_str(), &st) == 0 && st.st_dev == m_lockDevice && st.st_ino == m_lockInode;
    }

    // Only while the lock file there is still ours: once the runtime folder was removed, a later
    // supervisor may have taken the label, and these names are its files now.
    void removeFiles() {
        if (m_lockFd < 0 || !domainStillThere())
            return;
        QFile::remove(m_stateFile);
        QFile::remove(m_lockFile);
    }

    const Launch m_launch;
    const QString m_stateFile;
    const QString m_lockFile;
    const milliseconds m_throttle;
    const milliseconds m_exitTimeOut;
    const bool m_startAtLoad;
    const bool m_keepAlive;

    JobState m_state;
    int m_signalFd = -1;
    int m_lockFd = -1;
    dev_t m_lockDevice = 0;
    ino_t m_lockInode = 0;
    pid_t m_jobPid = 0;
    bool m_stopping = false;
    Clock::time_point m_lastStart;
    std::optional<Clock::time_point> m_restartAt;
    std::optional<Clock::time_point> m_killAt;
};

// Gives the supervisor a clean slate: the ready pipe on descriptor 3, /dev/null on 0 to 2, nothing
// else of the caller's (a caller capturing our output must see its pipe close when we exit).
int detachDescriptors(int readyFd) {
    if (readyFd != 3) {
        ::dup2(readyFd, 3);
        ::close(readyFd);
    }
    closeDescriptorsFrom(4);
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) {
        if (null != fd)
            ::dup2(null, fd);
    }
    if (null > 2)
        ::close(null);
    return 3;
}

} // namespace

bool startSupervisor(const JobSpec &job, const Domain &domain, QString *reason) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        *reason =
            QStringLiteral("Could not start the supervisor: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        *reason =
            QStringLiteral("Could not start the supervisor: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(ready[0]);
        ::close(ready[1]);
        return false;
    }
    if (child == 0) {
        ::close(ready[0]);
        ::setsid();
        const pid_t supervisor = ::fork();
        if (supervisor != 0)
            ::_exit(supervisor < 0 ? 1 : 0);
        const int readyFd = detachDescriptors(ready[1]);
        (void)!::chdir("/");
        ::prctl(PR_SET_NAME, "job-supervisor");
        Supervisor(job, domain).run(readyFd);
    }
    ::close(ready[1]);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // One line answers; nothing after it is waited for.
    QByteArray answer;
    char buffer[512];
    while (!answer.contains('\n')) {
        const ssize_t n = ::read(ready[0], buffer, sizeof buffer);
        if (n > 0)
            answer.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(ready[0]);
    if (answer.startsWith("ok\n"))
        return true;
    if (answer.startsWith("error: "))
        *reason = QString::fromUtf8(answer.mid(7).trimmed());
    else
        *reason = QStringLiteral("The supervisor ended before taking the job");
    domain.cleanStale(job.label);
    return false;
}

} // namespace launchctl
