// The demo server as the installer unpacks it and the service manager runs it: it answers on the
// port of its port file, falls back to the default port, refuses a port someone else holds, and
// keeps the language file's text to one printable line.
#include "testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel::test;
using namespace Qt::StringLiterals;

namespace {

struct Fetched {
    int status = 0;
    QByteArray body;
};

Fetched fetch(const QUrl &url) {
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setTransferTimeout(15000);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, 20000))
        return {};
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
}

bool ipv6LoopbackAvailable() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHostIPv6, 0);
}

} // namespace

class TestDemoServer : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root; // the package unpacked here, as the installer does
    QProcess m_server;

    QString portFile() const { return m_root + u"/Media/XML/port.txt"_s; }

    // Starts the unpacked server in the install root; true once it says it listens.
    bool startServer() {
        m_server.setProgram(m_root + u"/TarvikService.app/Contents/MacOS/Tarvik"_s);
        m_server.setWorkingDirectory(m_root);
        m_server.start();
        QElapsedTimer clock;
        clock.start();
        while (!m_server.peek(1 << 16).contains("listening on") && m_server.state() != QProcess::NotRunning &&
               clock.elapsed() < 10000)
            m_server.waitForReadyRead(200);
        return m_server.peek(1 << 16).contains("listening on");
    }

    // Stops it the way the service manager does; its exit code (-1 when it had to be killed).
    int stopServer() {
        m_server.terminate();
        const bool ended = m_server.state() == QProcess::NotRunning || m_server.waitForFinished(5000);
        m_server.kill(); // nothing once it has ended
        m_server.waitForFinished(5000);
        return ended && m_server.exitStatus() == QProcess::NormalExit ? m_server.exitCode() : -1;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath(u"Application Support/Vistrel"_s);
        QVERIFY(QDir().mkpath(m_root));
        QProcess unzip;
        unzip.setProcessChannelMode(QProcess::MergedChannels);
        unzip.start(u"/usr/bin/unzip"_s, {u"-o"_s, demoPackage(), u"-d"_s, m_root});
        QVERIFY(unzip.waitForFinished(60000));
        QVERIFY2(unzip.exitCode() == 0, unzip.readAll().constData());
    }

    void cleanup() {
        stopServer();
        QFile::remove(portFile());
        QFile::remove(m_root + u"/lang.txt"_s);
    }

    void answersOnItsPort() {
        const quint16 port = freePort();
        QVERIFY(writeFile(portFile(), " +0" + QByteArray::number(port) + "\r\n")); // read leniently
        QVERIFY(writeFile(m_root + u"/lang.txt"_s, "zh-cn\a<b>\n"));
        QVERIFY(startServer());
        const Fetched page = fetch(QUrl(u"http://localhost:%1/"_s.arg(port)));
        QCOMPARE(page.status, 200);
        QVERIFY(page.body.contains("Port: " + QByteArray::number(port)));
        QVERIFY2(page.body.contains("Language: zh-cn&lt;b&gt;</p>"), page.body.constData());
        QCOMPARE(stopServer(), 0);
        QVERIFY(!portIsOpen(port));
    }

    void defaultPortOrTakenPort_data() {
        QTest::addColumn<QByteArray>("portText"); // {port}: a free port; empty: no port file
        QTest::addColumn<int>("taken");           // the loopback (4 or 6) someone else listens on, or 0
        QTest::newRow("no port file") << QByteArray() << 0;
        QTest::newRow("IPv4 loopback taken") << QByteArray("{port}") << 4;
        if (ipv6LoopbackAvailable())
            QTest::newRow("IPv6 loopback taken") << QByteArray("{port}") << 6;
    }

    void defaultPortOrTakenPort() {
        QFETCH(QByteArray, portText);
        QFETCH(int, taken);
        const quint16 port = portText.contains("{port}") ? freePort() : 8090;
        QTcpServer occupant;
        if (taken)
            QVERIFY(occupant.listen(taken == 6 ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost, port));
        if (!portText.isEmpty())
            QVERIFY(writeFile(portFile(), portText.replace("{port}", QByteArray::number(port))));
        if (taken || portIsOpen(port)) {
            // Someone else has the port: the server must say so instead of picking another.
            QVERIFY(!startServer());
            QCOMPARE(stopServer(), 1);
            QVERIFY(m_server.readAllStandardError().contains("port " + QByteArray::number(port)));
            return;
        }
        QVERIFY(startServer());
        const Fetched page = fetch(QUrl(u"http://localhost:8090/"_s));
        QCOMPARE(page.status, 200);
        QVERIFY(page.body.contains("Port: 8090"));
        QVERIFY(page.body.contains("Language: en")); // no language file
    }
};

QTEST_GUILESS_MAIN(TestDemoServer)
#include "tst_demoserver.moc"
