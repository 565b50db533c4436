#include "httpfetch.h"
#include "testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel::test;

namespace {

bool ipv6LoopbackAvailable() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHostIPv6, 0);
}

// Sends the pieces with a pause between them and returns everything the server sends back
// until it closes the connection.
QByteArray exchange(quint16 port, const QList<QByteArray> &pieces, bool closeEarly = false) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(3000))
        return "(no connection)";
    for (const QByteArray &piece : pieces) {
        socket.write(piece);
        socket.waitForBytesWritten(1000);
        QTest::qWait(200);
    }
    if (closeEarly) {
        socket.abort();
        return {};
    }
    QByteArray response;
    QElapsedTimer clock;
    clock.start();
    while (socket.state() == QAbstractSocket::ConnectedState && clock.elapsed() < 5000) {
        socket.waitForReadyRead(200);
        response += socket.readAll();
    }
    return response + socket.readAll();
}

} // namespace

class TestDemoServer : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root; // the package unpacked here, as the installer does
    QProcess m_server;

    QString portFile() const { return m_root + QStringLiteral("/Media/XML/port.txt"); }

    // Starts the unpacked server in the install root; true once it says it listens.
    bool startServer() {
        m_server.setProgram(m_root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik"));
        m_server.setWorkingDirectory(m_root);
        m_server.start();
        if (!m_server.waitForStarted(5000))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (!m_server.peek(1 << 16).contains("listening on") && m_server.state() == QProcess::Running &&
               clock.elapsed() < 10000)
            m_server.waitForReadyRead(200);
        return m_server.peek(1 << 16).contains("listening on");
    }

    // After a failed start: waits for the exit; true when the server gave up on its own with an error.
    bool serverGaveUp() {
        if (m_server.state() != QProcess::NotRunning && !m_server.waitForFinished(5000))
            return false;
        return m_server.exitStatus() == QProcess::NormalExit && m_server.exitCode() != 0;
    }

    // Stops it the way the service manager does; returns the exit code (-1 when it had to be killed).
    int stopServer() {
        if (m_server.state() == QProcess::NotRunning)
            return m_server.exitStatus() == QProcess::NormalExit ? m_server.exitCode() : -1;
        m_server.terminate();
        if (m_server.waitForFinished(5000))
            return m_server.exitStatus() == QProcess::NormalExit ? m_server.exitCode() : -1;
        m_server.kill();
        m_server.waitForFinished(5000);
        return -1;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath(QStringLiteral("Application Support/Vistrel"));
        QVERIFY(QDir().mkpath(m_root));
        QProcess unzip;
        unzip.start(QStringLiteral("/usr/bin/unzip"),
                    {QStringLiteral("-o"), demoPackage(), QStringLiteral("-d"), m_root});
        QVERIFY(unzip.waitForFinished(30000));
        QCOMPARE(unzip.exitCode(), 0);
    }

    void cleanup() {
        stopServer();
        QFile::remove(portFile());
        QFile::remove(m_root + QStringLiteral("/lang.txt"));
    }

    void answersStatusPageOnLocalhost() {
        const quint16 port = freePort();
        QVERIFY(writeFile(portFile(), QByteArray::number(port)));
        QVERIFY(writeFile(m_root + QStringLiteral("/lang.txt"), "zh-cn"));
        QVERIFY(startServer());
        const QString origin = QStringLiteral("http://localhost:%1").arg(port);

        const Fetched page = fetch(QUrl(origin + QStringLiteral("/")));
        QCOMPARE(page.status, 200);
        QVERIFY(page.contentType.startsWith("text/html"));
        QVERIFY(page.body.contains("Port: " + QByteArray::number(port)));
        QVERIFY(page.body.contains("Language: zh-cn"));

        QList<QByteArray> expectedLog{"\"GET /\" 200"};
        QCOMPARE(fetch(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port))).status, 200);
        expectedLog << "127.0.0.1 \"GET /\" 200";
        if (ipv6LoopbackAvailable()) {
            QCOMPARE(fetch(QUrl(QStringLiteral("http://[::1]:%1/").arg(port))).status, 200);
            expectedLog << "::1 \"GET /\" 200";
        }
        QCOMPARE(fetch(QUrl(origin + QStringLiteral("/?from=launcher"))).status, 200);
        expectedLog << "\"GET /?from=launcher\" 200";
        QCOMPARE(fetch(QUrl(origin + QStringLiteral("/status"))).status, 404);
        expectedLog << "\"GET /status\" 404";
        QCOMPARE(fetch(QUrl(origin + QStringLiteral("/index.html"))).status, 404);
        expectedLog << "\"GET /index.html\" 404";
        QCOMPARE(fetch(QUrl(origin + QStringLiteral("/")), "POST").status, 405);
        expectedLog << "\"POST /\" 405";
        const Fetched head = fetch(QUrl(origin + QStringLiteral("/")), "HEAD");
        QCOMPARE(head.status, 200);
        QVERIFY(head.body.isEmpty());
        expectedLog << "\"HEAD /\" 200";

        QCOMPARE(stopServer(), 0);
        QVERIFY(!portIsOpen(port));
        // One line per request, in order, between the start and stop lines.
        QList<QByteArray> lines = m_server.readAllStandardOutput().trimmed().split('\n');
        QVERIFY(lines.size() >= 2);
        QVERIFY(lines.takeFirst().contains("listening on http://localhost:" + QByteArray::number(port)));
        QVERIFY(lines.takeLast().contains("stopped"));
        QCOMPARE(lines.size(), expectedLog.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(lines[i].endsWith(expectedLog[i]) || lines[i].contains(expectedLog[i]), lines[i].constData());
    }

    void portFromPortFile_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("content"); // {port} stands for a free port
        QTest::addColumn<bool>("usesDefault");

        QTest::newRow("plain") << true << QByteArray("{port}") << false;
        QTest::newRow("white space around") << true << QByteArray(" \t{port}\r\n") << false;
        QTest::newRow("plus and leading zeros") << true << QByteArray("+00{port}") << false;
        QTest::newRow("missing") << false << QByteArray() << true;
        QTest::newRow("empty") << true << QByteArray() << true;
        QTest::newRow("not a number") << true << QByteArray("http") << true;
        QTest::newRow("zero") << true << QByteArray("0") << true;
        QTest::newRow("too large") << true << QByteArray("65536") << true;
        QTest::newRow("not UTF-8") << true
                                   << QByteArray("\xff\xfe"
                                                 "9")
                                   << true;
    }

    void portFromPortFile() {
        QFETCH(bool, present);
        QFETCH(QByteArray, content);
        QFETCH(bool, usesDefault);
        const quint16 port = usesDefault ? 8090 : freePort();
        if (present)
            QVERIFY(writeFile(portFile(), content.replace("{port}", QByteArray::number(port))));

        if (usesDefault && portIsOpen(8090)) {
            // Someone else has the default port: the server must say so instead of picking another.
            QVERIFY(!startServer());
            QVERIFY(serverGaveUp());
            QVERIFY(m_server.readAllStandardError().contains("port 8090"));
            return;
        }
        QVERIFY(startServer());
        const Fetched page = fetch(QUrl(QStringLiteral("http://localhost:%1/").arg(port)));
        QCOMPARE(page.status, 200);
        QVERIFY(page.body.contains("Port: " + QByteArray::number(port)));
        QVERIFY(page.body.contains("Language: en")); // no language file
        QCOMPARE(stopServer(), 0);
    }

    void toleratesAwkwardClients() {
        const quint16 port = freePort();
        QVERIFY(writeFile(portFile(), QByteArray::number(port)));
        QVERIFY(startServer());

        // A client that connects and says nothing must not hold up the others.
        QTcpSocket idle;
        idle.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(idle.waitForConnected(3000));

        QVERIFY(exchange(port, {"GET / HT", "TP/1.1\r\nHost: local", "host\r\n\r\n"}).startsWith("HTTP/1.1 200 "));
        QVERIFY(exchange(port, {"GET / HTTP/1.1\n\n"}).startsWith("HTTP/1.1 200 "));
        QVERIFY(exchange(port, {"GET /\r\n\r\n"}).startsWith("HTTP/1.1 400 "));
        QVERIFY(exchange(port, {"hello\r\n\r\n"}).startsWith("HTTP/1.1 400 "));
        QVERIFY(exchange(port, {"GET / HTTP/1.1\r\nX-Long: " + QByteArray(20000, 'a')}).startsWith("HTTP/1.1 400 "));
        exchange(port, {"GET / HTTP/1.1\r\nHo"}, true);
        exchange(port, {"GET / HTTP/1.1\r\n\r\n"}, true);

        QCOMPARE(fetch(QUrl(QStringLiteral("http://localhost:%1/").arg(port))).status, 200);
        QCOMPARE(m_server.state(), QProcess::Running);
        QCOMPARE(stopServer(), 0);
    }

    void refusesTakenPort_data() {
        QTest::addColumn<bool>("ipv6");
        QTest::newRow("IPv4 loopback taken") << false;
        if (ipv6LoopbackAvailable())
            QTest::newRow("IPv6 loopback taken") << true;
    }

    void refusesTakenPort() {
        QFETCH(bool, ipv6);
        const quint16 port = freePort();
        QTcpServer occupant;
        QVERIFY(occupant.listen(ipv6 ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost, port));
        QVERIFY(writeFile(portFile(), QByteArray::number(port)));

        QVERIFY(!startServer());
        QVERIFY(serverGaveUp());
        QVERIFY(m_server.readAllStandardError().contains("port " + QByteArray::number(port)));
    }
};

QTEST_GUILESS_MAIN(TestDemoServer)
#include "tst_demoserver.moc"
