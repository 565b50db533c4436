#include "installer/engine/downloadprogressdelegate.h"
#include "installer/engine/installererrors.h"
#include "installer/engine/packagedownload.h"
#include "installer/engine/packageentries.h"
#include "installer/engine/packageswap.h"

#include "common/paths.h"
#include "common/plist.h"
#include "enginetesthelpers.h"
#include "httpresponder.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

using namespace vistrel;
using namespace vistrel::test;
using namespace Qt::StringLiterals;

namespace {

// The agent's plist as it must be, with @HOME@ standing for the home folder as written in XML.
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

// One entry of a hand-made archive.
struct ArchiveEntry {
    QByteArray name;
    QByteArray data; // a link's target
    bool isLink = false;
    bool deflate = false;
    quint64 flags = 0;
    QByteArray extra = {};
};

// The entries as a zip archive laid out as the format says; zip64: sizes and offsets in ZIP64 fields.
QByteArray zipOf(const QList<ArchiveEntry> &entries, bool zip64) {
    const auto put = [](QByteArray &to, std::initializer_list<std::pair<quint64, int>> fields) {
        for (const auto &[value, size] : fields) {
            for (int i = 0; i < size; ++i)
                to += char(i < 8 ? value >> (8 * i) : 0);
        }
    };
    const auto sized = [zip64](quint64 value) { return zip64 ? 0xffffffff : value; };
    QByteArray local, central, end;
    for (const ArchiveEntry &entry : entries) {
        const QByteArray packed = entry.deflate ? qCompress(entry.data).sliced(6).chopped(4) : entry.data;
        QByteArray extra = entry.extra;
        if (zip64)
            put(extra, {{0x00180001, 4},
                        {quint64(entry.data.size()), 8},
                        {quint64(packed.size()), 8},
                        {quint64(local.size()), 8}});
        const quint64 offset = sized(local.size());
        put(local, {{0x04034b50, 4}});
        put(central, {{0x02014b50, 4}, {0x031e, 2}}); // made on Unix
        for (QByteArray *header : {&local, &central}) {
            const quint64 extraSize = header == &local ? entry.extra.size() : extra.size();
            put(*header, {{20, 2},
                          {entry.flags, 2},
                          {entry.deflate ? 8u : 0u, 2},
                          {0, 8},
                          {sized(packed.size()), 4},
                          {sized(entry.data.size()), 4},
                          {quint64(entry.name.size()), 2},
                          {extraSize, 2}});
        }
        put(central, {{0, 6}, {(entry.isLink ? 0120777u : 0100644u) << 16, 4}, {offset, 4}});
        local += entry.name + entry.extra + packed;
        central += entry.name + extra;
    }
    const quint64 count = entries.size();
    if (zip64)
        put(end, {{0x06064b50, 4},
                  {44, 8},
                  {0x002d002d, 12},
                  {count, 8},
                  {count, 8},
                  {quint64(central.size()), 8},
                  {quint64(local.size()), 8},
                  {0x07064b50, 8},
                  {quint64(local.size() + central.size()), 8},
                  {1, 4}});
    put(end,
        {{0x06054b50, 8}, {count, 2}, {count, 2}, {quint64(central.size()), 4}, {quint64(local.size()), 4}, {0, 2}});
    return local + central + end;
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
            {"http://h/a b.zip", "http://h/a b.zip", false}};
        for (const auto &[body, location, downloadable] : rows) {
            QCOMPARE(PackageDownload::cleanDownloadLocation(body), location);
            QCOMPARE(PackageDownload::isDownloadableUrl(location), downloadable);
        }
    }

    // Hand-made archives, each with the edge that must pass or be refused before anything is unpacked.
    void hostilePackages() {
        using enum PackageCheck::Outcome;
        const QList<ArchiveEntry> framework = {{"F.framework/Versions/A/F", "binary"},
                                               {"F.framework/Versions/Current", "A", true},
                                               {"F.framework/F", "Versions/Current/F", true, true},
                                               {"F.framework/Resources", "Versions/Current/Resources", true}};
        const QByteArray unicodePath("\x75\x70\x09\x00\x01\0\0\0\0../x", 13);
        const QByteArray current = "F.framework/Versions/Current";
        struct Row {
            QList<ArchiveEntry> entries;
            QList<std::pair<QByteArray, QByteArray>> onDisk; // links an earlier installation left; @ in the root
            PackageCheck::Outcome outcome;
            QString message;
        };
        const QList<Row> rows = {
            {framework, {}, Safe, {}},
            {framework, {{current, "@/F.framework/Versions/A"}}, Safe, {}},
            {{{"x/l1", "..", true}, {"x/l2", "l1/..", true}}, {}, Unsafe, "x/l2 -> l1/.."},
            {{{"l", "up/x", true}}, {{"up", "sub"}}, Safe, {}},
            {{{"l", "up/x", true}}, {{"up", ".."}}, Unsafe, "l -> up/x"},
            // Files go into the folder on disk before the package's link replaces it.
            {{{"a", "b", true}, {"a/c/f", "x"}}, {{"a/c", "/"}}, Unsafe, "a/c/f"},
            {{{"a", "b", true}, {"a/l", "x", true}}, {}, Unsafe, "a/l -> x"},
            {{{"a\nb", "x"}}, {}, Unsafe, "a\\x0ab (a name that is not plain text)"},
            {{{"a\xff", "x"}}, {}, Unsafe, "a\\xff (a name that is not plain text)"},
            {{{"a", "x", false, false, 0, unicodePath}}, {}, Unsafe, "a (a name that is not plain text)"},
            {{{"secret", "A", false, false, 1}}, {}, Safe, {}},
            {{{"secret", "A", true, false, 1}}, {}, Unsafe, "secret -> "},
        };
        // The framework's end record and directory, told lies.
        const QList<std::tuple<qsizetype, quint32, QString>> lies = {
            {-14, 0x00050005, "its end record counts 5 entries, its directory holds 4."},
            {-6, 1 << 30, "its directory is not where its end record says."},
            {-47, 1 << 30, "entry 4 has no local header where the directory says."},
            {8, 0, "its directory is not where its end record says."}}; // a byte less
        QTemporaryDir scratch;
        const QString package = scratch.filePath(u"p.zip"_s);
        const auto check = [&](const QByteArray &zip, const QString &root) {
            return writeFile(package, zip) ? await(checkPackageEntries(package, root)) : PackageCheck();
        };
        for (qsizetype i = 0; i < rows.size() * 2; ++i) {
            const Row &row = rows[i / 2];
            const QString root = scratch.filePath(u"root%1"_s.arg(i));
            for (const auto &[path, target] : row.onDisk) {
                QVERIFY(QDir().mkpath(QFileInfo(root + u'/' + path).path()));
                QVERIFY(QFile::link(QString::fromUtf8(target).replace(u"@"_s, root), root + u'/' + path));
            }
            const PackageCheck verdict = check(zipOf(row.entries, i % 2), root); // and in ZIP64
            QVERIFY2(verdict.outcome == row.outcome && verdict.message == row.message, qPrintable(verdict.message));
            if (i < 4)
                QCOMPARE(verdict.unpackedBytes, 6 + 1 + 18 + 26);
        }
        for (const auto &[at, value, message] : lies) {
            QByteArray zip = zipOf(framework, false);
            if (value == 0)
                zip.remove(at, 1);
            else
                qToLittleEndian(value, zip.data() + zip.size() + at);
            const PackageCheck verdict = check(zip, {});
            QVERIFY2(verdict.outcome == Unreadable && verdict.message.endsWith(message), qPrintable(verdict.message));
        }
        // Bytes changed at random in both forms, or cut off: each is read or refused, none crashes or hangs.
        QRandomGenerator random(23);
        for (int round = 0; round < 1000; ++round) {
            QByteArray zip = zipOf(framework, round % 2);
            for (int edits = 1 + random.bounded(4); edits > 0; --edits)
                zip[random.bounded(zip.size())] = char(random.bounded(256));
            zip.truncate(round % 3 ? zip.size() : random.bounded(zip.size()));
            check(zip, {});
        }
        // A FIFO where the package should be is not waited on.
        QVERIFY(QFile::remove(package) && ::mkfifo(QFile::encodeName(package).constData(), 0600) == 0);
        QCOMPARE(await(checkPackageEntries(package)).exitCode, 9);
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

    // Whatever the home holds, the plist reads back with its paths, as the service manager reads it.
    void plistReadsBackForAnyHome() {
        for (const QString &home : {u"/Users/o'brien & co/my home"_s, u"/home/<a> \"b\" ]]>"_s}) {
            const QString root = paths::installRoot(home);
            const QString folder = root + u"/TarvikService.app/Contents/MacOS"_s;
            const QByteArray text =
                InstallationService::makeLaunchAgentPlist(folder + u"/Tarvik"_s, root, folder, home).toUtf8();
            const QVariantMap plist = parsePlist(text).value_or(QVariant()).toMap();
            QCOMPARE(plist.value(u"Label"_s), QVariant(u"com.qelvo.vistrel"_s));
            QCOMPARE(plist.value(u"ProgramArguments"_s).toList(), QVariantList{folder + u"/Tarvik"_s});
            QCOMPARE(plist.value(u"WorkingDirectory"_s), QVariant(root));
            QCOMPARE(plist.value(u"StandardOutPath"_s), QVariant(paths::serverLog(home)));
            QCOMPARE(plist.value(u"StandardErrorPath"_s), QVariant(paths::serverErrorLog(home)));
            QVERIFY(plist.value(u"RunAtLoad"_s).toBool() && plist.value(u"KeepAlive"_s).toBool());
        }
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
