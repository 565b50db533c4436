// The stand-in download service: the location answer, the package, and each way it can misbehave.
#include "httpfetch.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel::test;
using namespace Qt::StringLiterals;

namespace {

const QString locationQuery = u"/api/Tarvik/DownloadLocation5?platform=OSX64&useVersion=0&useBeta=false"_s;

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray packageBytes() {
    return readAll(demoPackage());
}

QString packageUrl(const QString &origin) {
    return origin + u"/packages/tarvik-demo.zip"_s;
}

} // namespace

class TestDemoVendor : public QObject {
    Q_OBJECT

private slots:
    void servesLocationAndPackageUntilTerminated() {
        QTemporaryDir dir;
        const QString log = dir.filePath(u"requests.txt"_s);
        const quint16 port = freePort();
        QProcess vendor;
        vendor.start(demoVendorProgram(),
                     {u"--package"_s, demoPackage(), u"--port"_s, QString::number(port), u"--request-log"_s, log});
        QVERIFY(vendor.waitForReadyRead(10000));
        const QString origin = u"http://127.0.0.1:%1"_s.arg(port);
        QCOMPARE(vendor.readLine().trimmed(), origin.toUtf8()); // printed once it listens

        const Fetched location = fetch(QUrl(origin + locationQuery));
        QCOMPARE(location.status, 200);
        QVERIFY(location.contentType.startsWith("text/plain"));
        QCOMPARE(location.body, packageUrl(origin).toUtf8());
        const QByteArray expected = packageBytes();
        QVERIFY(expected.size() > 200000);
        const Fetched package = fetch(QUrl(QString::fromUtf8(location.body)));
        QCOMPARE(package.error, QNetworkReply::NoError);
        QCOMPARE(package.contentLength, expected.size());
        QVERIFY(package.body == expected);
        QCOMPARE(readAll(log), "GET " + locationQuery.toUtf8() + "\nGET /packages/tarvik-demo.zip\n");

        vendor.terminate();
        QVERIFY(vendor.waitForFinished(5000));
        QCOMPARE(vendor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(vendor.exitCode(), 0);
        QVERIFY(!portIsOpen(port));
    }

    void answers_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("package"); // else the location
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body"); // {url}: the package URL; {zip}: the whole package
        QTest::addColumn<bool>("contentLength");
        QTest::newRow("location body") << QStringList{u"--location-body"_s, u" \"{url}\"\r\n"_s} << false << 200
                                       << QByteArray(" \"{url}\"\r\n") << true;
        QTest::newRow("location error status")
            << QStringList{u"--location-status"_s, u"503"_s} << false << 503 << QByteArray("{url}") << true;
        QTest::newRow("package without length")
            << QStringList{u"--no-content-length"_s} << true << 200 << QByteArray("{zip}") << false;
        QTest::newRow("package error status") << QStringList{u"--package-status"_s, u"404"_s} << true << 404
                                              << QByteArray("HTTP/1.1 404 Not Found\n") << true;
    }

    void answers() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, package);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, contentLength);
        DemoVendor vendor(arguments);
        QVERIFY(vendor.isRunning());
        body.replace("{url}", packageUrl(vendor.origin()).toUtf8()).replace("{zip}", packageBytes());
        const Fetched answer = fetch(QUrl(package ? packageUrl(vendor.origin()) : vendor.origin() + locationQuery));
        QCOMPARE(answer.status, status);
        QVERIFY(answer.body == body);
        QCOMPARE(answer.hasContentLength, contentLength);
    }

    void truncatedPackage_data() {
        QTest::addColumn<int>("cut");
        QTest::newRow("nothing of the body") << 0;
        QTest::newRow("beyond the first chunks") << 200000;
    }

    void truncatedPackage() {
        QFETCH(int, cut);
        const QByteArray whole = packageBytes();
        DemoVendor vendor({u"--truncate-at"_s, QString::number(cut)});
        QVERIFY(vendor.isRunning());
        const Fetched package = fetch(QUrl(packageUrl(vendor.origin())));
        // The announced length is the whole package and fewer bytes arrive, so a client can notice
        // the cut. (Qt does not always report it as an error: after a resend it may end quietly.)
        QCOMPARE(package.contentLength, whole.size());
        QVERIFY(package.body.size() <= cut);
        QVERIFY(package.body == whole.left(package.body.size()));
    }

    void pacedPackage() {
        // Half the package a second: the whole takes two seconds, less at most one pacing step.
        const QByteArray whole = packageBytes();
        DemoVendor vendor({u"--rate"_s, QString::number(whole.size() / 2)});
        QVERIFY(vendor.isRunning());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(fetch(QUrl(packageUrl(vendor.origin()))).body == whole);
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestDemoVendor)
#include "tst_demovendor.moc"
