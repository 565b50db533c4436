#include "testenv.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace vistrel::test;

namespace {

struct HarnessRun {
    int exitCode = -1;
    QStringList out;
    QString err;
};

// Runs vistrel-install-run as the user of home would: settings and temporary files are theirs too.
HarnessRun runHarness(const TestHome &home, const QString &vendor, const QString &port) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.runtimeDir());
    env.insert(QStringLiteral("TMPDIR"), home.path());
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VISTREL_HARNESS_PROGRAM),
                  {QStringLiteral("--vendor"), vendor, QStringLiteral("--port"), port});
    HarnessRun run;
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class HarnessTest : public QObject {
    Q_OBJECT

private slots:
    void installsIntoAFreshHome() {
        DemoVendor vendor;
        QVERIFY(vendor.isRunning());
        TestHome home(QStringLiteral("a home & more"));
        QVERIFY(home.isValid());
        const quint16 port = freePort();

        const HarnessRun run = runHarness(home, vendor.origin(), QString::number(port));
        QVERIFY2(run.exitCode == 0, qPrintable(run.out.join(u'\n') + u'\n' + run.err));
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out.value(0), QStringLiteral("Initial system check..."));
        QCOMPARE(run.out.constLast(), QStringLiteral("✅ Ready to Launch complete"));
        // The location line as appended, then the progress line that took its place.
        const qsizetype location = run.out.indexOf(QRegularExpression(QStringLiteral("Downloading from: http://.*")));
        QVERIFY2(location > 0, qPrintable(run.out.join(u'\n')));
        QVERIFY(run.out.value(location + 1).startsWith(u"Downloaded "));
        QVERIFY(portIsOpen(port)); // the server stays up under the service manager
    }

    void refusedPortEndsWithStatus1() {
        TestHome home;
        const HarnessRun run = runHarness(home, QStringLiteral("http://127.0.0.1:9"), QStringLiteral("80a"));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QStringList({QStringLiteral("Initial system check..."),
                                       QStringLiteral("Stopping existing Vistrel services...")}));
        QCOMPARE(run.err, QStringLiteral("Invalid.\n"));
    }
};

QTEST_GUILESS_MAIN(HarnessTest)
#include "tst_harness.moc"
