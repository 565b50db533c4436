// The service-manager stand-in end to end: real bootstrap/bootout/print commands, real
// supervisors and small bash jobs that report what they see, each test in its own runtime folder.

#include "common/plist.h"
#include "testenv.h"

#include <QDir>
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
using namespace Qt::StringLiterals;

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QStringList errLines;
};

Result launchctl(const QStringList &arguments, const QString &program = launchctlTool(), int waitMs = 60000) {
    QProcess process;
    process.start(program, arguments);
    const bool ended = process.waitForFinished(waitMs) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts)};
}

const QString domain = u"gui/%1"_s.arg(::getuid());
QString service(const QString &label) {
    return domain + u'/' + label;
}
const QString bootstrapFailed = u"Bootstrap failed: 5: Input/output error"_s;
const QString bootoutFailed = u"Boot-out failed: 5: Input/output error"_s;

// The reason line of a refusal (exit 5, nothing on standard output, `failed` and one line more);
// empty when it was no such refusal.
QString reasonOf(const Result &r, const QString &failed) {
    if (r.exitCode == 5 && r.out.isEmpty() && r.errLines.size() == 2 && r.errLines[0] == failed)
        return r.errLines[1];
    qWarning() << "not refused:" << r.exitCode << r.out << r.errLines;
    return {};
}

QString entry(const QString &key, const QString &value) {
    return u"<key>%1</key><string>%2</string>\n"_s.arg(vistrel::xmlEscape(key), vistrel::xmlEscape(value));
}
const QString runAtLoad = u"<key>RunAtLoad</key><true/>\n"_s;
const QString keepAlive = u"<key>KeepAlive</key><true/>\n"_s;

// `extra` holds the keys beyond these; ProcessType is not modelled, so ignored.
QByteArray plistText(const QString &label, const QStringList &arguments, const QString &extra = {}) {
    QString s = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"_s +
                entry(u"Label"_s, label) + entry(u"ProcessType"_s, u"x"_s) +
                u"<key>ThrottleInterval</key><integer>1</integer>\n<key>ProgramArguments</key><array>\n"_s;
    for (const QString &a : arguments)
        s += u"<string>%1</string>\n"_s.arg(vistrel::xmlEscape(a));
    return (s + u"</array>\n"_s + extra + u"</dict>\n</plist>\n"_s).toUtf8();
}

// /proc/<pid>/stat fields after the command name: [0] state, [1] parent.
QList<QByteArray> statFields(qint64 pid) {
    const QByteArray stat = readFile(u"/proc/%1/stat"_s.arg(pid));
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
    const Result r = launchctl({u"print"_s, service(label)});
    if (r.exitCode != 0)
        return std::nullopt;
    const QRegularExpression line(u"^\\t%1 = (.*)$"_s.arg(QRegularExpression::escape(key)),
                                  QRegularExpression::MultilineOption);
    return line.match(r.out).captured(1);
}

qint64 printedPid(const QString &label) {
    return printed(label, u"pid"_s).value_or(QString()).toLongLong();
}

// The numbers a job wrote after `tag ` into its log, in order.
QList<qint64> logged(const QString &logPath, const QString &tag) {
    QList<qint64> values;
    const QRegularExpression re(u"^%1 (\\d+)"_s.arg(tag), QRegularExpression::MultilineOption);
    for (auto it = re.globalMatch(QString::fromUtf8(readFile(logPath))); it.hasNext();)
        values.append(it.next().captured(1).toLongLong());
    return values;
}

} // namespace

class LaunchctlTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    QStringList m_labels;

    QString home() const { return m_home->path(); }
    QString stateFolder() const { return m_home->runtimeDir() + u"/vistrel-launchctl"_s; }
    QStringList jobFiles() const { return QDir(stateFolder()).entryList({u"job-*"_s}, QDir::Files); }

    QString script(const QString &name, const QString &body) {
        return writeScript(home() + u"/bin/"_s + name, body.toUtf8());
    }

    QString plist(const QString &label, const QStringList &arguments, const QString &extra) {
        const QString path = home() + u"/Library/LaunchAgents/%1.plist"_s.arg(label);
        writeFile(path, plistText(label, arguments, extra));
        m_labels.append(label);
        return path;
    }

    QString logOf(const QString &label) const { return home() + u"/Library/Logs/%1.log"_s.arg(label); }

    // A job that logs its pid, its start time (ns) and a background child's pid to logOf(label), then waits.
    QString waitingJob(const QString &label, const QString &extra = keepAlive) {
        const QString body = QStringLiteral("echo \"start $$\"\necho \"ns $(date +%s%N)\"\nsleep 30 &\n"
                                            "echo \"child $!\"\nwait\n");
        return plist(label, {script(label + u".sh"_s, body)}, entry(u"StandardOutPath"_s, logOf(label)) + extra);
    }

    Result bootstrap(const QString &plistPath) { return launchctl({u"bootstrap"_s, domain, plistPath}); }
    Result bootout(const QString &plistPath) { return launchctl({u"bootout"_s, domain, plistPath}); }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY(m_home->isValid());
        m_labels.clear();
    }

    void cleanup() {
        for (const QString &label : std::as_const(m_labels))
            launchctl({u"bootout"_s, service(label)});
        m_home.reset();
    }

    void lifecycleWithThrottledRestart() {
        const QString label = u"com.example.life"_s;
        const QString path = waitingJob(label);
        const QString log = logOf(label);

        // Loaded through a copy of the tool deleted at once, as the uninstaller deletes the launcher
        // around it: the supervisor must not need its program file again.
        const QString copy = home() + u"/bin/launchctl-copy"_s;
        QVERIFY(QFile::copy(launchctlTool(), copy));
        const Result boot = launchctl({u"bootstrap"_s, domain, path}, copy);
        QCOMPARE(boot.exitCode, 0);
        QVERIFY(boot.out.isEmpty() && boot.errLines.isEmpty());
        QVERIFY(QFile::remove(copy));
        // Loaded and started by the time bootstrap returns.
        QCOMPARE(printed(label, u"state"_s), u"running"_s);
        const qint64 first = printedPid(label);
        QVERIFY(first > 0 && !isGone(first));
        const qint64 supervisor = parentOf(first);
        QVERIFY(supervisor > 1 && supervisor != ::getpid());

        // Loaded already, also through another plist with the same label: refused, the job untouched.
        const QString other = home() + u"/other.plist"_s;
        writeFile(other, plistText(label, {u"/bin/true"_s}, runAtLoad));
        for (const QString &p : {path, other})
            QVERIFY(reasonOf(bootstrap(p), bootstrapFailed).contains(label));
        QCOMPARE(printedPid(label), first);
        QCOMPARE(printed(label, u"runs"_s), u"1"_s);
        QVERIFY(QTest::qWaitFor([&] { return logged(log, u"child"_s).size() == 1; }));
        const qint64 firstChild = logged(log, u"child"_s).first();

        // Killed from outside (as pkill -9 would): restarted, but not before the throttle.
        QCOMPARE(::kill(pid_t(first), SIGKILL), 0);
        qint64 second = 0;
        QVERIFY(QTest::qWaitFor([&] { return (second = printedPid(label)) > 0 && second != first; }, 10000));
        QCOMPARE(printed(label, u"runs"_s), u"2"_s);
        QVERIFY(QTest::qWaitFor([&] { return logged(log, u"child"_s).size() == 2; }));
        QCOMPARE(logged(log, u"start"_s), QList<qint64>({first, second}));
        const QList<qint64> ns = logged(log, u"ns"_s); // start times as the job saw them
        QVERIFY2(ns[1] - ns[0] >= 950'000'000, qPrintable(u"restarted after %1 ns"_s.arg(ns[1] - ns[0])));
        // The dead job's background child went with it.
        QVERIFY(QTest::qWaitFor([&] { return isGone(firstChild); }, 2000));
        QCOMPARE(parentOf(second), supervisor);

        // Gone when bootout returns: job, its child, the supervisor and the state.
        const Result out = bootout(path);
        QCOMPARE(out.exitCode, 0);
        QVERIFY(out.out.isEmpty() && out.errLines.isEmpty());
        QVERIFY(isGone(second) && isGone(logged(log, u"child"_s).last()) && isGone(supervisor));
        QCOMPARE(launchctl({u"print"_s, service(label)}).exitCode, 113);
        QCOMPARE(jobFiles(), QStringList());

        QVERIFY(reasonOf(bootout(path), bootoutFailed).contains(label));
    }

    // Refused at once, saying why: what the reference reader refuses or reads as another type than
    // the key needs, and files in the way that would block.
    void refusedAgents_data() {
        QTest::addColumn<QString>("arguments"); // inside ProgramArguments, after /bin/sleep 60
        QTest::addColumn<QString>("extra");     // FIFO: a FIFO's path; "FIFO" alone: the plist is a FIFO
        QTest::addColumn<QString>("reason");
        QTest::newRow("program from an entity") << u"&p;"_s << QString() << u"entity declarations"_s;
        QTest::newRow("date as an argument")
            << u"</string><date>2020-01-01T00:00:00Z</date><string>"_s << QString() << u"is not an array of strings"_s;
        QTest::newRow("data as an argument")
            << u"</string><data>YWJj</data><string>"_s << QString() << u"is not an array of strings"_s;
        QTest::newRow("FIFO as the error log")
            << QString() << runAtLoad + entry(u"StandardErrorPath"_s, u"FIFO"_s) << u"which is not a regular file"_s;
        QTest::newRow("FIFO as the plist") << QString() << u"FIFO"_s << u"not a regular file"_s;
    }
    void refusedAgents() {
        QFETCH(QString, arguments);
        QFETCH(QString, extra);
        QFETCH(QString, reason);
        const QString fifo = home() + u"/fifo"_s;
        const QString path = home() + u"/refused.plist"_s;
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString prolog = arguments.contains(u'&') ? u"<!DOCTYPE plist [<!ENTITY p \"/bin/true\">]>"_s : QString();
        const QByteArray text =
            (u"<?xml version=\"1.0\"?>"_s + prolog + u"<plist><dict>"_s + entry(u"Label"_s, u"x.y"_s) +
             u"<key>ProgramArguments</key><array><string>/bin/sleep</string><string>60"_s + arguments +
             u"</string></array>"_s + QString(extra).replace(u"FIFO"_s, fifo) + u"</dict></plist>"_s)
                .toUtf8();
        QVERIFY(extra == u"FIFO" ? QFile::link(fifo, path) : writeFile(path, text));
        m_labels.append(u"x.y"_s);
        // A blocking open would hold the command until the wait gives up.
        const Result r = launchctl({u"bootstrap"_s, domain, path}, launchctlTool(), 10000);
        QVERIFY2(reasonOf(r, bootstrapFailed).contains(reason), qPrintable(r.errLines.join(u'\n')));
        QCOMPARE(jobFiles(), QStringList());
    }

    void jobSeesItsEnvironmentFolderAndLogs() {
        const QString label = u"com.example.env"_s;
        const QString folder = home() + u"/work 'dir' & $x"_s;
        QVERIFY(writeFile(folder + u"/out.log"_s, "earlier\n"));
        qputenv("LAUNCHCTL_TEST_INHERITED", "from caller");
        qputenv("LAUNCHCTL_TEST_OVERRIDDEN", "from caller");
        const QString errorLog = home() + u"/Library/Logs/new/env.error.log"_s;
        const QString program =
            script(u"env.sh"_s, QStringLiteral("echo \"cwd=$(pwd) arg=$1 nice=$(nice)\"\n"
                                               "echo \"JOBVAR=$JOBVAR PATH=$PATH\"\n"
                                               "echo \"$LAUNCHCTL_TEST_INHERITED, $LAUNCHCTL_TEST_OVERRIDDEN\"\n"
                                               "echo to stderr >&2\nexit 3\n"));
        const QString path =
            plist(label, {program, u"two words"_s},
                  runAtLoad + u"<key>Nice</key><integer>5</integer>\n<key>EnvironmentVariables</key><dict>\n"_s +
                      entry(u"JOBVAR"_s, u"a&b <c> \"d\""_s) + entry(u"LAUNCHCTL_TEST_OVERRIDDEN"_s, u"from plist"_s) +
                      entry(u"PATH"_s, u"/usr/bin:/bin"_s) + u"</dict>\n"_s + entry(u"WorkingDirectory"_s, folder) +
                      entry(u"StandardOutPath"_s, u"out.log"_s) + // relative to the folder
                      entry(u"StandardErrorPath"_s, errorLog));

        // As the installer runs it: through bash, output captured until the pipe closes, here also on
        // a descriptor above the standard ones. A supervisor that kept any copy of the caller's pipe
        // would keep this shell waiting.
        QProcess shell;
        shell.start(u"/bin/bash"_s,
                    {u"-c"_s, u"out=$(\"$0\" bootstrap \"$1\" \"$2\" 2>&1 7>&1); s=$?; printf %s \"$out\"; exit $s"_s,
                     launchctlTool(), domain, path});
        QVERIFY(shell.waitForFinished(15000));
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(shell.readAll(), QByteArray());
        qunsetenv("LAUNCHCTL_TEST_INHERITED");
        qunsetenv("LAUNCHCTL_TEST_OVERRIDDEN");

        QVERIFY(QTest::qWaitFor([&] { return printed(label, u"state"_s) == u"not running"; }));
        QCOMPARE(printed(label, u"last exit code"_s), u"3"_s);
        QCOMPARE(printed(label, u"runs"_s), u"1"_s); // no KeepAlive: no restart
        QCOMPARE(QString::fromUtf8(readFile(folder + u"/out.log"_s)),
                 QStringLiteral("earlier\ncwd=%1 arg=two words nice=5\nJOBVAR=a&b <c> \"d\" PATH=/usr/bin:/bin\n"
                                "from caller, from plist\n")
                     .arg(folder));
        QCOMPARE(readFile(errorLog), QByteArray("to stderr\n"));
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(errorLog).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0644 & ~mask);
    }

    // The exit codes of system programs are printed with their names, as the real tool prints them.
    void exitCodesAreNamedWithinTheirRange() {
        const QList<std::pair<int, QString>> codes = {{63, u"63"_s},
                                                      {64, u"64: EX_USAGE"_s},
                                                      {70, u"70: EX_SOFTWARE"_s},
                                                      {78, u"78: EX_CONFIG"_s},
                                                      {79, u"79"_s}};
        const QString exits = script(u"exit.sh"_s, u"exit $1\n"_s);
        for (const auto &[code, shown] : codes) {
            const QString label = u"com.example.exit%1"_s.arg(code);
            QCOMPARE(bootstrap(plist(label, {exits, QString::number(code)}, runAtLoad)).exitCode, 0);
            QVERIFY(QTest::qWaitFor([&] { return printed(label, u"state"_s) == u"not running"; }));
            QCOMPARE(printed(label, u"last exit code"_s), shown);
        }
    }
};

QTEST_GUILESS_MAIN(LaunchctlTest)
#include "tst_launchctl.moc"
