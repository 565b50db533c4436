#include "installer/engine/downloadprogressdelegate.h"
#include "installer/engine/installererrors.h"
#include "installer/engine/packagedownload.h"
#include "installer/engine/packageentries.h"
#include "installer/engine/packageswap.h"

#include "common/paths.h"
#include "enginetesthelpers.h"
#include "httpresponder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;
using namespace Qt::StringLiterals;

namespace {

// The agent's plist as it must be, with @HOME@ standing for the home folder as written in XML.
const QString plistTemplate =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
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
    "        <string>@HOME@/Library/Application Support/Vistrel/TarvikService.app/Contents/MacOS/Tarvik</string>\n"
    "    </array>\n"
    "    <key>NSHighResolutionCapable</key>\n"
    "    <string>True</string>\n"
    "    <key>EnvironmentVariables</key>\n"
    "    <dict>\n"
    "        <key>PATH</key>\n"
    "        <string>/usr/bin:/bin:/usr/sbin:/sbin</string>\n"
    "        <key>DYLD_LIBRARY_PATH</key>\n"
    "        <string>@HOME@/Library/Application "
    "Support/Vistrel/TarvikService.app/Contents/MacOS/ffmpeg7/lib:@HOME@/Library/Application "
    "Support/Vistrel/TarvikService.app/Contents/MacOS:/usr/local/lib:/opt/homebrew/lib</string>\n"
    "    </dict>\n"
    "    <key>RunAtLoad</key><true/>\n"
    "    <key>KeepAlive</key><true/>\n"
    "    <key>StandardOutPath</key><string>@HOME@/Library/Logs/vistrel.log</string>\n"
    "    <key>StandardErrorPath</key><string>@HOME@/Library/Logs/vistrel.error.log</string>\n"
    "    <key>WorkingDirectory</key><string>@HOME@/Library/Application Support/Vistrel</string> \n"
    "</dict>\n"
    "</plist>"_s;

// Files from "path=content" and links from "path->target", below folder.
bool place(const QString &folder, const QStringList &entries) {
    for (const QString &entry : entries) {
        const bool link = entry.contains(u"->"_s);
        const QString path = folder + u'/' + entry.section(link ? u"->"_s : u"="_s, 0, 0);
        const QString value = entry.section(link ? u"->"_s : u"="_s, 1);
        if (!(link ? QDir().mkpath(QFileInfo(path).path()) && QFile::link(value, path)
                   : writeFile(path, value.toUtf8())))
            return false;
    }
    return true;
}

// An installer bundle whose launcher has a non-executable main program, a helper, and a link.
QString makeInstallerBundle(const QString &folder) {
    const QString launcher = folder + u"/Installer.app/Contents/Resources/Vistrel.app/Contents"_s;
    const bool made = writeFile(launcher + u"/MacOS/Vistrel"_s, "#!/bin/sh\n") &&
                      writeFile(launcher + u"/Helpers/launchctl"_s, "#!/bin/sh\n") &&
                      writeFile(launcher + u"/Resources/AppIcon.png"_s, "png") &&
                      QFile::link(u"AppIcon.png"_s, launcher + u"/Resources/Icon.png"_s) &&
                      setMode(launcher + u"/MacOS/Vistrel"_s, 0644) &&
                      setMode(launcher + u"/Helpers/launchctl"_s, 0750);
    return made ? folder + u"/Installer.app"_s : QString();
}

} // namespace

class EngineTest : public QObject {
    Q_OBJECT

private slots:
    void progressText() {
        const QList<std::tuple<qint64, qint64, QString>> rows = {
            {5242880, 10485760, "Downloaded 5.0 MB of 10.0 MB (50%)"},
            {1048575, 1048576, "Downloaded 1.0 MB of 1.0 MB (99%)"}, // cut, not rounded
            {4096, -1, {}},                                          // unknown size
            {0, 0, {}}};
        for (const auto &[written, expected, text] : rows)
            QCOMPARE(DownloadProgressDelegate::progressText(written, expected).value_or(QString()), text);
    }

    // The location answer as the service sends it, and whether it may be downloaded.
    void downloadLocation() {
        const QList<std::tuple<QString, QString, bool>> rows = {
            {"  \r\n'\"'https://h/p.zip?x=1\"'  \t", "https://h/p.zip?x=1", true}, // blanks, then quotes
            {"http://h:80/a'b'c.zip", "http://h:80/a'b'c.zip", true},              // quotes inside stay
            {"\" http://h/p.zip \"", " http://h/p.zip ", false},                   // blanks inside quotes stay
            {"/package.zip", "/package.zip", false},
            {"file:///etc/passwd", "file:///etc/passwd", false},
            {"http://h/a b.zip", "http://h/a b.zip", false}};
        for (const auto &[body, location, downloadable] : rows) {
            QCOMPARE(PackageDownload::cleanDownloadLocation(body), location);
            QCOMPARE(PackageDownload::isDownloadableUrl(location), downloadable);
        }
    }

    void zipListing() {
        const QByteArray listing = "Archive:  /tmp/x.zip\n"
                                   "Zip file size: 641 bytes, number of entries: 3\n"
                                   "drwxr-xr-x  3.0 unx        0 bx stor 20240101.120000 a b/\n"
                                   "-rw-r--r--  3.0 unx        3 tx defN 20240101.120000 a b/ two  spaces.txt\n"
                                   "lrwxrwxrwx  3.0 unx        5 bx stor 19800101.000000 link\n"
                                   "3 files, 8 bytes uncompressed, 8 bytes compressed:  0.0%\n";
        const auto entries = parseZipListing(listing);
        QVERIFY(entries && entries->size() == 3);
        QCOMPARE(entries->at(1).name, QByteArray("a b/ two  spaces.txt"));
        QVERIFY(!entries->at(1).isSymlink && entries->at(2).isSymlink);
        // A listing that does not show every declared entry (a name with a line break) is refused.
        QVERIFY(!parseZipListing(QByteArray(listing).replace("entries: 3", "entries: 4")));
        QVERIFY(!parseZipListing("garbage"));
        // unzip reads member names as wildcards; ours match only themselves.
        QCOMPARE(unzipLiteralPattern("a[1]*?.sh"), u"a\\[1\\]\\*\\?.sh"_s);
    }

    void entriesThatLeaveTheRoot() {
        for (const char *name : {"TarvikService.app/Contents/MacOS/Tarvik", "a/..b/c../...", "Media/"})
            QVERIFY2(entryStaysInside(name), name);
        for (const char *name : {"../x", "a/../../x", "a/../b.txt", "a/..", "/etc/cron.d/x", "a\\..\\..\\x"})
            QVERIFY2(!entryStaysInside(name), name);
        const QList<std::tuple<const char *, const char *, bool>> links = {
            {"F.framework/Current", "A", true}, {"a/b/link", "../../x", true}, {"a/link", "./../a/./b", true},
            {"a/b/link", "../../../x", false},  {"link", "a/../../x", false},  {"link", "..", false},
            {"a/link", "/home", false},         {"link", "", false},
        };
        for (const auto &[entry, target, inside] : links)
            QVERIFY2(linkStaysInside(entry, target) == inside, qPrintable(u"%1 -> %2"_s.arg(entry, target)));
    }

    void digestHeaders() {
        const QList<std::tuple<QByteArray, QByteArray, std::optional<QByteArray>>> rows = {
            {"sha-512=:AAAA:, sha-256=:X48E9q=:", "SHA-256=ignored", "X48E9q="}, // Repr-Digest first
            {"", "MD5=abc, SHA-256=X48E9q=", "X48E9q="},
            {"sha-256=X48E9q=", "", QByteArray()}, // not a byte sequence: matches nothing
            {"sha-512=:AAAA:", "md5=abc", std::nullopt},
        };
        for (const auto &[repr, digest, sha256] : rows)
            QCOMPARE(DownloadProgressDelegate::announcedSha256(repr, digest), sha256);
    }

    // What a package moves into a root that holds more than it does; what it replaces waits aside.
    void swapMovesOnlyPackagePaths_data() {
        QTest::addColumn<QStringList>("root");
        QTest::addColumn<QStringList>("staged");
        QTest::addColumn<QStringList>("after");    // the root; empty: refused, the root as it was
        QTest::addColumn<QStringList>("replaced"); // what waits aside
        QTest::newRow("a bundle of package files: replaced whole")
            << QStringList{"A/x=old"} << QStringList{"A/x=new", "A/z=new"} << QStringList{"A/x=new", "A/z=new"}
            << QStringList{"A/x=old"};
        QTest::newRow("user data in the bundle and beside it stays")
            << QStringList{"A/x=old", "A/mine=data", "Media/rec=data"} << QStringList{"A/x=new", "A/B/y=new"}
            << QStringList{"A/x=new", "A/B/y=new", "A/mine=data", "Media/rec=data"} << QStringList{"A/x=old"};
        QTest::newRow("a link is replaced, never followed") << QStringList{"A->../outside"} << QStringList{"A/x=new"}
                                                            << QStringList{"A/x=new"} << QStringList{"A->../outside"};
        QTest::newRow("a file over a folder with user data")
            << QStringList{"A/mine=data"} << QStringList{"A=file"} << QStringList() << QStringList();
        QTest::newRow("a reserved name") << QStringList() << QStringList{".vistrel-previous/x=new"} << QStringList()
                                         << QStringList();
    }
    void swapMovesOnlyPackagePaths() {
        QFETCH(QStringList, root);
        QFETCH(QStringList, staged);
        QFETCH(QStringList, after);
        QFETCH(QStringList, replaced);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"root"_s);
        QVERIFY(QDir().mkpath(folder) && place(folder, root) && place(dir.filePath(u"staging"_s), staged));
        QVERIFY(place(dir.filePath(u"outside"_s), {u"keep=keep"_s}));
        QMap<QString, QByteArray> expected = snapshot(folder);
        PackageSwap swap(dir.filePath(u"staging"_s), folder, dir.filePath(u"previous"_s));
        const std::optional<QString> refusal = swap.plan();
        QCOMPARE(refusal.has_value(), after.isEmpty());
        if (!refusal)
            QCOMPARE(swap.swap(), std::nullopt);
        QTemporaryDir expectedDir;
        QVERIFY(place(expectedDir.filePath(u"root"_s), after) && place(expectedDir.filePath(u"previous"_s), replaced));
        if (!after.isEmpty())
            expected = snapshot(expectedDir.filePath(u"root"_s));
        QCOMPARE(snapshot(folder), expected);
        QCOMPARE(snapshot(dir.filePath(u"previous"_s)), snapshot(expectedDir.filePath(u"previous"_s)));
        QCOMPARE(snapshot(dir.filePath(u"outside"_s)).keys(), QStringList{u"keep"_s});
    }

    void plistText_data() {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("homeInXml");
        QTest::newRow("&, ' and spaces") << "/Users/o'brien & co/my home"
                                         << "/Users/o&apos;brien &amp; co/my home";
        QTest::newRow("<, > and \"") << "/home/<a> \"b\""
                                     << "/home/&lt;a&gt; &quot;b&quot;";
    }
    void plistText() {
        QFETCH(QString, home);
        QFETCH(QString, homeInXml);
        const QString root = paths::installRoot(home);
        const QString folder = root + u"/TarvikService.app/Contents/MacOS"_s;
        QCOMPARE(InstallationService::makeLaunchAgentPlist(folder + u"/Tarvik"_s, root, folder, home),
                 QString(plistTemplate).replace(u"@HOME@"_s, homeInXml));
    }

    void preparingWithoutAServer() {
        World world;
        const QString root = world.root();
        // The port folder blocked by a file, the language file by a folder.
        QVERIFY(writeFile(root + u"/Media/XML"_s, "not a folder"));
        QVERIFY(writeFile(root + u"/lang.txt/inside"_s, "x"));
        QVERIFY(!runStep(world.service->prepareInstalledFiles()));
        QStringList log = world.service->installationLog();
        QCOMPARE(log.mid(3, 4),
                 QStringList(
                     {"⚠️ Warning: Tarvik binary not found at " + root + "/TarvikService.app/Contents/MacOS/Tarvik",
                      "Creating default port configuration...",
                      "⚠️ Could not write port.txt file. The service will use its default port.",
                      "Writing language configuration..."}));
        QVERIFY2(log.value(7).startsWith(u"⚠️ Could not write lang.txt file: ") && log[7].size() > 34,
                 qPrintable(log.value(7)));
        QCOMPARE(log.mid(8), QStringList{"Files ready at: " + root});
    }

    // A link where the launcher goes is replaced, never followed; a bundle without one fails.
    void launcherReplacesALink() {
        QTemporaryDir folder;
        World world({}, u"it's a \"home\" with $PATH & `id`"_s);
        world.service->setInstallerBundlePath(folder.path());
        const std::optional<Error> missing = runStep(world.service->installLauncherApp());
        QVERIFY(missing && missing->code() == installerError::launcherMissing);
        QCOMPARE(missing->description(), u"Launcher app not found in installer bundle."_s);
        world.service->setInstallerBundlePath(makeInstallerBundle(folder.path()));
        QVERIFY(QFileInfo::exists(world.service->installerBundlePath()));
        const QString target = paths::launcherApp(world.home.path()) + u"/Contents"_s;
        const QString elsewhere = folder.path() + u"/precious"_s;
        QVERIFY(writeFile(elsewhere + u"/data.txt"_s, "keep me"));
        QVERIFY(QDir().mkpath(world.home.path() + u"/Applications"_s) &&
                QFile::link(elsewhere, paths::launcherApp(world.home.path())));

        QVERIFY(!runStep(world.service->installLauncherApp()));
        QCOMPARE(world.service->installationLog().mid(1),
                 QStringList({"Installing Vistrel Launcher app...", "Removed existing launcher app",
                              "Launcher app installed to: " + paths::launcherApp(world.home.path())}));
        QCOMPARE(readFile(elsewhere + u"/data.txt"_s), QByteArray("keep me"));
        QCOMPARE(QDir(target + u"/Resources"_s).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList({"AppIcon.png", "Icon.png"}));
        QCOMPARE(QFileInfo(target + u"/Resources/Icon.png"_s).symLinkTarget(), target + u"/Resources/AppIcon.png"_s);
        QCOMPARE(modeOf(target + u"/MacOS/Vistrel"_s), 0755); // chmod +x
        QCOMPARE(modeOf(target + u"/Helpers/launchctl"_s), 0750);
    }

    void openLauncherApp() {
        FakePlatform platform;
        Timing timing;
        timing.quitDelay = 200ms;
        InstallationService service(platform, timing);
        // Not found: the installer stays open.
        platform.openApplicationSucceeds = false;
        service.openLauncherApp();
        QTest::qWait(400);
        QCOMPARE(platform.terminations, 0);
        platform.openApplicationSucceeds = true;
        service.openLauncherApp();
        service.openLauncherApp();          // a second press starts no second launcher
        QCOMPARE(platform.terminations, 0); // not before the delay
        QTRY_COMPARE(platform.terminations, 1);
        QCOMPARE(service.installationLog(), QStringList({"🚀 Opening Vistrel...", "🚀 Opening Vistrel..."}));
        QCOMPARE(platform.openedApplications,
                 QStringList({"com.qelvonet.tarvik.launcher", "com.qelvonet.tarvik.launcher"}));
    }

    void verification_data() {
        QTest::addColumn<QList<int>>("statuses");
        QTest::addColumn<QByteArray>("portFile"); // {port} is the server's; empty: no file
        QTest::addColumn<QString>("typedPort");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("code"); // 0: online
        // Which answers count is the probe's matter; here, the attempts and the port they go to.
        QTest::newRow("third answer, file wins") << QList<int>{503, 0, 200} << QByteArray("{port}\n") << "1" << 3 << 0;
        QTest::newRow("no file: typed port") << QList<int>{200} << QByteArray() << "{port}" << 1 << 0;
        QTest::newRow("file not UTF-8: typed port") << QList<int>{200} << QByteArray("\xff\xfe") << "{port}" << 1 << 0;
        QTest::newRow("never answers") << QList<int>{0} << QByteArray("{port}") << "1" << 3 << 101;
        QTest::newRow("text in the file") << QList<int>{200} << QByteArray("  eighty\n") << "{port}" << 0 << 100;
        QTest::newRow("above 65535") << QList<int>{200} << QByteArray("70000") << "{port}" << 0 << 100;
    }
    void verification() {
        QFETCH(QList<int>, statuses);
        QFETCH(QByteArray, portFile);
        QFETCH(QString, typedPort);
        QFETCH(int, attempts);
        QFETCH(int, code);
        HttpResponder server;
        QVERIFY(server.listen());
        QList<HttpResponder::Answer> answers;
        for (const int status : statuses)
            answers << HttpResponder::status(status);
        server.setAnswers(answers);
        World world;
        if (!portFile.isEmpty())
            QVERIFY(writeFile(paths::portFile(world.home.path()),
                              QByteArray(portFile).replace("{port}", QByteArray::number(server.port()))));
        Timing timing = Timing{}.scaled(20);
        timing.verifyAttempts = 3;
        timing.verifyRequestTimeout = 300ms;
        InstallationService service(world.platform, timing);
        service.setSelectedPort(typedPort.replace(u"{port}"_s, QString::number(server.port())));

        std::optional<qint64> port;
        const auto error = runStep([&]() -> QCoro::Task<void> { port = co_await service.waitForService(); }());
        QStringList log;
        for (int n = 1; n <= attempts; ++n)
            log << u"Pinging service... (Attempt %1/3)"_s.arg(n);
        if (code == 0) {
            QVERIFY2(!error, error ? qPrintable(error->description()) : "");
            QCOMPARE(port, qint64(server.port()));
            log << u"Service is online!"_s;
        } else {
            QVERIFY(error);
            QCOMPARE(error->domain(), u"InstallError"_s);
            QCOMPARE(error->code(), qint64(code));
            QCOMPARE(error->description(),
                     code == 100 ? u"Invalid port number: "_s + QString::fromUtf8(portFile).trimmed()
                                 : u"Service failed to start in time. Check logs at ~/Library/Logs/vistrel.log"_s);
        }
        QCOMPARE(service.installationLog(), log);
        QCOMPARE(server.requests(), attempts);
    }
};

QTEST_GUILESS_MAIN(EngineTest)
#include "tst_engine.moc"
