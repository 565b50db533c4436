// Whole uninstall runs over real files, with the service-manager stand-in answering the bootout
// (nothing is loaded in these tests, so it always fails and the run must go on).
#include "fakeplatform.h"
#include "permissions.h"
#include "uninstallrun.h"

#include <QDir>
#include <QTest>

using namespace vistrel;
using namespace Qt::StringLiterals;
using namespace vistrel::test::uninstallrun;
namespace installation = vistrel::test::installation;

namespace {

bool present(const QString &path) {
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

// Test set-up only: takes away whatever is at path.
bool removeAny(const QString &path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return !present(path) || QFile::remove(path);
}

} // namespace

class UninstallRunTest : public QObject {
    Q_OBJECT

private slots:

    void init() {
        m_home = std::make_unique<test::TestHome>();
        QVERIFY(m_home->isValid());
        m_platform.home = m_home->path();
        m_platform.launchctl = test::launchctlTool();
    }

    void cleanup() { m_home.reset(); }

    // Everything installed, then nothing left: the exact logs, what goes and what stays.
    void fullRunThenEmptyAccount() {
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        const QString bootout = failedBootoutOutput(home);
        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        QVERIFY(runToEnd(*service));
        QCOMPARE(service->log(), fullLog(home, bootout, true));
        QVERIFY(!service->hasError());

        const QString root = paths::installRoot(home);
        for (const QString &name : installation::serverEntries())
            QVERIFY2(!present(root + u'/' + name), qPrintable(name));
        for (const QString &gone : {paths::launchAgentPlist(home), paths::launcherApp(home), paths::serverLog(home),
                                    paths::serverErrorLog(home)})
            QVERIFY2(!present(gone), qPrintable(gone));
        for (const QString &kept : installation::keptItems(home) +
                                       QStringList{paths::browserScript(home), root + QStringLiteral("/notes.txt")})
            QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));

        const QString emptyBootout = failedBootoutOutput(home);
        QVERIFY(runToEnd(*service));
        QCOMPARE(service->log(), fullLog(home, emptyBootout, false));
        QVERIFY(!service->hasError());
    }

    // A removal that fails fails its step; server files and logs are each tried first, with a
    // warning. Root ignores permission bits, so for the duration it is made to respect them.
    void failingRemovals_data() {
        QTest::addColumn<QString>("readOnly"); // relative to the home folder
        QTest::addColumn<QString>("failure");  // the step's result line, to the error's first words
        QTest::addColumn<int>("warnings");     // "⚠️ Could not remove" lines
        QTest::newRow("plist folder") << "Library/LaunchAgents"
                                      << "❌ removeLaunchAgent failed: “com.qelvo" << 0;
        QTest::newRow("Applications") << "Applications"
                                      << "❌ removeLauncherApp failed: “Vistrel.app” couldn’t" << 0;
        QTest::newRow("install root") << "Library/Application Support/Vistrel"
                                      << "❌ removeApplicationFiles failed: These items could not be removed: " << 5;
        QTest::newRow("log folder") << "Library/Logs"
                                    << "❌ cleanupLogs failed: These items could not be removed: " << 2;
    }
    void failingRemovals() {
        QFETCH(QString, readOnly);
        QFETCH(QString, failure);
        QFETCH(int, warnings);
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        const test::PermissionsEnforced enforced;
        if (!enforced.isActive())
            QSKIP("cannot make permission bits bind this process");
        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        {
            const test::ReadOnlyFolder folder(home + u'/' + readOnly);
            QVERIFY(runToEnd(*service));
        }
        QVERIFY2(service->log().constLast().startsWith(failure), qPrintable(service->log().constLast()));
        QVERIFY(service->log().constLast().endsWith(service->errorText()));
        QCOMPARE(service->log().filter(QStringLiteral("⚠️ Could not remove")).size(), warnings);
        QCOMPARE(service->errorText().count(home), warnings); // every path that stayed is named
    }

    // Candidates that are links lose the link only; the user's data is never reached through one.
    void symlinkedCandidates() {
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        const QString root = paths::installRoot(home);
        const QString outside = home + QStringLiteral("/elsewhere");
        const QStringList outsideFiles{u"/Server.app/Contents/MacOS/Tarvik"_s,
                                       u"/MediaStore/XML/port.txt"_s,
                                       u"/MediaStore/Recordings/cam1.mp4"_s,
                                       u"/Launcher.app/Contents/MacOS/Vistrel"_s,
                                       u"/shared.log"_s,
                                       u"/agent.plist"_s};
        for (const QString &file : outsideFiles)
            QVERIFY(test::writeFile(outside + file, "the user's"));
        const auto link = [](const QString &target, const QString &path) {
            return removeAny(path) && QFile::link(target, path);
        };
        QVERIFY(link(outside + QStringLiteral("/Server.app"), root + QStringLiteral("/TarvikService.app")));
        QVERIFY(link(outside + QStringLiteral("/MediaStore"), root + QStringLiteral("/Media")));
        // A candidate that points into Media, and real candidate folders holding links out.
        QVERIFY(link(root + QStringLiteral("/Media"), root + QStringLiteral("/ffmpeg7")));
        QVERIFY(link(root + QStringLiteral("/Media"), root + QStringLiteral("/Plugins/media")));
        QVERIFY(link(outside + QStringLiteral("/MediaStore/XML"), root + QStringLiteral("/Tarvik/xml")));
        QVERIFY(link(outside + QStringLiteral("/Launcher.app"), paths::launcherApp(home)));
        QVERIFY(link(outside + QStringLiteral("/shared.log"), paths::serverLog(home)));
        QVERIFY(link(home + QStringLiteral("/nowhere"), paths::serverErrorLog(home))); // dangling
        QVERIFY(link(outside + QStringLiteral("/agent.plist"), paths::launchAgentPlist(home)));

        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        QVERIFY(runToEnd(*service));
        QCOMPARE(service->log().value(1),
                 u"Launch agent plist does not name com.qelvo.vistrel; stopping it by its label"_s);
        QVERIFY(!service->hasError());
        for (const QString &name : installation::serverEntries())
            QVERIFY2(!present(root + u'/' + name), qPrintable(name));
        for (const QString &gone : {paths::launcherApp(home), paths::serverLog(home), paths::serverErrorLog(home),
                                    paths::launchAgentPlist(home)})
            QVERIFY2(!present(gone), qPrintable(gone));
        // Media is still the same link, and everything behind every link is intact.
        QCOMPARE(QFileInfo(root + QStringLiteral("/Media")).symLinkTarget(), outside + QStringLiteral("/MediaStore"));
        for (const QString &file : outsideFiles)
            QVERIFY2(QFileInfo::exists(outside + file), qPrintable(file));
        QVERIFY(QFileInfo::exists(paths::languageFile(home)));
    }

private:
    std::unique_ptr<test::TestHome> m_home;
    test::FakePlatform m_platform;
};

QTEST_GUILESS_MAIN(UninstallRunTest)
#include "tst_uninstallrun.moc"
