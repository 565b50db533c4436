#include "installer/engine/downloadprogressdelegate.h"
#include "installer/engine/installationservice.h"
#include "installer/localization/localizationmanager.h"

#include "common/commandrunner.h"
#include "common/paths.h"
#include "enginetesthelpers.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>

using namespace vistrel;
using namespace vistrel::test;

namespace {

const QString determining = QStringLiteral("Determining download URL...");
const QString requestingStable = QStringLiteral("Requesting stable version...");
const QString extracting = QStringLiteral("Extracting files directly to installation directory...");

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

int modeOf(const QString &path) {
    return int(std::filesystem::status(QFile::encodeName(path).toStdString()).permissions()) & 07777;
}

// One installer run's world: a home folder, the platform answering for it, the engine.
struct World {
    explicit World(const QString &origin, const QString &homeName = {})
        : home(homeName) {
        platform.home = home.path();
        platform.languages = {QStringLiteral("en-US")};
        platform.defaults.insert(QStringLiteral("downloadServiceOrigin"), origin);
        service = std::make_unique<InstallationService>(platform, Timing{}.scaled(10));
    }
    QString root() const { return paths::installRoot(home.path()); }

    TestHome home;
    FakePlatform platform;
    std::unique_ptr<InstallationService> service;
};

} // namespace

class DownloadTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;
    QString m_tmp;

    // Packages left in the temporary folder by the engine.
    QStringList leftovers() const { return filesStartingWith(m_tmp, QStringLiteral("Vistrel_")); }
    void clearLeftovers() {
        for (const QString &name : leftovers())
            QFile::remove(m_tmp + u'/' + name);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_scratch.isValid());
        // The engine's temporary files land in a folder only this test looks at.
        m_tmp = m_scratch.path() + QStringLiteral("/tmp");
        QVERIFY(QDir().mkpath(m_tmp));
        qputenv("TMPDIR", m_tmp.toLocal8Bit());
        QCOMPARE(QDir::tempPath(), m_tmp);
        QVERIFY(QFileInfo(demoPackage()).isFile());
    }

    void init() { clearLeftovers(); }

    void goodDownloadAndUnpack_data() {
        QTest::addColumn<bool>("beta");
        QTest::newRow("stable") << false;
        QTest::newRow("beta") << true;
    }
    void goodDownloadAndUnpack() {
        QFETCH(bool, beta);
        const QString requests = m_scratch.path() + QStringLiteral("/requests.txt");
        QFile::remove(requests);
        DemoVendor vendor({QStringLiteral("--request-log"), requests});
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());
        world.service->setUseBetaVersion(beta);

        QStringList thirdLines;
        connect(world.service.get(), &InstallationService::installationLogChanged, this, [&] {
            const QStringList &log = world.service->installationLog();
            if (log.size() == 3 && (thirdLines.isEmpty() || thirdLines.constLast() != log[2]))
                thirdLines.append(log[2]);
        });
        const std::optional<Error> error = runStep(world.service->downloadVistrel());
        QVERIFY2(!error, error ? qPrintable(error->description()) : "");

        const qint64 size = QFileInfo(demoPackage()).size();
        QCOMPARE(world.service->installationLog(),
                 QStringList({determining, beta ? QStringLiteral("Requesting beta version...") : requestingStable,
                              *DownloadProgressDelegate::progressText(size, size), extracting}));
        // The location line was there until the first progress text took its place.
        QVERIFY(thirdLines.size() >= 2);
        QVERIFY2(thirdLines.first().startsWith(QStringLiteral("Downloading from: ") + vendor.origin() + u'/'),
                 qPrintable(thirdLines.first()));

        const QString platformName =
            QCoro::waitFor(detectArchitecture()) == u"arm64" ? QStringLiteral("OSXARM64") : QStringLiteral("OSX64");
        const QByteArray requestLog = readAll(requests);
        QVERIFY2(requestLog.startsWith("GET /api/Tarvik/DownloadLocation5?platform=" + platformName.toLatin1() +
                                       "&useVersion=0&useBeta=" + (beta ? "true" : "false") + "\n"),
                 requestLog.constData());

        QVERIFY(QFileInfo(world.root() + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik")).isExecutable());
        QVERIFY(QFileInfo::exists(world.root() + QStringLiteral("/open_browser_macos.sh")));
        QCOMPARE(leftovers(), QStringList());
    }

    void progressReplacesTheLastLine() {
        const QString zip = makePackage(
            m_scratch.path(), {{"TarvikService.app/Contents/Resources/big.bin", randomBytes(3 * 1024 * 1024)}});
        QVERIFY(!zip.isEmpty());
        DemoVendor vendor({QStringLiteral("--package"), zip, QStringLiteral("--rate"), QStringLiteral("3000000")});
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());

        QStringList progress;
        int longest = 0;
        connect(world.service.get(), &InstallationService::installationLogChanged, this, [&] {
            const QStringList &log = world.service->installationLog();
            longest = std::max(longest, int(log.size()));
            if (log.size() == 3 && log[2].startsWith(u"Downloaded "))
                progress.append(log[2]);
        });
        QVERIFY(!runStep(world.service->downloadVistrel()));

        // One line counted up in place, each text written once.
        QCOMPARE(longest, 4);
        QVERIFY2(progress.size() >= 2, qPrintable(progress.join(u'\n')));
        QCOMPARE(progress.size(), QSet<QString>(progress.begin(), progress.end()).size());
        static const QRegularExpression shape(
            QStringLiteral(R"(^Downloaded (\d+\.\d) MB of (\d+\.\d) MB \((\d+)%\)$)"));
        int lastPercent = -1;
        for (const QString &text : progress) {
            const QRegularExpressionMatch match = shape.match(text);
            QVERIFY2(match.hasMatch(), qPrintable(text));
            QVERIFY(match.captured(3).toInt() >= lastPercent);
            lastPercent = match.captured(3).toInt();
        }
        QCOMPARE(lastPercent, 100);
    }

    void noContentLengthMeansNoProgress() {
        DemoVendor vendor({QStringLiteral("--no-content-length"), QStringLiteral("--location-body"),
                           QStringLiteral(" \"{url}\"\r\n")});
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());
        QVERIFY(!runStep(world.service->downloadVistrel()));
        const QStringList log = world.service->installationLog();
        QCOMPARE(log.size(), 4);
        QCOMPARE(log.mid(0, 2), QStringList({determining, requestingStable}));
        // The quotes and blanks around the location are gone.
        static const QRegularExpression location(QStringLiteral(R"(^Downloading from: http://127\.0\.0\.1:\d+/\S+$)"));
        QVERIFY2(location.match(log[2]).hasMatch(), qPrintable(log[2]));
        QCOMPARE(log[3], extracting);
        QVERIFY(QFileInfo::exists(world.root() + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik")));
        QCOMPARE(leftovers(), QStringList());
    }

    void downloadFailures_data() {
        QTest::addColumn<QStringList>("vendorArguments");
        QTest::addColumn<QString>("domain");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("logLines");

        QTest::newRow("location not UTF-8") << QStringList{"--location-body-hex", "ff fe 41 42"} << "DownloadError" << 1
                                            << "Could not get download URL" << 2;
        QTest::newRow("empty location") << QStringList{"--location-body-file", "/dev/null"} << "DownloadError" << 2
                                        << "Invalid download URL: " << 2;
        QTest::newRow("location not a URL") << QStringList{"--location-body", "'no url here'\n"} << "DownloadError" << 2
                                            << "Invalid download URL: no url here" << 2;
        QTest::newRow("location error status") << QStringList{"--location-status", "503"} << "DownloadError" << 4
                                               << "The download service answered with HTTP status 503" << 2;
        // The body is still a good URL: only the status tells that something is wrong.
        QTest::newRow("location not found") << QStringList{"--location-status", "404"} << "DownloadError" << 4
                                            << "The download service answered with HTTP status 404" << 2;
        QTest::newRow("package not found") << QStringList{"--package-status", "404"} << "DownloadError" << 4
                                           << "The package download failed with HTTP status 404" << 3;
        QTest::newRow("package server error") << QStringList{"--package-status", "500"} << "DownloadError" << 4
                                              << "The package download failed with HTTP status 500" << 3;
        QTest::newRow("transfer cut") << QStringList{"--truncate-at", "3000"} << "NetworkError" << -1 << QString() << 3;
    }
    void downloadFailures() {
        QFETCH(QStringList, vendorArguments);
        QFETCH(QString, domain);
        QFETCH(int, code);
        QFETCH(QString, description);
        QFETCH(int, logLines);
        DemoVendor vendor(vendorArguments);
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());

        const std::optional<Error> error = runStep(world.service->downloadVistrel());
        QVERIFY(error);
        QCOMPARE(error->domain(), domain);
        if (code >= 0)
            QCOMPARE(error->code(), qint64(code));
        if (!description.isNull())
            QCOMPARE(error->description(), description);
        else
            QVERIFY(!error->description().isEmpty());
        QCOMPARE(world.service->installationLog().size(), logLines);
        // Nothing half-downloaded stays behind, and nothing was unpacked.
        QCOMPARE(leftovers(), QStringList());
        QVERIFY(!QFileInfo::exists(world.root()));
    }

    void unreachableService() {
        World world(QStringLiteral("http://127.0.0.1:%1").arg(freePort()));
        const std::optional<Error> error = runStep(world.service->downloadVistrel());
        QVERIFY(error);
        QCOMPARE(error->domain(), QStringLiteral("NetworkError"));
        QVERIFY(error->description().contains(QStringLiteral("refused"), Qt::CaseInsensitive));
        QCOMPARE(world.service->installationLog(), QStringList({determining, requestingStable}));
    }

    void packagesThatDoNotUnpack_data() {
        QTest::addColumn<QStringList>("vendorArguments");
        QTest::addColumn<int>("exitStatus");
        QTest::newRow("not a zip") << QStringList{"--package", "<random>"} << 9;
        // Without a length a cut cannot be told from the end; the archive then fails to open.
        QTest::newRow("cut without length") << QStringList{"--no-content-length", "--truncate-at", "2000"} << 9;
    }
    void packagesThatDoNotUnpack() {
        QFETCH(QStringList, vendorArguments);
        QFETCH(int, exitStatus);
        const QString random = m_scratch.path() + QStringLiteral("/random.zip");
        QVERIFY(writeFile(random, randomBytes(64 * 1024)));
        vendorArguments.replaceInStrings(QStringLiteral("<random>"), random);
        DemoVendor vendor(vendorArguments);
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());

        const std::optional<Error> error = runStep(world.service->downloadVistrel());
        QVERIFY(error);
        QCOMPARE(error->domain(), QStringLiteral("ExtractionError"));
        QCOMPARE(error->code(), qint64(exitStatus));
        QCOMPARE(error->description(), QStringLiteral("Extraction failed."));
        const QStringList log = world.service->installationLog();
        QCOMPARE(log.size(), 5);
        QCOMPARE(log[3], extracting);
        QVERIFY2(log[4].startsWith(u"ERROR: ") && log[4].contains(u"zipfile"), qPrintable(log[4]));
        QCOMPARE(QDir(world.root()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void packagesThatLeaveTheRoot_data() {
        QTest::addColumn<QList<PackageFile>>("files");
        QTest::addColumn<QString>("offender");
        QTest::newRow("parent entry") << QList<PackageFile>{{"ok.txt", "ok"}, {"../outside.txt", "bad"}}
                                      << "../outside.txt";
        QTest::newRow("link out of the root")
            << QList<PackageFile>{{"ok.txt", "ok"}, {"TarvikService.app/up", "../../..", 0, true}}
            << "TarvikService.app/up -> ../../..";
        QTest::newRow("absolute link") << QList<PackageFile>{{"run.sh", "/etc/passwd", 0, true}}
                                       << "run.sh -> /etc/passwd";
    }
    void packagesThatLeaveTheRoot() {
        QFETCH(QList<PackageFile>, files);
        QFETCH(QString, offender);
        const QString zip = makePackage(m_scratch.path(), files);
        QVERIFY(!zip.isEmpty());
        DemoVendor vendor({QStringLiteral("--package"), zip});
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());

        const std::optional<Error> error = runStep(world.service->downloadVistrel());
        QVERIFY(error);
        QCOMPARE(error->domain(), QStringLiteral("ExtractionError"));
        QCOMPARE(error->code(), qint64(InstallationService::unsafePackageCode));
        QCOMPARE(error->description(), QStringLiteral("Extraction failed."));
        QCOMPARE(world.service->installationLog().constLast(),
                 QStringLiteral("ERROR: The package has an entry outside the installation folder: ") + offender);
        // Nothing of it was unpacked, neither inside the root nor next to it.
        QCOMPARE(QDir(world.root()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QCOMPARE(QDir(QFileInfo(world.root()).path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"Vistrel"});
    }

    void linksInsideTheRootAreKept() {
        const QString zip = makePackage(
            m_scratch.path(), {{"F.framework/Versions/A/lib", "code"}, {"F.framework/Versions/Current", "A", 0, true}});
        QVERIFY(!zip.isEmpty());
        DemoVendor vendor({QStringLiteral("--package"), zip});
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());
        QVERIFY(!runStep(world.service->downloadVistrel()));
        const QFileInfo link(world.root() + QStringLiteral("/F.framework/Versions/Current"));
        QVERIFY(link.isSymLink());
        QCOMPARE(readAll(link.filePath() + QStringLiteral("/lib")), QByteArray("code"));
    }

    void reinstallKeepsUserData() {
        DemoVendor vendor;
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());
        const QString root = world.root();
        const QString server = root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik");
        QVERIFY(!runStep(world.service->downloadVistrel()));
        QVERIFY(!runStep(world.service->prepareInstalledFiles()));
        const QByteArray original = readAll(server);

        // The user's recordings and settings, and a damaged program file.
        QVERIFY(writeFile(root + QStringLiteral("/Media/Recordings/cam1.mp4"), "frames"));
        QVERIFY(writeFile(root + QStringLiteral("/Media/XML/settings.xml"), "<settings/>"));
        QVERIFY(writeFile(server, "damaged"));
        world.service->setSelectedPort(QStringLiteral("9000"));
        LocalizationManager(world.platform).setCurrentLanguage(QStringLiteral("de"));

        QVERIFY(!runStep(world.service->downloadVistrel()));
        QVERIFY(!runStep(world.service->prepareInstalledFiles()));
        QCOMPARE(readAll(server), original);
        QCOMPARE(readAll(root + QStringLiteral("/Media/Recordings/cam1.mp4")), QByteArray("frames"));
        QCOMPARE(readAll(root + QStringLiteral("/Media/XML/settings.xml")), QByteArray("<settings/>"));
        QCOMPARE(readAll(paths::portFile(world.home.path())), QByteArray("9000"));
        QCOMPARE(readAll(paths::languageFile(world.home.path())), QByteArray("de"));
        QCOMPARE(leftovers(), QStringList());
    }

    void homeWithShellCharacters() {
        const QString zip =
            makePackage(m_scratch.path(), {{"TarvikService.app/Contents/MacOS/Tarvik", "#!/bin/sh\n", 0644},
                                           {"scripts/start.sh", "#!/bin/sh\n", 0644}});
        QVERIFY(!zip.isEmpty());
        DemoVendor vendor({QStringLiteral("--package"), zip});
        QVERIFY(vendor.isRunning());
        const QString homeName = QStringLiteral("we ird \"q\" $HOME `echo x` 'a' & b");
        World world(vendor.origin(), homeName);
        QVERIFY(world.home.isValid());

        QVERIFY(!runStep(world.service->downloadVistrel()));
        QVERIFY(!runStep(world.service->prepareInstalledFiles()));
        const QString root = world.root();
        QCOMPARE(modeOf(root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik")), 0755);
        QVERIFY(QFileInfo(root + QStringLiteral("/scripts/start.sh")).isExecutable());
        QCOMPARE(readAll(paths::portFile(world.home.path())), QByteArray("8090"));
        for (const QString &line : world.service->installationLog())
            QVERIFY2(!line.startsWith(u"⚠️"), qPrintable(line));
        // No command line broke up the path and made something next to the home folder.
        QCOMPARE(QDir(QFileInfo(world.home.path()).path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList({"runtime", homeName}));
    }
};

QTEST_GUILESS_MAIN(DownloadTest)
#include "tst_download.moc"
