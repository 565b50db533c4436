// Whole headless runs met by another run into the same home, and by signals mid-run.
#include "testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace vistrel::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int signalDeadlineMs = 2000; // a signalled run must be gone by then

// One run of the headless installer into home, with the package downloaded to tmp.
std::unique_ptr<QProcess> startRun(const TestHome &home, const QString &tmp, const QString &origin) {
    auto run = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, home.path());
    environment.insert(u"TMPDIR"_s, tmp);
    run->setProcessEnvironment(environment);
    run->start(QStringLiteral(VISTREL_HARNESS_PROGRAM),
               {u"--vendor"_s, origin, u"--port"_s, QString::number(freePort())});
    return run;
}

// Reads the run's output until it has printed text; all of it so far.
bool waitForOutput(QProcess &run, QByteArray &seen, const QByteArray &text) {
    QElapsedTimer clock;
    clock.start();
    while (!seen.contains(text) && clock.elapsed() < 30000 && run.state() != QProcess::NotRunning) {
        run.waitForReadyRead(100);
        seen += run.readAllStandardOutput();
    }
    return seen.contains(text);
}

bool processGone(qint64 pid) {
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
}

// The pid of the run's unzip that unpacks into the install root, or 0.
qint64 unpackingChild(qint64 parent) {
    const QStringList pids = QDir(u"/proc"_s).entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        QFile stat(u"/proc/%1/stat"_s.arg(pid)), command(u"/proc/%1/cmdline"_s.arg(pid));
        if (!stat.open(QIODevice::ReadOnly) || !command.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> fields = stat.readAll().split(')').value(1).split(' ');
        if (fields.value(2).toLongLong() == parent && command.readAll().contains("unzip\0-o\0"_ba))
            return pid.toLongLong();
    }
    return 0;
}

} // namespace

class InstallerRunFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void secondRunIsRefusedAndAKilledOneBlocksNothing() {
        TestHome home;
        QTemporaryDir tmp;
        const DemoVendor vendor({u"--rate"_s, u"50000"_s});
        const auto first = startRun(home, tmp.path(), vendor.origin());
        QByteArray firstOutput;
        QVERIFY2(waitForOutput(*first, firstOutput, "Downloading from"), firstOutput.constData());

        const auto second = startRun(home, tmp.path(), vendor.origin());
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 1);
        QVERIFY(second->readAllStandardError().contains("Another installation is already running"));
        QCOMPARE(second->readAllStandardOutput(), QByteArray()); // it touched nothing

        first->kill();
        QVERIFY(first->waitForFinished(5000));
        const auto third = startRun(home, tmp.path(), vendor.origin());
        QByteArray thirdOutput;
        QVERIFY(waitForOutput(*third, thirdOutput, "Requesting stable version"));
        third->terminate();
        QVERIFY(third->waitForFinished(signalDeadlineMs));
    }

    void signalEndsTheRunAndWhatItStarted_data() {
        QTest::addColumn<bool>("midUnpack");
        QTest::newRow("mid-download") << false;
        QTest::newRow("mid-unpack") << true;
    }
    void signalEndsTheRunAndWhatItStarted() {
        QFETCH(bool, midUnpack);
        TestHome home;
        QTemporaryDir tmp;
        // A package that takes unzip a while: many zeros pack small and unpack long.
        const QString package = tmp.filePath(u"big.zip"_s);
        QCOMPARE(
            QProcess::execute(u"bash"_s, {u"-c"_s,
                                          u"cp \"$1\" \"$2\" && cd \"$(dirname \"$2\")\" && "
                                          "truncate -s 400M zeros.bin && zip -q -1 \"$2\" zeros.bin && rm zeros.bin"_s,
                                          u"-"_s, demoPackage(), package}),
            0);
        const DemoVendor vendor(midUnpack ? QStringList{u"--package"_s, package}
                                          : QStringList{u"--rate"_s, u"50000"_s});
        const auto run = startRun(home, tmp.path(), vendor.origin());
        QByteArray output;
        qint64 unzip = 0;
        if (midUnpack) {
            QElapsedTimer clock;
            clock.start();
            while (!(unzip = unpackingChild(run->processId())) && clock.elapsed() < 30000)
                QTest::qSleep(5);
            QVERIFY(unzip);
        } else {
            QVERIFY(waitForOutput(*run, output, "Downloading from"));
        }
        ::kill(pid_t(run->processId()), SIGTERM);
        QVERIFY(run->waitForFinished(signalDeadlineMs));
        QCOMPARE(run->exitCode(), 128 + SIGTERM);
        if (unzip)
            QTRY_VERIFY_WITH_TIMEOUT(processGone(unzip), 1000);
        QCOMPARE(QDir(tmp.path()).entryList({u"Vistrel_*"_s}, QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(InstallerRunFaultsTest)
#include "tst_runs.moc"
