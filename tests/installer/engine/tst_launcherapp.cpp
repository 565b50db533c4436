#include "installer/engine/installationservice.h"

#include "common/paths.h"
#include "enginetesthelpers.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

using namespace vistrel;
using namespace vistrel::test;

namespace {

namespace fs = std::filesystem;

fs::path fsPath(const QString &path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

int modeOf(const QString &path) {
    return int(fs::symlink_status(fsPath(path)).permissions()) & 07777;
}

bool setMode(const QString &path, int mode) {
    std::error_code error;
    fs::permissions(fsPath(path), fs::perms(mode), error);
    return !error;
}

// Every entry below root: relative path, kind, mode, and the content or link target.
QStringList treeOf(const QString &root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QString entry = QDir(root).relativeFilePath(path) + QStringLiteral(" %1 ").arg(modeOf(path), 4, 8, QChar(u'0'));
        if (info.isSymLink()) {
            entry += QStringLiteral("link ") + QString::fromStdString(fs::read_symlink(fsPath(path)).string());
        } else if (info.isDir()) {
            entry += QStringLiteral("dir");
        } else {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            entry += QStringLiteral("file ") + QString::fromLatin1(file.readAll().toHex().left(64));
        }
        entries << entry;
    }
    entries.sort();
    return entries;
}

// An installer bundle whose launcher has a non-executable main program, a helper, and a link.
QString makeInstallerBundle(const QString &folder) {
    const QString launcher = folder + QStringLiteral("/Installer.app/Contents/Resources/Vistrel.app/Contents");
    if (!writeFile(launcher + QStringLiteral("/Info.plist"), "<plist/>") ||
        !writeFile(launcher + QStringLiteral("/MacOS/Vistrel"), "#!/bin/sh\nexit 0\n") ||
        !writeFile(launcher + QStringLiteral("/Helpers/launchctl"), "#!/bin/sh\n") ||
        !writeFile(launcher + QStringLiteral("/Resources/AppIcon.png"), "png") ||
        !QFile::link(QStringLiteral("AppIcon.png"), launcher + QStringLiteral("/Resources/Icon.png")) ||
        !setMode(launcher + QStringLiteral("/MacOS/Vistrel"), 0644) ||
        !setMode(launcher + QStringLiteral("/Helpers/launchctl"), 0750))
        return {};
    return folder + QStringLiteral("/Installer.app");
}

struct World {
    explicit World(const QString &homeName = {})
        : home(homeName) {
        platform.home = home.path();
        service = std::make_unique<InstallationService>(platform, Timing{}.scaled(10));
    }
    QString target() const { return paths::launcherApp(home.path()); }

    TestHome home;
    FakePlatform platform;
    std::unique_ptr<InstallationService> service;
};

const QString installing = QStringLiteral("Installing Vistrel Launcher app...");
const QString removed = QStringLiteral("Removed existing launcher app");
const QString installedTo = QStringLiteral("Launcher app installed to: ");

} // namespace

class LauncherAppTest : public QObject {
    Q_OBJECT

private slots:
    void firstInstallCopiesTheBuiltLauncher() {
        World world;
        world.service->setInstallerBundlePath(installerBundle());
        QVERIFY(!QFileInfo::exists(world.home.path() + QStringLiteral("/Applications")));

        const std::optional<Error> error = runStep(world.service->installLauncherApp());
        QVERIFY2(!error, error ? qPrintable(error->description()) : "");
        QCOMPARE(world.service->installationLog(), QStringList({installing, installedTo + world.target()}));
        QCOMPARE(treeOf(world.target()), treeOf(installerBundle() + QStringLiteral("/Contents/Resources/Vistrel.app")));
        QVERIFY(QFileInfo(world.target() + QStringLiteral("/Contents/MacOS/Vistrel")).isExecutable());
        QVERIFY(QFileInfo(world.target() + QStringLiteral("/Contents/Helpers/launchctl")).isExecutable());
    }

    void repeatedInstallReplacesTheWholeBundle_data() {
        QTest::addColumn<QString>("homeName");
        QTest::newRow("plain home") << QString();
        QTest::newRow("home with shell characters") << QStringLiteral("it's a \"home\" with $PATH & `id`");
    }
    void repeatedInstallReplacesTheWholeBundle() {
        QFETCH(QString, homeName);
        QTemporaryDir folder;
        const QString bundle = makeInstallerBundle(folder.path());
        QVERIFY(!bundle.isEmpty());
        const QString source = bundle + QStringLiteral("/Contents/Resources/Vistrel.app");
        const QStringList sourceTree = treeOf(source);

        World world(homeName);
        world.service->setInstallerBundlePath(bundle);
        QVERIFY(writeFile(world.target() + QStringLiteral("/Contents/MacOS/Vistrel"), "old"));
        QVERIFY(writeFile(world.target() + QStringLiteral("/Contents/Resources/only-in-the-old-copy"), "old"));

        const std::optional<Error> error = runStep(world.service->installLauncherApp());
        QVERIFY2(!error, error ? qPrintable(error->description()) : "");
        QCOMPARE(world.service->installationLog(), QStringList({installing, removed, installedTo + world.target()}));
        QVERIFY(!QFileInfo::exists(world.target() + QStringLiteral("/Contents/Resources/only-in-the-old-copy")));
        // The copy is the source but for the main program, which chmod +x made executable.
        QCOMPARE(modeOf(world.target() + QStringLiteral("/Contents/MacOS/Vistrel")), 0755);
        QCOMPARE(modeOf(world.target() + QStringLiteral("/Contents/Helpers/launchctl")), 0750);
        QVERIFY(QFileInfo(world.target() + QStringLiteral("/Contents/Resources/Icon.png")).isSymLink());
        QVERIFY(setMode(world.target() + QStringLiteral("/Contents/MacOS/Vistrel"), 0644));
        QCOMPARE(treeOf(world.target()), sourceTree);
        QCOMPARE(treeOf(source), sourceTree); // the installer's own copy is left alone
    }

    void earlierEntryIsRemovedWithoutFollowingLinks() {
        QTemporaryDir folder;
        const QString bundle = makeInstallerBundle(folder.path());
        QVERIFY(!bundle.isEmpty());
        // Someone's own folder, reached through a link where the launcher belongs.
        const QString elsewhere = folder.path() + QStringLiteral("/precious");
        QVERIFY(writeFile(elsewhere + QStringLiteral("/data.txt"), "keep me"));
        World world;
        world.service->setInstallerBundlePath(bundle);
        QVERIFY(QDir().mkpath(world.home.path() + QStringLiteral("/Applications")));
        QVERIFY(QFile::link(elsewhere, world.target()));

        const std::optional<Error> error = runStep(world.service->installLauncherApp());
        QVERIFY(!error);
        QCOMPARE(world.service->installationLog(), QStringList({installing, removed, installedTo + world.target()}));
        QVERIFY(QFileInfo::exists(elsewhere + QStringLiteral("/data.txt")));
        QVERIFY(!QFileInfo(world.target()).isSymLink());
        QVERIFY(QFileInfo(world.target() + QStringLiteral("/Contents/MacOS/Vistrel")).isExecutable());
    }

    void launcherMissingFromTheInstaller_data() {
        QTest::addColumn<QString>("shape");
        QTest::newRow("no installer bundle known") << QStringLiteral("none");
        QTest::newRow("bundle without the launcher") << QStringLiteral("empty");
        QTest::newRow("launcher is a file") << QStringLiteral("file");
    }
    void launcherMissingFromTheInstaller() {
        QFETCH(QString, shape);
        QTemporaryDir folder;
        const QString bundle = folder.path() + QStringLiteral("/Installer.app");
        QVERIFY(QDir().mkpath(bundle + QStringLiteral("/Contents/Resources")));
        if (shape == u"file")
            QVERIFY(writeFile(bundle + QStringLiteral("/Contents/Resources/Vistrel.app"), "not a bundle"));
        World world;
        // The test program runs outside any bundle, so "none" falls back to no bundle at all.
        if (shape != u"none")
            world.service->setInstallerBundlePath(bundle);
        QVERIFY(writeFile(world.target() + QStringLiteral("/Contents/MacOS/Vistrel"), "earlier copy"));

        const std::optional<Error> error = runStep(world.service->installLauncherApp());
        QVERIFY(error);
        QCOMPARE(error->domain(), QStringLiteral("InstallError"));
        QCOMPARE(error->code(), qint64(102));
        QCOMPARE(error->description(), QStringLiteral("Launcher app not found in installer bundle."));
        QCOMPARE(world.service->installationLog(), QStringList{installing});
        // Nothing to put in its place, so the earlier copy stays.
        QVERIFY(QFileInfo::exists(world.target() + QStringLiteral("/Contents/MacOS/Vistrel")));
    }

    void applicationsFolderCannotBeMade() {
        QTemporaryDir folder;
        const QString bundle = makeInstallerBundle(folder.path());
        World world;
        world.service->setInstallerBundlePath(bundle);
        QVERIFY(writeFile(world.home.path() + QStringLiteral("/Applications"), "a file in the way"));

        const std::optional<Error> error = runStep(world.service->installLauncherApp());
        QVERIFY(error);
        QVERIFY2(error->description().contains(u"Applications"), qPrintable(error->description()));
        QCOMPARE(world.service->installationLog(), QStringList{installing});
    }

    void openLauncherApp_data() {
        QTest::addColumn<bool>("found");
        QTest::newRow("found") << true;
        QTest::newRow("not found") << false;
    }
    void openLauncherApp() {
        QFETCH(bool, found);
        FakePlatform platform;
        platform.openApplicationSucceeds = found;
        Timing timing;
        timing.quitDelay = 200ms;
        InstallationService service(platform, timing);
        service.appendLog(QStringLiteral("✅ Ready to Launch complete"));

        QElapsedTimer clock;
        clock.start();
        service.openLauncherApp();
        QCOMPARE(platform.openedApplications, QStringList{"com.qelvonet.tarvik.launcher"});
        QCOMPARE(service.installationLog(),
                 QStringList({QStringLiteral("✅ Ready to Launch complete"), QStringLiteral("🚀 Opening Vistrel...")}));
        QCOMPARE(platform.terminations, 0); // not before the delay
        if (found) {
            QTRY_COMPARE_WITH_TIMEOUT(platform.terminations, 1, 5000);
            QVERIFY(clock.elapsed() >= 200);
        } else {
            QTest::qWait(400);
            QCOMPARE(platform.terminations, 0);
        }
        QCOMPARE(service.installationLog().size(), 2);
    }
};

QTEST_GUILESS_MAIN(LauncherAppTest)
#include "tst_launcherapp.moc"
