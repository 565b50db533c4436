// The service-manager stand-in end to end: real bootstrap/bootout/print commands, real
// supervisors and small bash jobs that report what they see, each test in its own runtime folder.

#include "common/paths.h"
#include "common/shellquote.h"
#include "testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel::test;

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QStringList errLines;
};

Result launchctl(const QStringList &arguments) {
    QProcess process;
    process.start(launchctlTool(), arguments);
    Result r;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return r;
    }
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = QString::fromUtf8(process.readAllStandardOutput());
    r.errLines = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return r;
}

QString domain() {
    return QStringLiteral("gui/%1").arg(::getuid());
}

QString service(const QString &label) {
    return domain() + u'/' + label;
}

struct Job {
    QString label;
    QStringList arguments;
    QList<QPair<QString, QString>> environment;
    QString workingDirectory;
    QString standardOutPath;
    QString standardErrorPath;
    bool runAtLoad = true;
    bool keepAlive = false;
    int throttleInterval = 1;
    int exitTimeOut = 5;
    std::optional<int> nice;
};

QByteArray plistText(const Job &job) {
    using vistrel::xmlEscape;
    QString s = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                               "<plist version=\"1.0\">\n<dict>\n");
    s += QStringLiteral("    <key>Label</key><string>%1</string>\n").arg(xmlEscape(job.label));
    s += QStringLiteral("    <key>ProcessType</key><string>Interactive</string>\n"); // not modelled: ignored
    s += QStringLiteral("    <key>ProgramArguments</key>\n    <array>\n");
    for (const QString &a : job.arguments)
        s += QStringLiteral("        <string>%1</string>\n").arg(xmlEscape(a));
    s += QStringLiteral("    </array>\n");
    if (!job.environment.isEmpty()) {
        s += QStringLiteral("    <key>EnvironmentVariables</key>\n    <dict>\n");
        for (const auto &[name, value] : job.environment)
            s += QStringLiteral("        <key>%1</key><string>%2</string>\n").arg(xmlEscape(name), xmlEscape(value));
        s += QStringLiteral("    </dict>\n");
    }
    auto text = [&](const char *key, const QString &value) {
        if (!value.isEmpty())
            s += QStringLiteral("    <key>%1</key><string>%2</string>\n").arg(QLatin1String(key), xmlEscape(value));
    };
    text("WorkingDirectory", job.workingDirectory);
    text("StandardOutPath", job.standardOutPath);
    text("StandardErrorPath", job.standardErrorPath);
    auto boolean = [](bool b) { return b ? QStringLiteral("<true/>") : QStringLiteral("<false/>"); };
    s += QStringLiteral("    <key>RunAtLoad</key>%1\n").arg(boolean(job.runAtLoad));
    s += QStringLiteral("    <key>KeepAlive</key>%1\n").arg(boolean(job.keepAlive));
    s += QStringLiteral("    <key>ThrottleInterval</key><integer>%1</integer>\n").arg(job.throttleInterval);
    s += QStringLiteral("    <key>ExitTimeOut</key><integer>%1</integer>\n").arg(job.exitTimeOut);
    if (job.nice)
        s += QStringLiteral("    <key>Nice</key><integer>%1</integer>\n").arg(*job.nice);
    s += QStringLiteral("</dict>\n</plist>");
    return s.toUtf8();
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

// One "key = value" line of `print`, or nothing when the service is not loaded.
std::optional<QString> printed(const QString &label, const QString &key) {
    const Result r = launchctl({QStringLiteral("print"), service(label)});
    if (r.exitCode != 0)
        return std::nullopt;
    const QRegularExpression line(QStringLiteral("^\\t%1 = (.*)$").arg(QRegularExpression::escape(key)),
                                  QRegularExpression::MultilineOption);
    const auto match = line.match(r.out);
    return match.hasMatch() ? std::optional<QString>(match.captured(1)) : std::optional<QString>(QString());
}

qint64 printedPid(const QString &label) {
    return printed(label, QStringLiteral("pid")).value_or(QString()).toLongLong();
}

// The numbers a job wrote after `tag ` into its log, in order.
QList<qint64> logged(const QString &logPath, const QString &tag) {
    QList<qint64> values;
    const QRegularExpression re(QStringLiteral("^%1 (\\d+)").arg(tag), QRegularExpression::MultilineOption);
    auto it = re.globalMatch(QString::fromUtf8(readAll(logPath)));
    while (it.hasNext())
        values.append(it.next().captured(1).toLongLong());
    return values;
}

const char bootstrapFailed[] = "Bootstrap failed: 5: Input/output error";
const char bootoutFailed[] = "Boot-out failed: 5: Input/output error";

} // namespace

class LaunchctlTest : public QObject {
    Q_OBJECT

private:
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

    QString plist(const Job &job) {
        const QString path = home() + QStringLiteral("/Library/LaunchAgents/%1.plist").arg(job.label);
        writeFile(path, plistText(job));
        m_labels.append(job.label);
        return path;
    }

    // A KeepAlive job that logs its pid, its start (ns) and a background child's pid, then waits.
    Job waitingJob(const QString &label) {
        Job job;
        job.label = label;
        job.arguments = {script(label + QStringLiteral(".sh"), QStringLiteral("echo \"start $$ $(date +%s%N)\"\n"
                                                                              "sleep 30 &\n"
                                                                              "echo \"child $!\"\n"
                                                                              "wait\n"))};
        job.standardOutPath = home() + QStringLiteral("/Library/Logs/%1.log").arg(label);
        job.keepAlive = true;
        return job;
    }

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
        const Job job = waitingJob(QStringLiteral("com.example.life"));
        const QString path = plist(job);

        // Loaded through a copy of the tool that is deleted at once, as the uninstaller deletes the
        // launcher around it: the supervisor must not need its program file again.
        const QString copy = home() + QStringLiteral("/bin/launchctl-copy");
        QVERIFY(QFile::copy(launchctlTool(), copy));
        QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner));
        QProcess boot;
        boot.start(copy, {QStringLiteral("bootstrap"), domain(), path});
        QVERIFY(boot.waitForFinished(30000));
        QCOMPARE(boot.exitCode(), 0);
        QCOMPARE(boot.readAll(), QByteArray());
        QVERIFY(QFile::remove(copy));
        // Loaded and started by the time bootstrap returns.
        QCOMPARE(printed(job.label, QStringLiteral("state")), QStringLiteral("running"));
        QCOMPARE(printed(job.label, QStringLiteral("runs")), QStringLiteral("1"));
        const qint64 first = printedPid(job.label);
        QVERIFY(first > 0 && !isGone(first));
        const qint64 supervisor = parentOf(first);
        QVERIFY(supervisor > 1 && supervisor != ::getpid());
        QVERIFY(QTest::qWaitFor([&] { return logged(job.standardOutPath, QStringLiteral("child")).size() == 1; }));
        const qint64 firstChild = logged(job.standardOutPath, QStringLiteral("child")).first();

        // Killed from outside (as pkill -9 would): restarted, but not before the throttle.
        QCOMPARE(::kill(pid_t(first), SIGKILL), 0);
        qint64 second = 0;
        QVERIFY(QTest::qWaitFor(
            [&] {
                second = printedPid(job.label);
                return second > 0 && second != first;
            },
            10000));
        QCOMPARE(printed(job.label, QStringLiteral("runs")), QStringLiteral("2"));
        QCOMPARE(printed(job.label, QStringLiteral("last terminating signal"))
                     .value_or(QString())
                     .section(u':', 1)
                     .trimmed(),
                 QStringLiteral("9"));
        QVERIFY(QTest::qWaitFor([&] { return logged(job.standardOutPath, QStringLiteral("start")).size() == 2; }));
        const QString log = QString::fromUtf8(readAll(job.standardOutPath));
        QVERIFY2(log.contains(QStringLiteral("start %1 ").arg(first)) &&
                     log.contains(QStringLiteral("start %1 ").arg(second)),
                 qPrintable(log));
        const QRegularExpression startLine(QStringLiteral("^start \\d+ (\\d+)$"), QRegularExpression::MultilineOption);
        QList<qint64> ns; // start times in nanoseconds, as the job saw them
        for (auto it = startLine.globalMatch(log); it.hasNext();)
            ns.append(it.next().captured(1).toLongLong());
        QCOMPARE(ns.size(), 2);
        QVERIFY2(ns[1] - ns[0] >= 950'000'000, qPrintable(QStringLiteral("restarted after %1 ns").arg(ns[1] - ns[0])));
        // The dead job's background child went with it.
        QVERIFY(QTest::qWaitFor([&] { return isGone(firstChild); }, 2000));
        QCOMPARE(parentOf(second), supervisor);

        const Result out = launchctl({QStringLiteral("bootout"), domain(), path});
        QCOMPARE(out.exitCode, 0);
        QVERIFY(out.out.isEmpty() && out.errLines.isEmpty());
        // Gone when bootout returns: job, its child, the supervisor and the state.
        QVERIFY(isGone(second));
        const auto children = logged(job.standardOutPath, QStringLiteral("child"));
        QCOMPARE(children.size(), 2);
        QVERIFY(isGone(children[1]));
        QVERIFY(isGone(supervisor));
        QCOMPARE(launchctl({QStringLiteral("print"), service(job.label)}).exitCode, 113);
        QCOMPARE(jobFiles(), QStringList());

        const Result again = launchctl({QStringLiteral("bootout"), domain(), path});
        QCOMPARE(again.exitCode, 5);
        QCOMPARE(again.errLines.value(0), QLatin1String(bootoutFailed));
        QVERIFY2(again.errLines.value(1).contains(job.label), qPrintable(again.errLines.join(u'\n')));
    }

    void installersPlistRunsThroughTheShell() {
        // The launch agent exactly as the installer writes it (keys it does not model included),
        // driven by the installer's and the launcher's command lines.
        const QString root = vistrel::paths::installRoot(home());
        const QString program =
            script(QStringLiteral("server.sh"), QStringLiteral("echo \"nice=$(nice)\"\n"
                                                               "echo \"cwd=$(pwd)\"\n"
                                                               "echo \"PATH=$PATH\"\n"
                                                               "echo \"DYLD_LIBRARY_PATH=$DYLD_LIBRARY_PATH\"\n"
                                                               "sleep 30 &\n"
                                                               "wait\n"));
        QVERIFY(QDir().mkpath(root));
        const QString libraryPath = QStringLiteral("/x/ffmpeg7/lib:/x:/usr/local/lib:/opt/homebrew/lib");
        const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                            "<plist version=\"1.0\">\n"
                                            "<dict>\n"
                                            "    <key>Label</key>\n"
                                            "    <string>com.qelvo.vistrel</string>\n"
                                            "    <key>ProcessType</key>\n"
                                            "    <string>Interactive</string>\n"
                                            "    <key>Nice</key>\n"
                                            "    <integer>-10</integer>\n"
                                            "    <key>LowPriorityIO</key>\n"
                                            "    <false/>\n"
                                            "    <key>ProgramArguments</key>\n"
                                            "    <array>\n"
                                            "        <string>%1</string>\n"
                                            "    </array>\n"
                                            "    <key>NSHighResolutionCapable</key>\n"
                                            "    <string>True</string>\n"
                                            "    <key>EnvironmentVariables</key>\n"
                                            "    <dict>\n"
                                            "        <key>PATH</key>\n"
                                            "        <string>/usr/bin:/bin:/usr/sbin:/sbin</string>\n"
                                            "        <key>DYLD_LIBRARY_PATH</key>\n"
                                            "        <string>%2</string>\n"
                                            "    </dict>\n"
                                            "    <key>RunAtLoad</key><true/>\n"
                                            "    <key>KeepAlive</key><true/>\n"
                                            "    <key>StandardOutPath</key><string>%3</string>\n"
                                            "    <key>StandardErrorPath</key><string>%4</string>\n"
                                            "    <key>WorkingDirectory</key><string>%5</string> \n"
                                            "</dict>\n"
                                            "</plist>")
                                 .arg(program, libraryPath, vistrel::paths::serverLog(home()),
                                      vistrel::paths::serverErrorLog(home()), root);
        const QString path = vistrel::paths::launchAgentPlist(home());
        QVERIFY(writeFile(path, text.toUtf8()));
        m_labels.append(QStringLiteral("com.qelvo.vistrel"));

        // "launchctl" found on PATH, the plist path single-quoted, output captured.
        auto shell = [&](const QString &command) {
            QProcess bash;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("PATH"),
                       QFileInfo(launchctlTool()).absolutePath() + u':' + env.value(QStringLiteral("PATH")));
            bash.setProcessEnvironment(env);
            bash.setProcessChannelMode(QProcess::MergedChannels);
            bash.start(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), command});
            bash.waitForFinished(30000);
            return std::make_pair(bash.exitCode(), bash.readAll());
        };
        const QString quoted = vistrel::shellQuote(path);
        QCOMPARE(shell(QStringLiteral("launchctl bootstrap %1 %2").arg(domain(), quoted)),
                 std::make_pair(0, QByteArray()));
        const auto again = shell(QStringLiteral("launchctl bootstrap %1 %2").arg(domain(), quoted));
        QCOMPARE(again.first, 5);
        QVERIFY2(again.second.startsWith(QByteArray(bootstrapFailed) + '\n'), again.second.constData());

        QVERIFY(QTest::qWaitFor([&] { return readAll(vistrel::paths::serverLog(home())).contains("DYLD"); }));
        const QString log = QString::fromUtf8(readAll(vistrel::paths::serverLog(home())));
        // Raising the priority needs privileges; where they are missing the job runs unchanged.
        const QString expectedNice =
            ::geteuid() == 0 ? QStringLiteral("-10") : QString::number(::getpriority(PRIO_PROCESS, 0));
        QCOMPARE(log, QStringLiteral("nice=%1\ncwd=%2\nPATH=/usr/bin:/bin:/usr/sbin:/sbin\nDYLD_LIBRARY_PATH=%3\n")
                          .arg(expectedNice, root, libraryPath));
        const qint64 pid = printedPid(QStringLiteral("com.qelvo.vistrel"));
        QVERIFY(pid > 0);

        QCOMPARE(shell(QStringLiteral("launchctl bootout %1 %2 2>/dev/null || true").arg(domain(), quoted)),
                 std::make_pair(0, QByteArray()));
        QVERIFY(isGone(pid));
        QCOMPARE(launchctl({QStringLiteral("print"), service(QStringLiteral("com.qelvo.vistrel"))}).exitCode, 113);
    }

    void secondBootstrapOfALoadedLabelFails() {
        Job job = waitingJob(QStringLiteral("com.example.twice"));
        const QString path = plist(job);
        QCOMPARE(launchctl({QStringLiteral("bootstrap"), domain(), path}).exitCode, 0);
        const qint64 pid = printedPid(job.label);

        // Another plist with the same label counts as the same service.
        job.arguments = {QStringLiteral("/bin/true")};
        const QString other = home() + QStringLiteral("/other.plist");
        writeFile(other, plistText(job));
        for (const QString &p : {path, other}) {
            const Result r = launchctl({QStringLiteral("bootstrap"), domain(), p});
            QCOMPARE(r.exitCode, 5);
            QCOMPARE(r.errLines.value(0), QLatin1String(bootstrapFailed));
            QVERIFY2(r.errLines.value(1).contains(job.label), qPrintable(r.errLines.join(u'\n')));
        }
        // The loaded job is untouched.
        QCOMPARE(printedPid(job.label), pid);
        QCOMPARE(printed(job.label, QStringLiteral("runs")), QStringLiteral("1"));
    }

    void loadedWithoutRunAtLoadStaysIdle() {
        Job job = waitingJob(QStringLiteral("com.example.idle"));
        job.keepAlive = false;
        job.runAtLoad = false;
        const QString path = plist(job);
        QCOMPARE(launchctl({QStringLiteral("bootstrap"), domain(), path}).exitCode, 0);
        QCOMPARE(printed(job.label, QStringLiteral("state")), QStringLiteral("not running"));
        QCOMPARE(printed(job.label, QStringLiteral("runs")), QStringLiteral("0"));
        QCOMPARE(printed(job.label, QStringLiteral("pid")), QString());
        QCOMPARE(launchctl({QStringLiteral("bootout"), domain(), path}).exitCode, 0);
        QCOMPARE(launchctl({QStringLiteral("print"), service(job.label)}).exitCode, 113);
    }

    void badPlistIsRejectedAndNothingLoaded_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("reason");

        Job job;
        job.label = QStringLiteral("com.example.bad");
        job.arguments = {QStringLiteral("/bin/sleep"), QStringLiteral("30")};
        const QByteArray good = plistText(job);
        auto replaced = [&](const char *from, const char *to) { return QByteArray(good).replace(from, to); };

        QTest::newRow("missing file") << QByteArray() << QStringLiteral("Could not read");
        // What the installer writes for a home folder with an ampersand: not XML any more.
        QTest::newRow("unescaped ampersand")
            << replaced("<key>RunAtLoad</key>",
                        "<key>WorkingDirectory</key><string>/home/a&b</string>\n<key>RunAtLoad</key>")
            << QStringLiteral("Malformed");
        QTest::newRow("truncated") << good.left(good.size() / 2) << QStringLiteral("Malformed");
        QTest::newRow("not a plist") << QByteArray("<dict><key>Label</key><string>x</string></dict>")
                                     << QStringLiteral("Malformed");
        QTest::newRow("array at the top")
            << replaced("<dict>\n", "<array>\n").replace("</dict>\n</plist>", "</array>\n</plist>")
            << QStringLiteral("Malformed");
        QTest::newRow("no Label") << replaced("<key>Label</key><string>com.example.bad</string>", "")
                                  << QStringLiteral("Label");
        QTest::newRow("Label not a string")
            << replaced("<string>com.example.bad</string>", "<integer>7</integer>") << QStringLiteral("Label");
        QTest::newRow("no ProgramArguments")
            << replaced("<key>ProgramArguments</key>", "<key>Arguments</key>") << QStringLiteral("ProgramArguments");
        QTest::newRow("empty ProgramArguments")
            << replaced("<string>/bin/sleep</string>", "").replace("<string>30</string>", "")
            << QStringLiteral("ProgramArguments");
        QTest::newRow("KeepAlive not a boolean")
            << replaced("<key>KeepAlive</key><false/>", "<key>KeepAlive</key><string>yes</string>")
            << QStringLiteral("KeepAlive");
        QTest::newRow("negative ThrottleInterval")
            << replaced("<integer>1</integer>", "<integer>-1</integer>") << QStringLiteral("ThrottleInterval");
    }

    void badPlistIsRejectedAndNothingLoaded() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString path = home() + QStringLiteral("/Library/LaunchAgents/bad.plist");
        if (!content.isEmpty())
            QVERIFY(writeFile(path, content));
        m_labels.append(QStringLiteral("com.example.bad"));

        const Result r = launchctl({QStringLiteral("bootstrap"), domain(), path});
        QCOMPARE(r.exitCode, 5);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.errLines.size(), 2);
        QCOMPARE(r.errLines[0], QLatin1String(bootstrapFailed));
        QVERIFY2(r.errLines[1].contains(reason) && r.errLines[1].contains(path), qPrintable(r.errLines[1]));
        QCOMPARE(launchctl({QStringLiteral("print"), service(QStringLiteral("com.example.bad"))}).exitCode, 113);
        QCOMPARE(jobFiles(), QStringList());

        // Bootout fails too: on the plist when it has no readable label, else on the label.
        const Result out = launchctl({QStringLiteral("bootout"), domain(), path});
        QCOMPARE(out.exitCode, 5);
        QCOMPARE(out.errLines.size(), 2);
        QCOMPARE(out.errLines[0], QLatin1String(bootoutFailed));
        QVERIFY2(out.errLines[1].contains(path) || out.errLines[1].contains(QStringLiteral("com.example.bad")),
                 qPrintable(out.errLines[1]));
    }

    void otherUsersDomainIsNotFound_data() {
        QTest::addColumn<QStringList>("arguments");
        const QString other = QStringLiteral("gui/%1").arg(::getuid() + 1);
        const QString path = QStringLiteral("/nonexistent/any.plist");
        QTest::newRow("bootstrap") << QStringList{QStringLiteral("bootstrap"), other, path};
        QTest::newRow("bootout") << QStringList{QStringLiteral("bootout"), other, path};
        QTest::newRow("bootout service") << QStringList{QStringLiteral("bootout"), other + QStringLiteral("/x")};
        QTest::newRow("print") << QStringList{QStringLiteral("print"), other + QStringLiteral("/x")};
    }

    void otherUsersDomainIsNotFound() {
        QFETCH(QStringList, arguments);
        const Result r = launchctl(arguments);
        QCOMPARE(r.exitCode, 112);
        QCOMPARE(r.errLines, QStringList{QStringLiteral("Could not find domain for user gui: %1").arg(::getuid() + 1)});
    }

    void otherUsersDomainLoadsNothing() {
        const Job job = waitingJob(QStringLiteral("com.example.foreign"));
        const QString path = plist(job);
        QCOMPARE(launchctl({QStringLiteral("bootstrap"), QStringLiteral("gui/%1").arg(::getuid() + 1), path}).exitCode,
                 112);
        QCOMPARE(launchctl({QStringLiteral("print"), service(job.label)}).exitCode, 113);
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        const QString p = QStringLiteral("/tmp/x.plist");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown subcommand") << QStringList{QStringLiteral("kickstart"), domain()};
        QTest::newRow("bootstrap without plist") << QStringList{QStringLiteral("bootstrap"), domain()};
        QTest::newRow("bootstrap with two plists") << QStringList{QStringLiteral("bootstrap"), domain(), p, p};
        QTest::newRow("bootstrap into a service")
            << QStringList{QStringLiteral("bootstrap"), service(QStringLiteral("x")), p};
        QTest::newRow("bootout without target") << QStringList{QStringLiteral("bootout")};
        QTest::newRow("bootout of a domain") << QStringList{QStringLiteral("bootout"), domain()};
        QTest::newRow("print of a domain") << QStringList{QStringLiteral("print"), domain()};
        QTest::newRow("empty uid") << QStringList{QStringLiteral("bootstrap"), QStringLiteral("gui/"), p};
        QTest::newRow("uid not a number") << QStringList{QStringLiteral("bootstrap"), QStringLiteral("gui/me"), p};
        QTest::newRow("other domain kind") << QStringList{QStringLiteral("bootstrap"), QStringLiteral("system"), p};
    }

    void usageErrors() {
        QFETCH(QStringList, arguments);
        const Result r = launchctl(arguments);
        QCOMPARE(r.exitCode, 64);
        QVERIFY2(r.errLines.join(u'\n').contains(QStringLiteral("Usage: launchctl")),
                 qPrintable(r.errLines.join(u'\n')));
        QCOMPARE(r.out, QString());
    }

    void jobSeesItsEnvironmentFolderAndLogs() {
        const QString folder = home() + QStringLiteral("/work 'dir' & $x");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeFile(folder + QStringLiteral("/out.log"), "earlier\n"));
        qputenv("LAUNCHCTL_TEST_INHERITED", "from caller");
        qputenv("LAUNCHCTL_TEST_OVERRIDDEN", "from caller");

        Job job;
        job.label = QStringLiteral("com.example.env");
        job.arguments = {
            script(QStringLiteral("env.sh"), QStringLiteral("echo \"cwd=$(pwd)\"\n"
                                                            "echo \"arg=$1\"\n"
                                                            "echo \"JOBVAR=$JOBVAR\"\n"
                                                            "echo \"INHERITED=$LAUNCHCTL_TEST_INHERITED\"\n"
                                                            "echo \"OVERRIDDEN=$LAUNCHCTL_TEST_OVERRIDDEN\"\n"
                                                            "echo \"PATH=$PATH\"\n"
                                                            "echo \"nice=$(nice)\"\n"
                                                            "echo to stderr >&2\n"
                                                            "exit 3\n")),
            QStringLiteral("two words")};
        job.environment = {{QStringLiteral("JOBVAR"), QStringLiteral("a&b <c> \"d\"")},
                           {QStringLiteral("LAUNCHCTL_TEST_OVERRIDDEN"), QStringLiteral("from plist")},
                           {QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin")}};
        job.workingDirectory = folder;
        job.standardOutPath = QStringLiteral("out.log"); // relative to the working directory
        job.standardErrorPath = home() + QStringLiteral("/Library/Logs/new/env.error.log");
        job.nice = 5;
        const QString path = plist(job);

        // As the installer runs it: through bash, output captured until the pipe closes, here also
        // on a descriptor above the standard ones. A supervisor that kept any copy of the caller's
        // pipe would keep this shell waiting.
        QProcess shell;
        shell.start(QStringLiteral("/bin/bash"),
                    {QStringLiteral("-c"),
                     QStringLiteral("out=$(%1 bootstrap %2 %3 2>&1 7>&1); s=$?; printf %s \"$out\"; exit $s")
                         .arg(vistrel::shellQuote(launchctlTool()), domain(), vistrel::shellQuote(path))});
        QVERIFY(shell.waitForFinished(15000));
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(shell.readAll(), QByteArray());
        qunsetenv("LAUNCHCTL_TEST_INHERITED");
        qunsetenv("LAUNCHCTL_TEST_OVERRIDDEN");

        QVERIFY(QTest::qWaitFor(
            [&] { return printed(job.label, QStringLiteral("state")) == QStringLiteral("not running"); }));
        QCOMPARE(printed(job.label, QStringLiteral("last exit code")), QStringLiteral("3"));
        QCOMPARE(printed(job.label, QStringLiteral("runs")), QStringLiteral("1")); // no KeepAlive: no restart

        QCOMPARE(QString::fromUtf8(readAll(folder + QStringLiteral("/out.log"))),
                 QStringLiteral("earlier\n"
                                "cwd=%1\n"
                                "arg=two words\n"
                                "JOBVAR=a&b <c> \"d\"\n"
                                "INHERITED=from caller\n"
                                "OVERRIDDEN=from plist\n"
                                "PATH=/usr/bin:/bin\n"
                                "nice=5\n")
                     .arg(folder));
        QCOMPARE(readAll(job.standardErrorPath), QByteArray("to stderr\n"));
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(job.standardErrorPath).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0644 & ~mask);

        QCOMPARE(launchctl({QStringLiteral("bootout"), domain(), path}).exitCode, 0);
    }

    void missingFolderAndMissingProgram() {
        // A working directory that is gone: reported in the error log, the job runs anyway.
        Job lost;
        lost.label = QStringLiteral("com.example.nofolder");
        lost.arguments = {script(QStringLiteral("ran.sh"), QStringLiteral("echo ran"))};
        lost.workingDirectory = home() + QStringLiteral("/no such folder");
        lost.standardOutPath = home() + QStringLiteral("/Library/Logs/nofolder.log");
        lost.standardErrorPath = home() + QStringLiteral("/Library/Logs/nofolder.error.log");
        QCOMPARE(launchctl({QStringLiteral("bootstrap"), domain(), plist(lost)}).exitCode, 0);

        // A program that is not there: exit 78, retried under the throttle.
        Job missing;
        missing.label = QStringLiteral("com.example.noprogram");
        missing.arguments = {home() + QStringLiteral("/no-such-program")};
        missing.standardErrorPath = home() + QStringLiteral("/Library/Logs/noprogram.error.log");
        missing.keepAlive = true;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(launchctl({QStringLiteral("bootstrap"), domain(), plist(missing)}).exitCode, 0);
        QVERIFY(QTest::qWaitFor([&] { return printed(missing.label, QStringLiteral("runs")) == QStringLiteral("2"); },
                                5000));
        QVERIFY2(timer.elapsed() >= 900, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(printed(missing.label, QStringLiteral("last exit code")), QStringLiteral("78"));
        QVERIFY(QString::fromUtf8(readAll(missing.standardErrorPath)).contains(missing.arguments.first()));

        QVERIFY(QTest::qWaitFor([&] { return readAll(lost.standardOutPath) == "ran\n"; }));
        const QString errors = QString::fromUtf8(readAll(lost.standardErrorPath));
        QVERIFY2(errors.contains(lost.workingDirectory), qPrintable(errors));
        QCOMPARE(printed(lost.label, QStringLiteral("last exit code")), QStringLiteral("0"));
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
        Job job;
        job.label = QStringLiteral("com.example.stubborn");
        job.arguments = {script(QStringLiteral("stubborn.sh"),
                                trap + QStringLiteral("\necho ready\nwhile :; do sleep 0.1; done\n"))};
        job.standardOutPath = home() + QStringLiteral("/Library/Logs/stubborn.log");
        job.keepAlive = true;
        job.exitTimeOut = 2;
        const QString path = plist(job);
        QCOMPARE(launchctl({QStringLiteral("bootstrap"), domain(), path}).exitCode, 0);
        const qint64 pid = printedPid(job.label);
        QVERIFY(QTest::qWaitFor([&] { return readAll(job.standardOutPath).contains("ready"); }));

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(launchctl({QStringLiteral("bootout"), domain(), path}).exitCode, 0);
        const qint64 elapsed = timer.elapsed();
        QVERIFY(isGone(pid));
        QCOMPARE(readAll(job.standardOutPath).contains("got TERM"), honoursTerm);
        if (honoursTerm)
            QVERIFY2(elapsed < 1900, qPrintable(QString::number(elapsed))); // no SIGKILL was needed
        else // SIGKILL once ExitTimeOut has passed, not before and not much later
            QVERIFY2(elapsed >= 1900 && elapsed < 6000, qPrintable(QString::number(elapsed)));
    }

    void killedSupervisorLeavesStaleStateThatIsCleaned() {
        const Job job = waitingJob(QStringLiteral("com.example.orphan"));
        const QString path = plist(job);
        QCOMPARE(launchctl({QStringLiteral("bootstrap"), domain(), path}).exitCode, 0);
        const qint64 pid = printedPid(job.label);
        const qint64 supervisor = parentOf(pid);
        QVERIFY(QTest::qWaitFor([&] { return logged(job.standardOutPath, QStringLiteral("child")).size() == 1; }));
        const qint64 child = logged(job.standardOutPath, QStringLiteral("child")).first();

        QCOMPARE(::kill(pid_t(supervisor), SIGKILL), 0);
        QVERIFY(QTest::qWaitFor([&] { return isGone(supervisor) && isGone(pid); }, 5000));
        QVERIFY(!jobFiles().isEmpty()); // what the dead supervisor left behind
        QCOMPARE(launchctl({QStringLiteral("print"), service(job.label)}).exitCode, 113);

        // Not "already loaded": the stale state is cleaned, leftovers ended, the job loads afresh.
        const Result again = launchctl({QStringLiteral("bootstrap"), domain(), path});
        QCOMPARE(again.exitCode, 0);
        QVERIFY(QTest::qWaitFor([&] { return isGone(child); }, 2000));
        QCOMPARE(printed(job.label, QStringLiteral("runs")), QStringLiteral("1"));
        const qint64 fresh = printedPid(job.label);
        QVERIFY(fresh > 0 && fresh != pid && !isGone(fresh));
        QCOMPARE(launchctl({QStringLiteral("bootout"), domain(), path}).exitCode, 0);
        QVERIFY(isGone(fresh));
    }

    void plistDeletedWhileLoaded() {
        const Job job = waitingJob(QStringLiteral("com.example.deleted"));
        const QString path = plist(job);
        QCOMPARE(launchctl({QStringLiteral("bootstrap"), domain(), path}).exitCode, 0);
        const qint64 pid = printedPid(job.label);
        QVERIFY(QFile::remove(path));

        // The label cannot be read any more: a failure that names the service still loaded.
        const Result r = launchctl({QStringLiteral("bootout"), domain(), path});
        QCOMPARE(r.exitCode, 5);
        QCOMPARE(r.errLines.value(0), QLatin1String(bootoutFailed));
        QVERIFY2(r.errLines.value(1).contains(service(job.label)), qPrintable(r.errLines.join(u'\n')));
        QCOMPARE(printedPid(job.label), pid);

        QCOMPARE(launchctl({QStringLiteral("bootout"), service(job.label)}).exitCode, 0);
        QVERIFY(isGone(pid));
        QCOMPARE(launchctl({QStringLiteral("print"), service(job.label)}).exitCode, 113);
    }

    void concurrentCommandsKeepOneConsistentState() {
        // The same label from six callers at once: exactly one loads it.
        const Job job = waitingJob(QStringLiteral("com.example.race"));
        const QString path = plist(job);
        std::vector<std::unique_ptr<QProcess>> racers;
        for (int i = 0; i < 6; ++i) {
            racers.push_back(std::make_unique<QProcess>());
            racers.back()->start(launchctlTool(), {QStringLiteral("bootstrap"), domain(), path});
        }
        int loaded = 0;
        for (auto &p : racers) {
            QVERIFY(p->waitForFinished(30000));
            loaded += p->exitCode() == 0;
            QVERIFY(p->exitCode() == 0 || p->exitCode() == 5);
        }
        QCOMPARE(loaded, 1);
        QCOMPARE(printed(job.label, QStringLiteral("runs")), QStringLiteral("1"));

        // Different labels at once all load, and all boot out at once.
        QStringList paths{path};
        for (int i = 0; i < 4; ++i)
            paths << plist(waitingJob(QStringLiteral("com.example.many%1").arg(i)));
        racers.clear();
        for (int i = 1; i < paths.size(); ++i) {
            racers.push_back(std::make_unique<QProcess>());
            racers.back()->start(launchctlTool(), {QStringLiteral("bootstrap"), domain(), paths[i]});
        }
        for (auto &p : racers) {
            QVERIFY(p->waitForFinished(30000));
            QCOMPARE(p->exitCode(), 0);
        }
        QList<qint64> pids;
        for (const QString &label : std::as_const(m_labels)) {
            pids << printedPid(label);
            QVERIFY2(pids.last() > 0, qPrintable(label));
        }
        racers.clear();
        for (const QString &p : std::as_const(paths)) {
            racers.push_back(std::make_unique<QProcess>());
            racers.back()->start(launchctlTool(), {QStringLiteral("bootout"), domain(), p});
        }
        for (auto &p : racers) {
            QVERIFY(p->waitForFinished(30000));
            QCOMPARE(p->exitCode(), 0);
        }
        for (qint64 pid : std::as_const(pids))
            QVERIFY(isGone(pid));
        QCOMPARE(jobFiles(), QStringList());
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
        const Job job = waitingJob(QStringLiteral("com.example.unsafe"));
        const QString path = plist(job);
        const QString elsewhere = home() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        if (symlink) {
            QVERIFY(QFile::link(elsewhere, stateFolder()));
        } else {
            QVERIFY(QDir().mkpath(stateFolder()));
            QCOMPARE(::chown(QFile::encodeName(stateFolder()).constData(), 65534, 65534), 0);
        }

        const Result r = launchctl({QStringLiteral("bootstrap"), domain(), path});
        QCOMPARE(r.exitCode, 5);
        QCOMPARE(r.errLines.value(0), QLatin1String(bootstrapFailed));
        QVERIFY2(r.errLines.value(1).contains(stateFolder()), qPrintable(r.errLines.join(u'\n')));
        QCOMPARE(QDir(elsewhere).entryList(QDir::Files), QStringList());
        QCOMPARE(launchctl({QStringLiteral("print"), service(job.label)}).exitCode, 113);
        if (!symlink)
            QVERIFY(QDir(stateFolder()).removeRecursively());
    }

    void removedRuntimeFolderEndsTheJob() {
        // Nobody could boot the job out any more (a test's temporary folder deleted under it).
        const Job job = waitingJob(QStringLiteral("com.example.abandoned"));
        QCOMPARE(launchctl({QStringLiteral("bootstrap"), domain(), plist(job)}).exitCode, 0);
        const qint64 pid = printedPid(job.label);
        const qint64 supervisor = parentOf(pid);
        QVERIFY(QDir(stateFolder()).removeRecursively());
        QVERIFY(QTest::qWaitFor([&] { return isGone(pid) && isGone(supervisor); }, 5000));
    }
};

QTEST_GUILESS_MAIN(LaunchctlTest)
#include "tst_launchctl.moc"
