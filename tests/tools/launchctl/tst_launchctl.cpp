// The service-manager stand-in end to end: real bootstrap/bootout/print commands, real
// supervisors and small bash jobs that report what they see, each test in its own runtime folder.

#include "common/shellquote.h"
#include "testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel::test;

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QStringList errLines;
};

Result launchctl(const QStringList &arguments, const QString &program = launchctlTool()) {
    QProcess process;
    process.start(program, arguments);
    Result r;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return r;
    }
    r.exitCode = process.exitCode();
    r.out = QString::fromUtf8(process.readAllStandardOutput());
    r.errLines = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return r;
}

// The same command from several callers at once; their exit codes.
QList<int> launchctlAtOnce(const QStringList &arguments, int callers) {
    std::vector<std::unique_ptr<QProcess>> processes(callers);
    for (auto &p : processes)
        (p = std::make_unique<QProcess>())->start(launchctlTool(), arguments);
    QList<int> codes;
    for (auto &p : processes)
        codes << (p->waitForFinished(30000) ? p->exitCode() : -1);
    return codes;
}

const QString domain = QStringLiteral("gui/%1").arg(::getuid());
QString service(const QString &label) {
    return domain + u'/' + label;
}
const QString bootstrapFailed = QStringLiteral("Bootstrap failed: 5: Input/output error");
const QString bootoutFailed = QStringLiteral("Boot-out failed: 5: Input/output error");

QString entry(const QString &key, const QString &value) {
    return QStringLiteral("<key>%1</key><string>%2</string>\n").arg(vistrel::xmlEscape(key), vistrel::xmlEscape(value));
}
const QString runAtLoad = QStringLiteral("<key>RunAtLoad</key><true/>\n");
const QString keepAlive = QStringLiteral("<key>KeepAlive</key><true/>\n");

// `extra` holds the keys beyond these; ProcessType is not modelled, so ignored.
QByteArray plistText(const QString &label, const QStringList &arguments, const QString &extra = {}) {
    QString s = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n") +
                entry(QStringLiteral("Label"), label) + entry(QStringLiteral("ProcessType"), QStringLiteral("x")) +
                QStringLiteral("<key>ThrottleInterval</key><integer>1</integer>\n<key>ProgramArguments</key><array>\n");
    for (const QString &a : arguments)
        s += QStringLiteral("<string>%1</string>\n").arg(vistrel::xmlEscape(a));
    return (s + QStringLiteral("</array>\n") + extra + QStringLiteral("</dict>\n</plist>\n")).toUtf8();
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// /proc/<pid>/stat fields after the command name: [0] state, [1] parent.
QList<QByteArray> statFields(qint64 pid) {
    const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 ? QList<QByteArray>{} : stat.mid(close + 2).split(' ');
}

// Reaped, or a zombie nobody reaps yet: either way it no longer runs.
bool isGone(qint64 pid) {
    const auto fields = statFields(pid);
    return fields.isEmpty() || fields[0] == "Z" || fields[0] == "X";
}

qint64 parentOf(qint64 pid) {
    const auto fields = statFields(pid);
    return fields.size() > 1 ? fields[1].toLongLong() : 0;
}

// One "key = value" line of `print`; nothing when the service is not loaded.
std::optional<QString> printed(const QString &label, const QString &key) {
    const Result r = launchctl({QStringLiteral("print"), service(label)});
    if (r.exitCode != 0)
        return std::nullopt;
    const QRegularExpression line(QStringLiteral("^\\t%1 = (.*)$").arg(QRegularExpression::escape(key)),
                                  QRegularExpression::MultilineOption);
    return line.match(r.out).captured(1);
}

qint64 printedPid(const QString &label) {
    return printed(label, QStringLiteral("pid")).value_or(QString()).toLongLong();
}

// The numbers a job wrote after `tag ` into its log, in order.
QList<qint64> logged(const QString &logPath, const QString &tag) {
    QList<qint64> values;
    const QRegularExpression re(QStringLiteral("^%1 (\\d+)").arg(tag), QRegularExpression::MultilineOption);
    for (auto it = re.globalMatch(QString::fromUtf8(readAll(logPath))); it.hasNext();)
        values.append(it.next().captured(1).toLongLong());
    return values;
}

} // namespace

class LaunchctlTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    QStringList m_labels;

    QString home() const { return m_home->path(); }
    QString stateFolder() const { return m_home->runtimeDir() + QStringLiteral("/vistrel-launchctl"); }
    QStringList jobFiles() const { return QDir(stateFolder()).entryList({QStringLiteral("job-*")}, QDir::Files); }

    QString script(const QString &name, const QString &body) {
        const QString path = home() + QStringLiteral("/bin/") + name;
        writeFile(path, "#!/bin/bash\n" + body.toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    QString plist(const QString &label, const QStringList &arguments, const QString &extra) {
        const QString path = home() + QStringLiteral("/Library/LaunchAgents/%1.plist").arg(label);
        writeFile(path, plistText(label, arguments, extra));
        m_labels.append(label);
        return path;
    }

    QString logOf(const QString &label) const { return home() + QStringLiteral("/Library/Logs/%1.log").arg(label); }

    // A job that logs its pid, its start time (ns) and a background child's pid to logOf(label), then waits.
    QString waitingJob(const QString &label, const QString &extra = keepAlive) {
        const QString body = QStringLiteral("echo \"start $$\"\necho \"ns $(date +%s%N)\"\nsleep 30 &\n"
                                            "echo \"child $!\"\nwait\n");
        return plist(label, {script(label + QStringLiteral(".sh"), body)},
                     entry(QStringLiteral("StandardOutPath"), logOf(label)) + extra);
    }

    Result bootstrap(const QString &plistPath) { return launchctl({QStringLiteral("bootstrap"), domain, plistPath}); }
    Result bootout(const QString &plistPath) { return launchctl({QStringLiteral("bootout"), domain, plistPath}); }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY(m_home->isValid());
        m_labels.clear();
    }

    void cleanup() {
        for (const QString &label : std::as_const(m_labels))
            launchctl({QStringLiteral("bootout"), service(label)});
        m_home.reset();
    }

    void lifecycleWithThrottledRestart() {
        const QString label = QStringLiteral("com.example.life");
        const QString path = waitingJob(label);
        const QString log = logOf(label);

        // Loaded through a copy of the tool deleted at once, as the uninstaller deletes the launcher
        // around it: the supervisor must not need its program file again.
        const QString copy = home() + QStringLiteral("/bin/launchctl-copy");
        QVERIFY(QFile::copy(launchctlTool(), copy));
        const Result boot = launchctl({QStringLiteral("bootstrap"), domain, path}, copy);
        QCOMPARE(boot.exitCode, 0);
        QVERIFY(boot.out.isEmpty() && boot.errLines.isEmpty());
        QVERIFY(QFile::remove(copy));
        // Loaded and started by the time bootstrap returns.
        QCOMPARE(printed(label, QStringLiteral("state")), QStringLiteral("running"));
        const qint64 first = printedPid(label);
        QVERIFY(first > 0 && !isGone(first));
        const qint64 supervisor = parentOf(first);
        QVERIFY(supervisor > 1 && supervisor != ::getpid());

        // Loaded already, also through another plist with the same label: refused, the job untouched.
        const QString other = home() + QStringLiteral("/other.plist");
        writeFile(other, plistText(label, {QStringLiteral("/bin/true")}, runAtLoad));
        for (const QString &p : {path, other}) {
            const Result r = bootstrap(p);
            QCOMPARE(r.exitCode, 5);
            QCOMPARE(r.errLines.value(0), bootstrapFailed);
            QVERIFY2(r.errLines.value(1).contains(label), qPrintable(r.errLines.join(u'\n')));
        }
        QCOMPARE(printedPid(label), first);
        QCOMPARE(printed(label, QStringLiteral("runs")), QStringLiteral("1"));
        QVERIFY(QTest::qWaitFor([&] { return logged(log, QStringLiteral("child")).size() == 1; }));
        const qint64 firstChild = logged(log, QStringLiteral("child")).first();

        // Killed from outside (as pkill -9 would): restarted, but not before the throttle.
        QCOMPARE(::kill(pid_t(first), SIGKILL), 0);
        qint64 second = 0;
        QVERIFY(QTest::qWaitFor([&] { return (second = printedPid(label)) > 0 && second != first; }, 10000));
        QCOMPARE(printed(label, QStringLiteral("runs")), QStringLiteral("2"));
        QVERIFY(printed(label, QStringLiteral("last terminating signal")).value_or(QString()).endsWith(u": 9"));
        QVERIFY(QTest::qWaitFor([&] { return logged(log, QStringLiteral("child")).size() == 2; }));
        QCOMPARE(logged(log, QStringLiteral("start")), QList<qint64>({first, second}));
        const QList<qint64> ns = logged(log, QStringLiteral("ns")); // start times as the job saw them
        QVERIFY2(ns[1] - ns[0] >= 950'000'000, qPrintable(QStringLiteral("restarted after %1 ns").arg(ns[1] - ns[0])));
        // The dead job's background child went with it.
        QVERIFY(QTest::qWaitFor([&] { return isGone(firstChild); }, 2000));
        QCOMPARE(parentOf(second), supervisor);

        // Gone when bootout returns: job, its child, the supervisor and the state.
        const Result out = bootout(path);
        QCOMPARE(out.exitCode, 0);
        QVERIFY(out.out.isEmpty() && out.errLines.isEmpty());
        QVERIFY(isGone(second) && isGone(logged(log, QStringLiteral("child")).last()) && isGone(supervisor));
        QCOMPARE(launchctl({QStringLiteral("print"), service(label)}).exitCode, 113);
        QCOMPARE(jobFiles(), QStringList());

        const Result again = bootout(path);
        QCOMPARE(again.exitCode, 5);
        QCOMPARE(again.errLines.value(0), bootoutFailed);
        QVERIFY2(again.errLines.value(1).contains(label), qPrintable(again.errLines.join(u'\n')));
    }

    void jobSeesItsEnvironmentFolderAndLogs() {
        const QString label = QStringLiteral("com.example.env");
        const QString folder = home() + QStringLiteral("/work 'dir' & $x");
        QVERIFY(writeFile(folder + QStringLiteral("/out.log"), "earlier\n"));
        qputenv("LAUNCHCTL_TEST_INHERITED", "from caller");
        qputenv("LAUNCHCTL_TEST_OVERRIDDEN", "from caller");
        const QString errorLog = home() + QStringLiteral("/Library/Logs/new/env.error.log");
        const QString program = script(QStringLiteral("env.sh"),
                                       QStringLiteral("echo \"cwd=$(pwd) arg=$1 nice=$(nice)\"\n"
                                                      "echo \"JOBVAR=$JOBVAR PATH=$PATH\"\n"
                                                      "echo \"$LAUNCHCTL_TEST_INHERITED, $LAUNCHCTL_TEST_OVERRIDDEN\"\n"
                                                      "echo to stderr >&2\nexit 3\n"));
        const QString path = plist(
            label, {program, QStringLiteral("two words")},
            runAtLoad + QStringLiteral("<key>Nice</key><integer>5</integer>\n<key>EnvironmentVariables</key><dict>\n") +
                entry(QStringLiteral("JOBVAR"), QStringLiteral("a&b <c> \"d\"")) +
                entry(QStringLiteral("LAUNCHCTL_TEST_OVERRIDDEN"), QStringLiteral("from plist")) +
                entry(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin")) + QStringLiteral("</dict>\n") +
                entry(QStringLiteral("WorkingDirectory"), folder) +
                entry(QStringLiteral("StandardOutPath"), QStringLiteral("out.log")) + // relative to the folder
                entry(QStringLiteral("StandardErrorPath"), errorLog));

        // As the installer runs it: through bash, output captured until the pipe closes, here also on
        // a descriptor above the standard ones. A supervisor that kept any copy of the caller's pipe
        // would keep this shell waiting.
        QProcess shell;
        shell.start(
            QStringLiteral("/bin/bash"),
            {QStringLiteral("-c"), QStringLiteral("out=$(%1 bootstrap %2 %3 2>&1 7>&1); s=$?; "
                                                  "printf %s \"$out\"; exit $s")
                                       .arg(vistrel::shellQuote(launchctlTool()), domain, vistrel::shellQuote(path))});
        QVERIFY(shell.waitForFinished(15000));
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(shell.readAll(), QByteArray());
        qunsetenv("LAUNCHCTL_TEST_INHERITED");
        qunsetenv("LAUNCHCTL_TEST_OVERRIDDEN");

        QVERIFY(QTest::qWaitFor([&] { return printed(label, QStringLiteral("state")) == u"not running"; }));
        QCOMPARE(printed(label, QStringLiteral("last exit code")), QStringLiteral("3"));
        QCOMPARE(printed(label, QStringLiteral("runs")), QStringLiteral("1")); // no KeepAlive: no restart
        QCOMPARE(QString::fromUtf8(readAll(folder + QStringLiteral("/out.log"))),
                 QStringLiteral("earlier\ncwd=%1 arg=two words nice=5\nJOBVAR=a&b <c> \"d\" PATH=/usr/bin:/bin\n"
                                "from caller, from plist\n")
                     .arg(folder));
        QCOMPARE(readAll(errorLog), QByteArray("to stderr\n"));
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(errorLog).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0644 & ~mask);
    }

    void idleMissingFolderAndMissingProgram() {
        const QString idle = QStringLiteral("com.example.idle"), lost = QStringLiteral("com.example.lost"),
                      missing = QStringLiteral("com.example.missing");
        // Without RunAtLoad or KeepAlive: loaded, never started.
        QCOMPARE(bootstrap(waitingJob(idle, {})).exitCode, 0);
        QCOMPARE(printed(idle, QStringLiteral("state")), QStringLiteral("not running"));
        QCOMPARE(printed(idle, QStringLiteral("runs")), QStringLiteral("0"));

        // A working folder that is gone: reported in the error log, the job runs anyway.
        const QString folder = home() + QStringLiteral("/no such folder");
        const QString ran = script(QStringLiteral("ran.sh"), QStringLiteral("echo ran"));
        QCOMPARE(
            bootstrap(plist(lost, {ran},
                            runAtLoad + entry(QStringLiteral("WorkingDirectory"), folder) +
                                entry(QStringLiteral("StandardOutPath"), logOf(lost)) +
                                entry(QStringLiteral("StandardErrorPath"), logOf(lost + QStringLiteral(".error")))))
                .exitCode,
            0);

        // A program that is not there: exit 78, retried under the throttle.
        const QString nothing = home() + QStringLiteral("/no-such-program");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(
            bootstrap(plist(missing, {nothing}, keepAlive + entry(QStringLiteral("StandardErrorPath"), logOf(missing))))
                .exitCode,
            0);
        QVERIFY(QTest::qWaitFor([&] { return printed(missing, QStringLiteral("runs")) == u"2"; }, 5000));
        QVERIFY2(timer.elapsed() >= 900, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(printed(missing, QStringLiteral("last exit code")), QStringLiteral("78"));
        QVERIFY(readAll(logOf(missing)).contains(nothing.toUtf8()));

        QVERIFY(QTest::qWaitFor([&] { return readAll(logOf(lost)) == "ran\n"; }));
        QVERIFY(readAll(logOf(lost + QStringLiteral(".error"))).contains(folder.toUtf8()));
        QCOMPARE(printed(lost, QStringLiteral("last exit code")), QStringLiteral("0"));
    }

    void bootoutEscalatesAfterExitTimeOut_data() {
        QTest::addColumn<QString>("trap");
        QTest::addColumn<bool>("honoursTerm");
        QTest::newRow("ignores SIGTERM") << QStringLiteral("trap '' TERM") << false;
        QTest::newRow("honours SIGTERM") << QStringLiteral("trap 'echo got TERM; exit 0' TERM") << true;
    }

    void bootoutEscalatesAfterExitTimeOut() {
        QFETCH(QString, trap);
        QFETCH(bool, honoursTerm);
        const QString log = logOf(QStringLiteral("stubborn"));
        const QString path = plist(QStringLiteral("com.example.stubborn"),
                                   {script(QStringLiteral("stubborn.sh"),
                                           trap + QStringLiteral("\necho ready\nwhile :; do sleep 0.1; done\n"))},
                                   keepAlive + QStringLiteral("<key>ExitTimeOut</key><integer>2</integer>\n") +
                                       entry(QStringLiteral("StandardOutPath"), log));
        QCOMPARE(bootstrap(path).exitCode, 0);
        const qint64 pid = printedPid(QStringLiteral("com.example.stubborn"));
        QVERIFY(QTest::qWaitFor([&] { return readAll(log).contains("ready"); }));

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(bootout(path).exitCode, 0);
        const qint64 elapsed = timer.elapsed();
        QVERIFY(isGone(pid));
        QCOMPARE(readAll(log).contains("got TERM"), honoursTerm);
        if (honoursTerm)
            QVERIFY2(elapsed < 1900, qPrintable(QString::number(elapsed))); // no SIGKILL was needed
        else // SIGKILL once ExitTimeOut has passed, not before and not much later
            QVERIFY2(elapsed >= 1900 && elapsed < 6000, qPrintable(QString::number(elapsed)));
    }

    void killedSupervisorLeavesStaleStateThatIsCleaned() {
        const QString label = QStringLiteral("com.example.orphan");
        const QString path = waitingJob(label);
        QCOMPARE(bootstrap(path).exitCode, 0);
        const qint64 pid = printedPid(label);
        const qint64 supervisor = parentOf(pid);
        QVERIFY(QTest::qWaitFor([&] { return logged(logOf(label), QStringLiteral("child")).size() == 1; }));
        const qint64 child = logged(logOf(label), QStringLiteral("child")).first();

        QCOMPARE(::kill(pid_t(supervisor), SIGKILL), 0);
        QVERIFY(QTest::qWaitFor([&] { return isGone(supervisor) && isGone(pid); }, 5000));
        QVERIFY(!jobFiles().isEmpty()); // what the dead supervisor left behind
        QCOMPARE(launchctl({QStringLiteral("print"), service(label)}).exitCode, 113);

        // Not "already loaded": the stale state is cleaned, leftovers ended, the job loads afresh.
        QCOMPARE(bootstrap(path).exitCode, 0);
        QVERIFY(QTest::qWaitFor([&] { return isGone(child); }, 2000));
        QCOMPARE(printed(label, QStringLiteral("runs")), QStringLiteral("1"));
        const qint64 fresh = printedPid(label);
        QVERIFY(fresh > 0 && fresh != pid && !isGone(fresh));
        // Booted out by its service name, as when the plist is gone.
        QCOMPARE(launchctl({QStringLiteral("bootout"), service(label)}).exitCode, 0);
        QVERIFY(isGone(fresh));

        // The runtime folder removed under a loaded job (a test's temporary folder): nobody could boot
        // it out any more, so it ends itself.
        QCOMPARE(bootstrap(path).exitCode, 0);
        const qint64 last = printedPid(label);
        const qint64 lastSupervisor = parentOf(last);
        QVERIFY(QDir(stateFolder()).removeRecursively());
        QVERIFY(QTest::qWaitFor([&] { return isGone(last) && isGone(lastSupervisor); }, 5000));
    }

    void concurrentBootstrapsLoadOnce() {
        const QString label = QStringLiteral("com.example.race");
        const QString path = waitingJob(label);
        const QList<int> raced = launchctlAtOnce({QStringLiteral("bootstrap"), domain, path}, 6);
        QCOMPARE(raced.count(0), 1);
        QCOMPARE(raced.count(5), 5);
        QCOMPARE(printed(label, QStringLiteral("runs")), QStringLiteral("1"));
        const qint64 pid = printedPid(label);
        QCOMPARE(bootout(path).exitCode, 0);
        QVERIFY(isGone(pid));
        QCOMPARE(jobFiles(), QStringList());
    }

    void badPlistIsRejectedAndNothingLoaded_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("reason");
        const QByteArray good = plistText(QStringLiteral("com.example.bad"), {QStringLiteral("/bin/sleep")}, keepAlive);
        auto replaced = [&](const char *from, const char *to) { return QByteArray(good).replace(from, to); };

        QTest::newRow("missing file") << QByteArray() << QStringLiteral("Could not read");
        // What an installer that forgot to escape a home folder with an ampersand would write.
        QTest::newRow("unescaped ampersand")
            << replaced("</array>", "</array>\n<key>WorkingDirectory</key><string>/home/a&b</string>")
            << QStringLiteral("Malformed");
        QTest::newRow("truncated") << good.left(good.size() / 2) << QStringLiteral("Malformed");
        QTest::newRow("no Label") << replaced("<key>Label</key>", "<key>Name</key>") << QStringLiteral("Label");
        QTest::newRow("empty ProgramArguments")
            << replaced("<string>/bin/sleep</string>", "") << QStringLiteral("ProgramArguments");
        QTest::newRow("KeepAlive not a boolean")
            << replaced("<true/>", "<string>yes</string>") << QStringLiteral("KeepAlive");
    }

    void badPlistIsRejectedAndNothingLoaded() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString path = home() + QStringLiteral("/Library/LaunchAgents/bad.plist");
        if (!content.isEmpty())
            QVERIFY(writeFile(path, content));
        m_labels.append(QStringLiteral("com.example.bad"));

        const Result r = bootstrap(path);
        QCOMPARE(r.exitCode, 5);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.errLines.size(), 2);
        QCOMPARE(r.errLines[0], bootstrapFailed);
        QVERIFY2(r.errLines[1].contains(reason) && r.errLines[1].contains(path), qPrintable(r.errLines[1]));
        QCOMPARE(launchctl({QStringLiteral("print"), service(QStringLiteral("com.example.bad"))}).exitCode, 113);
        QCOMPARE(jobFiles(), QStringList());

        // Bootout fails too: on the plist when it has no readable label, else on the label.
        const Result out = bootout(path);
        QCOMPARE(out.exitCode, 5);
        QCOMPARE(out.errLines.size(), 2);
        QCOMPARE(out.errLines[0], bootoutFailed);
        QVERIFY2(out.errLines[1].contains(path) || out.errLines[1].contains(QStringLiteral("com.example.bad")),
                 qPrintable(out.errLines[1]));
    }

    void otherUsersDomainIsNotFound_data() {
        QTest::addColumn<QStringList>("arguments");
        const QString other = QStringLiteral("gui/%1").arg(::getuid() + 1);
        QTest::newRow("bootstrap") << QStringList{QStringLiteral("bootstrap"), other, QStringLiteral("{plist}")};
        QTest::newRow("bootout") << QStringList{QStringLiteral("bootout"), other, QStringLiteral("{plist}")};
        QTest::newRow("print") << QStringList{QStringLiteral("print"), other + QStringLiteral("/com.example.other")};
    }

    void otherUsersDomainIsNotFound() {
        QFETCH(QStringList, arguments);
        arguments.replaceInStrings(QStringLiteral("{plist}"), waitingJob(QStringLiteral("com.example.other")));
        const Result r = launchctl(arguments);
        QCOMPARE(r.exitCode, 112);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.errLines, QStringList{QStringLiteral("Could not find domain for user gui: %1").arg(::getuid() + 1)});
        QCOMPARE(launchctl({QStringLiteral("print"), service(QStringLiteral("com.example.other"))}).exitCode, 113);
    }

    void unsafeRuntimeFolderIsRefused_data() {
        QTest::addColumn<bool>("symlink");
        QTest::newRow("symbolic link") << true;
        QTest::newRow("another user's folder") << false;
    }

    void unsafeRuntimeFolderIsRefused() {
        QFETCH(bool, symlink);
        if (!symlink && ::geteuid() != 0)
            QSKIP("only root can hand a folder to another user");
        const QString elsewhere = home() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        if (symlink)
            QVERIFY(QFile::link(elsewhere, stateFolder()));
        else
            QVERIFY(QDir().mkpath(stateFolder()) &&
                    ::chown(QFile::encodeName(stateFolder()).constData(), 65534, 65534) == 0);

        const Result r = bootstrap(waitingJob(QStringLiteral("com.example.unsafe")));
        QCOMPARE(r.exitCode, 5);
        QCOMPARE(r.errLines.value(0), bootstrapFailed);
        QVERIFY2(r.errLines.value(1).contains(stateFolder()), qPrintable(r.errLines.join(u'\n')));
        QCOMPARE(QDir(elsewhere).entryList(QDir::Files), QStringList());
        QCOMPARE(launchctl({QStringLiteral("print"), service(QStringLiteral("com.example.unsafe"))}).exitCode, 113);
        if (!symlink)
            QVERIFY(QDir(stateFolder()).removeRecursively());
    }
};

QTEST_GUILESS_MAIN(LaunchctlTest)
#include "tst_launchctl.moc"
