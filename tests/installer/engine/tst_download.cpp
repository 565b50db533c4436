#include "installer/engine/downloadprogressdelegate.h"
#include "installer/engine/installationservice.h"

#include "common/commandrunner.h"
#include "enginetesthelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;
using namespace Qt::StringLiterals;

namespace {

const QString serverPath = u"TarvikService.app/Contents/MacOS/Tarvik"_s;

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

} // namespace

class DownloadTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;
    QString m_tmp = m_scratch.path() + u"/tmp"_s;
    QString m_junk = m_scratch.path() + u"/junk.zip"_s;
    QString m_leadingOut; // a zip whose link chain leads out of the root

    // Packages the engine left in the temporary folder.
    QStringList leftovers() const { return QDir(m_tmp).entryList({u"Vistrel_*"_s}, QDir::Files); }

private slots:
    void initTestCase() {
        // The engine's temporary files land in a folder only this test looks at.
        QVERIFY(QDir().mkpath(m_tmp));
        qputenv("TMPDIR", m_tmp.toLocal8Bit());
        QCOMPARE(QDir::tempPath(), m_tmp);
        QVERIFY(writeFile(m_junk, randomBytes(64 * 1024)));
        m_leadingOut = makePackage(m_scratch.path(), {{u"x/l1"_s, "..", 0777, true}, {u"x/l2"_s, "l1/..", 0777, true}});
    }
    void init() {
        for (const QString &name : leftovers())
            QFile::remove(m_tmp + u'/' + name);
    }

    void goodDownloadAndUnpack_data() {
        QTest::addColumn<QStringList>("vendorArguments");
        QTest::addColumn<bool>("beta");
        QTest::addColumn<bool>("big"); // a 3 MB package, sent at 3 MB/s: many progress texts
        QTest::newRow("beta") << QStringList() << true << false;
        QTest::newRow("paced") << QStringList{"--rate", "3000000"} << false << true;
        QTest::newRow("no length, quoted location")
            << QStringList{"--no-content-length", "--location-body", " \"{url}\"\r\n"} << false << false;
    }
    void goodDownloadAndUnpack() {
        QFETCH(QStringList, vendorArguments);
        QFETCH(bool, beta);
        QFETCH(bool, big);
        const QString requests = m_scratch.path() + u"/requests.txt"_s;
        QFile::remove(requests);
        QString package = demoPackage();
        if (big)
            package = makePackage(m_scratch.path(), {{serverPath, randomBytes(3 * 1024 * 1024), 0755}});
        DemoVendor vendor(vendorArguments << "--request-log" << requests << "--package" << package);
        QVERIFY(vendor.isRunning());
        World world(vendor.origin() + u'/'); // a trailing slash on the origin is not doubled
        world.service->setUseBetaVersion(beta);
        QStringList thirdLines; // every write of the third line, in order
        connect(world.service.get(), &InstallationService::installationLogChanged, this, [&] {
            if (world.service->installationLog().size() == 3)
                thirdLines.append(world.service->installationLog()[2]);
        });

        const std::optional<Error> error = runStep(world.service->downloadVistrel());
        QVERIFY2(!error, error ? qPrintable(error->description()) : "");
        const QString location =
            u"Downloading from: "_s + vendor.origin() + u"/packages/"_s + QFileInfo(package).fileName();
        const qint64 size = QFileInfo(package).size();
        const bool length = !vendorArguments.contains(u"--no-content-length"_s);
        QCOMPARE(world.service->installationLog(),
                 QStringList({u"Determining download URL..."_s,
                              beta ? u"Requesting beta version..."_s : u"Requesting stable version..."_s,
                              length ? *DownloadProgressDelegate::progressText(size, size) : location,
                              u"Extracting files directly to installation directory..."_s}));
        // The location line stood until the first progress text took its place; each text written once.
        QCOMPARE(thirdLines.value(0), location);
        QVERIFY2(thirdLines.size() >= (big ? 3 : 1), qPrintable(thirdLines.join(u'\n')));
        QCOMPARE(QSet<QString>(thirdLines.begin(), thirdLines.end()).size(), thirdLines.size());

        const QByteArray platform = QCoro::waitFor(detectArchitecture()) == u"arm64" ? "OSXARM64" : "OSX64";
        const QByteArray requestLog = readFile(requests);
        QVERIFY2(requestLog.startsWith("GET /api/Tarvik/DownloadLocation5?platform=" + platform +
                                       "&useVersion=0&useBeta=" + (beta ? "true" : "false") + "\n"),
                 requestLog.constData());
        QVERIFY(QFileInfo(world.root() + u'/' + serverPath).isExecutable());
        QCOMPARE(leftovers(), QStringList());
    }

    void failures_data() {
        QTest::addColumn<QStringList>("vendorArguments"); // <junk>: not a zip
        QTest::addColumn<QString>("domain");
        QTest::addColumn<int>("code");            // -1: any
        QTest::addColumn<QString>("description"); // null: any non-empty text
        QTest::addColumn<QString>("lastLine");    // its start; null: not checked
        QTest::addColumn<int>("logLines");
        const QString download = u"DownloadError"_s;
        const QString extraction = u"ExtractionError"_s;
        const QString failed = u"Extraction failed."_s;
        QTest::newRow("location not UTF-8") << QStringList{"--location-body-hex", "ff fe 41 42"} << download << 1
                                            << "Could not get download URL" << QString() << 2;
        QTest::newRow("location not a URL") << QStringList{"--location-body", "'no url here'\n"} << download << 2
                                            << "Invalid download URL: no url here" << QString() << 2;
        // The body is still a good URL: only the status tells that something is wrong.
        QTest::newRow("location status") << QStringList{"--location-status", "404"} << download << 4
                                         << "The download service answered with HTTP status 404" << QString() << 2;
        QTest::newRow("package status") << QStringList{"--package-status", "500"} << download << 4
                                        << "The package download failed with HTTP status 500" << QString() << 3;
        QTest::newRow("transfer cut") << QStringList{"--truncate-at", "3000"} << "NetworkError" << -1 << QString()
                                      << QString() << 3;
        QTest::newRow("not a zip") << QStringList{"--package", "<junk>"} << extraction << 9 << failed << "ERROR: " << 5;
        QTest::newRow("leads out") << QStringList{"--package", "<out>"} << extraction << -2 << failed
                                   << "ERROR: The package has an entry outside the installation folder: x/l2 -> l1/.."
                                   << 5;
    }
    void failures() {
        QFETCH(QStringList, vendorArguments);
        QFETCH(QString, domain);
        QFETCH(int, code);
        QFETCH(QString, description);
        QFETCH(QString, lastLine);
        QFETCH(int, logLines);
        vendorArguments.replaceInStrings(u"<junk>"_s, m_junk).replaceInStrings(u"<out>"_s, m_leadingOut);
        DemoVendor vendor(vendorArguments);
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());

        const std::optional<Error> error = runStep(world.service->downloadVistrel());
        QVERIFY(error);
        QCOMPARE(error->domain(), domain);
        if (code != -1)
            QCOMPARE(error->code(), qint64(code));
        if (!description.isNull())
            QCOMPARE(error->description(), description);
        QVERIFY(!error->description().isEmpty());
        const QStringList log = world.service->installationLog();
        QCOMPARE(log.size(), logLines);
        QVERIFY2(log.constLast().startsWith(lastLine), qPrintable(log.constLast()));
        // Nothing half-downloaded stays behind, and nothing was unpacked, inside the root or next to it.
        if (domain != u"ExtractionError")
            QCOMPARE(leftovers(), QStringList());
        QVERIFY(QDir(world.root()).isEmpty());
        const QStringList beside =
            QDir(QFileInfo(world.root()).path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        QVERIFY2(beside.isEmpty() || beside == QStringList{"Vistrel"}, qPrintable(beside.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(DownloadTest)
#include "tst_download.moc"
