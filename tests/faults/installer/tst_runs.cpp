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

// Waits until the run has printed text (it goes on running).
bool waitForOutput(QProcess &run, const QByteArray &text) {
    QByteArray seen;
    QElapsedTimer clock;
    clock.start();
    while (!seen.contains(text) && clock.elapsed() < 30000 && run.state() != QProcess::NotRunning) {
        run.waitForReadyRead(100);
        seen += run.readAllStandardOutput();
    }
    return seen.contains(text);
}

QByteArray procFile(qint64 pid, const QString &name) {
    QFile file(u"/proc/%1/"_s.arg(pid) + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class InstallerRunFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void secondRunIsRefusedAndAKilledOneBlocksNothing() {
        TestHome home;
        QTemporaryDir tmp;
        const DemoVendor vendor({u"--rate"_s, u"50000"_s}); // several seconds of download
        const auto first = startRun(home, tmp.path(), vendor.origin());
        QVERIFY(waitForOutput(*first, "Downloading from"));

        const auto second = startRun(home, tmp.path(), vendor.origin());
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 1);
        QVERIFY(second->readAllStandardError().contains("Another installation is already running"));
        QCOMPARE(second->readAllStandardOutput(), QByteArray()); // it touched nothing

        first->kill();
        QVERIFY(first->waitForFinished(5000));
        const auto third = startRun(home, tmp.path(), vendor.origin());
        QVERIFY(waitForOutput(*third, "Requesting stable version"));
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
        // Many zeros pack small and take unzip a while.
        const QString package = tmp.filePath(u"big.zip"_s);
        const QString make =
            u"cp \"$1\" \"$2\" && cd \"${2%/*}\" && truncate -s 400M zeros && zip -q -1 \"$2\" zeros"_s;
        QCOMPARE(QProcess::execute(u"bash"_s, {u"-c"_s, make, u"-"_s, demoPackage(), package}), 0);
        QVERIFY(QFile::remove(tmp.filePath(u"zeros"_s)));
        const DemoVendor vendor(midUnpack ? QStringList{u"--package"_s, package}
                                          : QStringList{u"--rate"_s, u"50000"_s});
        const auto run = startRun(home, tmp.path(), vendor.origin());
        qint64 unzip = 0;
        if (midUnpack) {
            QElapsedTimer clock;
            clock.start();
            while (!procFile(unzip, u"cmdline"_s).contains("\0-o\0"_ba) && clock.elapsed() < 30000) {
                QTest::qSleep(5);
                const QByteArray children = procFile(run->processId(), u"task/%1/children"_s.arg(run->processId()));
                unzip = children.trimmed().split(' ').constLast().toLongLong();
            }
            QVERIFY(unzip);
        } else {
            QVERIFY(waitForOutput(*run, "Downloading from"));
        }
        ::kill(pid_t(run->processId()), SIGTERM);
        QVERIFY(run->waitForFinished(signalDeadlineMs));
        QCOMPARE(run->exitCode(), 128 + SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(procFile(unzip, u"stat"_s).isEmpty() || procFile(unzip, u"stat"_s).contains(") Z "),
                                 1000);
        QCOMPARE(QDir(tmp.path()).entryList({u"Vistrel_*"_s}, QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(InstallerRunFaultsTest)
#include "tst_runs.moc"
