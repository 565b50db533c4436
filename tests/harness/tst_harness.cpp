#include "common/paths.h"
#include "testenv.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;

namespace {

struct HarnessRun {
    int exitCode = -1;
    QStringList out;
    QString err;
};

// Runs vistrel-install-run as the user of home would.
HarnessRun runHarness(const TestHome &home, const QStringList &arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.runtimeDir());
    // Settings and temporary files belong to that user too.
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    env.insert(QStringLiteral("TMPDIR"), home.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VISTREL_HARNESS_PROGRAM), arguments);
    HarnessRun run;
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
    if (run.out.constLast().isEmpty())
        run.out.removeLast();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

int statusOfRoot(quint16 port) {
    QNetworkAccessManager network;
    QNetworkReply *reply = network.get(QNetworkRequest(QUrl(QStringLiteral("http://localhost:%1/").arg(port))));
    QSignalSpy done(reply, &QNetworkReply::finished);
    done.wait(5000);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    delete reply;
    return status;
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

        const HarnessRun run = runHarness(
            home, {QStringLiteral("--vendor"), vendor.origin(), QStringLiteral("--port"), QString::number(port)});
        QVERIFY2(run.exitCode == 0, qPrintable(run.out.join(u'\n') + u'\n' + run.err));
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out.value(0), QStringLiteral("Initial system check..."));
        QCOMPARE(run.out.constLast(), QStringLiteral("✅ Ready to Launch complete"));
        // The location line as appended, then the progress line that took its place.
        qsizetype location = 0;
        while (location < run.out.size() && !run.out[location].startsWith(u"Downloading from: http://"))
            ++location;
        QVERIFY2(location < run.out.size(), qPrintable(run.out.join(u'\n')));
        QVERIFY(run.out.value(location + 1).startsWith(u"Downloaded "));
        QVERIFY(run.out.contains(QStringLiteral("✅ Service started successfully.")));
        QVERIFY(run.out.contains(QStringLiteral("Service is online!")));

        // What the user is left with: a running server under the service manager, and the launcher.
        QCOMPARE(statusOfRoot(port), 200);
        QFile portFile(paths::portFile(home.path()));
        QVERIFY(portFile.open(QIODevice::ReadOnly));
        QCOMPARE(portFile.readAll(), QByteArray::number(port));
        QVERIFY(QFileInfo(paths::launcherApp(home.path()) + QStringLiteral("/Contents/MacOS/Vistrel")).isExecutable());
        QVERIFY(QFileInfo::exists(paths::launchAgentPlist(home.path())));
    }

    void refusedPortEndsWithStatus1() {
        TestHome home;
        const HarnessRun run = runHarness(home, {QStringLiteral("--vendor"), QStringLiteral("http://127.0.0.1:9"),
                                                 QStringLiteral("--port"), QStringLiteral("80a")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QStringList({QStringLiteral("Initial system check..."),
                                       QStringLiteral("Stopping existing Vistrel services...")}));
        QCOMPARE(run.err, QStringLiteral("Invalid.\n"));
    }
};

QTEST_GUILESS_MAIN(HarnessTest)
#include "tst_harness.moc"
