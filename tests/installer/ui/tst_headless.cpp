// Both programs without a window, as an administrator's script runs them, in a home whose name
// is hostile to every quoting layer: install, the desktop's entries, a reboot, uninstall.
#include "testenv.h"

#include "common/paths.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;

namespace {

struct Run {
    int exitCode = -1;
    QStringList out;
    QString err;
};

QProcessEnvironment userEnvironment(const TestHome &home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.runtimeDir());
    env.insert(QStringLiteral("TMPDIR"), home.path());
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
        env.remove(QString::fromLatin1(name));
    return env;
}

Run run(const TestHome &home, const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setProcessEnvironment(userEnvironment(home));
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString joined(const Run &r) {
    return r.out.join(u'\n') + u'\n' + r.err;
}

// The programs started from a path inside home, by their executable's link in /proc.
QStringList processesRunning(const QString &executable) {
    QStringList pids;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == executable)
            pids << pid;
    }
    return pids;
}

} // namespace

class HeadlessTest : public QObject {
    Q_OBJECT

private slots:
    void installRebootUninstall() {
        DemoVendor vendor;
        QVERIFY(vendor.isRunning());
        TestHome home(QStringLiteral("it's a \"home\" & $HOME %f `x`"));
        QVERIFY(home.isValid());
        const quint16 port = freePort();
        const QString installer = installerBundle() + QStringLiteral("/Contents/MacOS/VistrelInstaller");

        // Refused before anything is done: a language the installer does not have.
        QCOMPARE(run(home, installer, {QStringLiteral("--headless"), QStringLiteral("--language=xx")}).exitCode, 2);
        const Run install =
            run(home, installer,
                {QStringLiteral("--headless"), QStringLiteral("--download-service"), vendor.origin(),
                 QStringLiteral("--port"), QString::number(port), QStringLiteral("--language"), QStringLiteral("de")});
        QVERIFY2(install.exitCode == 0, qPrintable(joined(install)));
        QCOMPARE(install.err, QString());
        QCOMPARE(install.out.value(0), QStringLiteral("Initial system check..."));
        QCOMPARE(install.out.constLast(), QStringLiteral("✅ Bereit zum Starten complete"));
        // Into a pipe, the progress line that takes the location line's place is a line of its own.
        const qsizetype location = install.out.indexOf(QRegularExpression(QStringLiteral("Downloading from: .*")));
        QVERIFY(install.out.value(location + 1).startsWith(u"Downloaded "));
        // Nothing but the log: no warning, no listing of what unzip unpacked.
        QVERIFY(!install.out.join(u'\n').contains(u"⚠️") && !install.out.join(u'\n').contains(u"Archive:"));
        const QSettings defaults(home.path() + QStringLiteral("/.config/qelvonet/VistrelInstaller.ini"),
                                 QSettings::IniFormat);
        QCOMPARE(defaults.value(QStringLiteral("selectedLanguage")).toString(), QStringLiteral("de"));
        QVERIFY(defaults.value(QStringLiteral("downloadServiceOrigin")).isNull()); // for that run only

        // The entries pass the desktop's own check; the icon is there in every size.
        const QString entry = home.path() + QStringLiteral("/.local/share/applications/") +
                              QString::fromUtf16(paths::launcherBundleIdentifier) + QStringLiteral(".desktop");
        const QString autostart = home.path() + QStringLiteral("/.config/autostart/") +
                                  QString::fromUtf16(paths::launchAgentLabel) + QStringLiteral(".desktop");
        const QString installerEntry = installerBundle() + QStringLiteral("/Contents/Resources/") +
                                       QStringLiteral("com.qelvonet.tarvik.installer.desktop");
        for (const QString &file : {entry, autostart, installerEntry}) {
            const Run check = run(home, QStringLiteral("desktop-file-validate"), {file});
            QVERIFY2(check.exitCode == 0 && check.out.isEmpty(), qPrintable(file + u'\n' + joined(check)));
        }
        const auto icon = [&](int size) {
            return home.path() + QStringLiteral("/.local/share/icons/hicolor/%1x%1/apps/").arg(size) +
                   QString::fromUtf16(paths::launcherBundleIdentifier) + QStringLiteral(".png");
        };
        const int sizes[] = {48, 64, 128, 256};
        for (const int size : sizes)
            QCOMPARE(QImage(icon(size)).size(), QSize(size, size));

        // The menu entry, launched as the desktop does, starts the installed launcher.
        const QString launcher = paths::launcherApp(home.path()) + QStringLiteral("/Contents/MacOS/Vistrel");
        const Run menu = run(home, QStringLiteral("gio"), {QStringLiteral("launch"), entry});
        QVERIFY2(menu.exitCode == 0, qPrintable(joined(menu)));
        QTRY_VERIFY_WITH_TIMEOUT(!processesRunning(launcher).isEmpty(), 30000);
        for (const QString &pid : processesRunning(launcher))
            ::kill(pid.toInt(), SIGTERM);

        // A reboot: every supervisor and the server end with the runtime folder; at the next login
        // the session runs the autostart entry, and the server answers again.
        QVERIFY(QDir(home.runtimeDir() + QStringLiteral("/vistrel-launchctl")).removeRecursively());
        QTRY_VERIFY_WITH_TIMEOUT(!portIsOpen(port), 30000);
        const Run login = run(home, QStringLiteral("gio"), {QStringLiteral("launch"), autostart});
        QVERIFY2(login.exitCode == 0, qPrintable(joined(login)));
        QTRY_VERIFY_WITH_TIMEOUT(portIsOpen(port), 30000);
        // A second login run leaves the loaded agent alone.
        const Run again = run(home, launchctlTool(), {QStringLiteral("autostart")});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(again.out, QStringList{QStringLiteral("Already loaded: com.qelvo.vistrel")});

        // Uninstall: refused without --yes, then everything but the user's data goes.
        const Run refused = run(home, launcher, {QStringLiteral("--uninstall")});
        QCOMPARE(refused.exitCode, 2);
        QVERIFY(refused.err.contains(u"--yes"));
        QVERIFY(QFileInfo::exists(entry));
        const Run uninstall = run(home, launcher, {QStringLiteral("--uninstall"), QStringLiteral("--yes")});
        QVERIFY2(uninstall.exitCode == 0, qPrintable(joined(uninstall)));
        QCOMPARE(uninstall.out.constLast(), QStringLiteral("✅ complete complete"));
        QVERIFY2(!uninstall.out.join(u'\n').contains(u"⚠️"), qPrintable(joined(uninstall)));
        QStringList gone{entry, autostart, paths::launchAgentPlist(home.path()), paths::launcherApp(home.path())};
        for (const int size : sizes)
            gone << icon(size);
        for (const QString &path : gone)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        const Run print = run(home, launchctlTool(),
                              {QStringLiteral("print"), QStringLiteral("gui/%1/com.qelvo.vistrel").arg(::getuid())});
        QCOMPARE(print.exitCode, 113);
        QVERIFY(!portIsOpen(port));
        QVERIFY(QFileInfo::exists(paths::portFile(home.path())));
    }
};

QTEST_GUILESS_MAIN(HeadlessTest)
#include "tst_headless.moc"
