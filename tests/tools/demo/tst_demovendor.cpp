#include "httpfetch.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vistrel::test;

namespace {

const QString locationQuery = QStringLiteral("/api/Tarvik/DownloadLocation5?platform=OSX64&useVersion=0&useBeta=false");

QByteArray packageBytes() {
    QFile file(demoPackage());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray packageUrl(const QString &origin) {
    return origin.toUtf8() + "/packages/tarvik-demo.zip";
}

// Peak resident memory of a process in KiB, from /proc.
qint64 peakResidentKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
    }
    return -1;
}

} // namespace

class TestDemoVendor : public QObject {
    Q_OBJECT

private slots:
    void servesLocationAndPackage() {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("requests.txt"));
        DemoVendor vendor({QStringLiteral("--request-log"), log});
        QVERIFY(vendor.isRunning());
        QVERIFY(vendor.origin().startsWith(QStringLiteral("http://127.0.0.1:")));

        const Fetched location = fetch(QUrl(vendor.origin() + locationQuery));
        QCOMPARE(location.error, QNetworkReply::NoError);
        QCOMPARE(location.status, 200);
        QVERIFY(location.contentType.startsWith("text/plain"));
        QCOMPARE(location.body, packageUrl(vendor.origin()));

        const QByteArray expected = packageBytes();
        QVERIFY(expected.size() > 1000);
        const Fetched package = fetch(QUrl(QString::fromUtf8(location.body)));
        QCOMPARE(package.error, QNetworkReply::NoError);
        QCOMPARE(package.status, 200);
        QVERIFY(package.hasContentLength);
        QCOMPARE(package.contentLength, expected.size());
        QVERIFY(package.body == expected);

        QFile requests(log);
        QVERIFY(requests.open(QIODevice::ReadOnly));
        QCOMPARE(requests.readAll(), "GET " + locationQuery.toUtf8() + "\nGET /packages/tarvik-demo.zip\n");
    }

    void locationAnswers_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body"); // {url} stands for the package URL

        QTest::newRow("quoted, with line break")
            << QStringList{QStringLiteral("--location-body"), QStringLiteral(" \t\"{url}\"\r\n")} << 200
            << QByteArray(" \t\"{url}\"\r\n");
        QTest::newRow("empty") << QStringList{QStringLiteral("--location-body"), QString()} << 200 << QByteArray();
        QTest::newRow("not a URL") << QStringList{QStringLiteral("--location-body"), QStringLiteral("no package today")}
                                   << 200 << QByteArray("no package today");
        QTest::newRow("invalid UTF-8 as hex")
            << QStringList{QStringLiteral("--location-body-hex"), QStringLiteral("68 74 ff fe 41")} << 200
            << QByteArray("ht\xff\xfe"
                          "A");
        QTest::newRow("error status keeps the body")
            << QStringList{QStringLiteral("--location-status"), QStringLiteral("503")} << 503 << QByteArray("{url}");
        QTest::newRow("error status with an error page")
            << QStringList{QStringLiteral("--location-status"), QStringLiteral("500"),
                           QStringLiteral("--location-body"), QStringLiteral("<html>oops</html>")}
            << 500 << QByteArray("<html>oops</html>");
    }

    void locationAnswers() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        DemoVendor vendor(arguments);
        QVERIFY(vendor.isRunning());
        body.replace("{url}", packageUrl(vendor.origin()));

        const Fetched answer = fetch(QUrl(vendor.origin() + locationQuery));
        QCOMPARE(answer.status, status);
        QCOMPARE(answer.body, body);
        QVERIFY(answer.hasContentLength);
    }

    void locationBodyFromFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("body"));
        QVERIFY(writeFile(path, QByteArray("'{url}'\n\n\x80", 10)));
        DemoVendor vendor({QStringLiteral("--location-body-file"), path});
        QVERIFY(vendor.isRunning());
        QCOMPARE(fetch(QUrl(vendor.origin() + locationQuery)).body, "'" + packageUrl(vendor.origin()) + "'\n\n\x80");
    }

    void packageWithoutContentLength() {
        DemoVendor vendor({QStringLiteral("--no-content-length")});
        QVERIFY(vendor.isRunning());
        const Fetched package = fetch(QUrl(QString::fromUtf8(packageUrl(vendor.origin()))));
        QCOMPARE(package.error, QNetworkReply::NoError);
        QCOMPARE(package.status, 200);
        QVERIFY(!package.hasContentLength);
        QVERIFY(package.body == packageBytes());
    }

    void packageErrorStatus() {
        DemoVendor vendor({QStringLiteral("--package-status"), QStringLiteral("404")});
        QVERIFY(vendor.isRunning());
        const Fetched package = fetch(QUrl(QString::fromUtf8(packageUrl(vendor.origin()))));
        QCOMPARE(package.status, 404);
        QVERIFY(!package.body.isEmpty());
        QVERIFY(!package.body.startsWith("PK"));
        // The location is unaffected.
        QCOMPARE(fetch(QUrl(vendor.origin() + locationQuery)).status, 200);
    }

    void truncatedPackage_data() {
        QTest::addColumn<int>("cut");
        QTest::newRow("nothing of the body") << 0;
        QTest::newRow("a little") << 1000;
        QTest::newRow("beyond the first chunks") << 200000;
    }

    void truncatedPackage() {
        QFETCH(int, cut);
        const QByteArray whole = packageBytes();
        QVERIFY(whole.size() > cut);
        DemoVendor vendor({QStringLiteral("--truncate-at"), QString::number(cut)});
        QVERIFY(vendor.isRunning());
        const Fetched package = fetch(QUrl(QString::fromUtf8(packageUrl(vendor.origin()))));
        // The announced length is the whole package and fewer bytes arrive, so a client can notice
        // the cut. (Qt does not always report it as an error: after a resend it may end quietly.)
        QCOMPARE(package.contentLength, whole.size());
        QVERIFY(package.body.size() < package.contentLength);
        QVERIFY(package.body.size() <= cut);
        QVERIFY(package.body == whole.left(package.body.size()));
    }

    void pacedPackage() {
        constexpr qint64 rate = 100000;
        QVERIFY(packageBytes().size() > 2 * rate);
        DemoVendor vendor({QStringLiteral("--rate"), QString::number(rate)});
        QVERIFY(vendor.isRunning());

        QNetworkAccessManager manager;
        QElapsedTimer clock;
        clock.start();
        QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(QString::fromUtf8(packageUrl(vendor.origin())))));
        qint64 received = 0;
        bool overspeed = false;
        connect(reply, &QNetworkReply::downloadProgress, this, [&](qint64 bytes, qint64) {
            received = bytes;
            // Our clock started before the vendor's, so it may never have sent more than this; one
            // pacing step (well under 100 ms) of slack keeps a loaded machine from failing the test.
            if (bytes > rate * (clock.elapsed() + 100) / 1000)
                overspeed = true;
        });
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        QVERIFY(!overspeed);
        QVERIFY(!reply->isFinished());
        QVERIFY(received > 0);
        reply->abort();
    }

    void otherRequests() {
        DemoVendor vendor;
        QVERIFY(vendor.isRunning());
        QCOMPARE(fetch(QUrl(vendor.origin() + QStringLiteral("/api/Tarvik/DownloadLocation4"))).status, 404);
        QCOMPARE(fetch(QUrl(vendor.origin() + QStringLiteral("/packages/other.zip"))).status, 404);
        QCOMPARE(fetch(QUrl(vendor.origin() + locationQuery), "POST").status, 405);
        // The location does not depend on the query: the installer's query is checked through the log.
        QCOMPARE(fetch(QUrl(vendor.origin() + QStringLiteral("/api/Tarvik/DownloadLocation5"))).body,
                 packageUrl(vendor.origin()));
    }

    // A 64 MiB package must go out without the vendor ever holding it in memory.
    void streamsLargePackageFromDisk() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.zip"));
        QFile big(path);
        QVERIFY(big.open(QIODevice::WriteOnly));
        constexpr qint64 size = 64 * 1024 * 1024;
        QVERIFY(big.resize(size));
        QVERIFY(big.seek(size - 4));
        big.write("last");
        big.close();

        QProcess vendor;
        vendor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        vendor.start(demoVendorProgram(), {QStringLiteral("--package"), path});
        QVERIFY(vendor.waitForReadyRead(10000));
        const QString origin = QString::fromUtf8(vendor.readLine()).trimmed();

        const Fetched package = fetch(QUrl(origin + QStringLiteral("/packages/big.zip")));
        QCOMPARE(package.error, QNetworkReply::NoError);
        QCOMPARE(package.body.size(), size);
        QVERIFY(package.body.endsWith("last"));
        const qint64 peak = peakResidentKiB(vendor.processId());
        QVERIFY(peak > 0);
        QVERIFY2(peak < 40 * 1024, qPrintable(QStringLiteral("peak resident memory %1 KiB").arg(peak)));

        vendor.terminate();
        QVERIFY(vendor.waitForFinished(5000));
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        const QString package = demoPackage();
        QTest::newRow("no package") << QStringList{QStringLiteral("--port"), QStringLiteral("0")} << 2;
        QTest::newRow("package missing") << QStringList{QStringLiteral("--package"), package + QStringLiteral(".nope")}
                                         << 2;
        QTest::newRow("port not a number")
            << QStringList{QStringLiteral("--package"), package, QStringLiteral("--port"), QStringLiteral("http")} << 2;
        QTest::newRow("status out of range") << QStringList{QStringLiteral("--package"), package,
                                                            QStringLiteral("--location-status"), QStringLiteral("99")}
                                             << 2;
        QTest::newRow("zero rate") << QStringList{QStringLiteral("--package"), package, QStringLiteral("--rate"),
                                                  QStringLiteral("0")}
                                   << 2;
        QTest::newRow("odd hex") << QStringList{QStringLiteral("--package"), package,
                                                QStringLiteral("--location-body-hex"), QStringLiteral("abc")}
                                 << 2;
        QTest::newRow("two bodies") << QStringList{QStringLiteral("--package"),           package,
                                                   QStringLiteral("--location-body"),     QStringLiteral("a"),
                                                   QStringLiteral("--location-body-hex"), QStringLiteral("62")}
                                    << 2;
    }

    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QProcess vendor;
        vendor.start(demoVendorProgram(), arguments);
        QVERIFY(vendor.waitForFinished(10000));
        QCOMPARE(vendor.exitCode(), exitCode);
        QVERIFY(vendor.readAllStandardOutput().isEmpty());
        QVERIFY(vendor.readAllStandardError().startsWith("vistrel-demo-vendor: "));
    }

    void portTakenAndTermination() {
        QTcpServer occupant;
        QVERIFY(occupant.listen(QHostAddress::LocalHost, 0));
        QProcess refused;
        refused.start(demoVendorProgram(), {QStringLiteral("--package"), demoPackage(), QStringLiteral("--port"),
                                            QString::number(occupant.serverPort())});
        QVERIFY(refused.waitForFinished(10000));
        QCOMPARE(refused.exitCode(), 1);
        QVERIFY(refused.readAllStandardError().contains(QByteArray::number(occupant.serverPort())));

        const quint16 port = freePort();
        QProcess vendor;
        vendor.start(demoVendorProgram(),
                     {QStringLiteral("--package"), demoPackage(), QStringLiteral("--port"), QString::number(port)});
        QVERIFY(vendor.waitForReadyRead(10000));
        QCOMPARE(vendor.readLine().trimmed(), QStringLiteral("http://127.0.0.1:%1").arg(port).toUtf8());
        QCOMPARE(fetch(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port) + locationQuery)).status, 200);
        vendor.terminate();
        QVERIFY(vendor.waitForFinished(5000));
        QCOMPARE(vendor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(vendor.exitCode(), 0);
        QVERIFY(!portIsOpen(port));
    }
};

QTEST_GUILESS_MAIN(TestDemoVendor)
#include "tst_demovendor.moc"
