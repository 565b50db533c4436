// The demo package as the installer unpacks it: its layout, the server it carries on the port of
// its port file, and the browser script.
#include "testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel::test;
using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray output;
};

Run run(const QString &program, const QStringList &arguments, const QString &workingDirectory = {},
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(workingDirectory);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

struct Fetched {
    int status = 0;
    QByteArray body;
    QByteArray contentType;
};

Fetched fetch(const QUrl &url) {
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setTransferTimeout(15000);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, 20000))
        return {};
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
            reply->rawHeader("Content-Type")};
}

Run unzip(const QString &zip, const QString &folder) {
    return run(u"/usr/bin/unzip"_s, {u"-o"_s, zip, u"-d"_s, folder});
}

bool executableByAll(const QString &path) {
    const auto p = QFileInfo(path).permissions();
    return p.testFlag(QFileDevice::ExeOwner) && p.testFlag(QFileDevice::ExeGroup) && p.testFlag(QFileDevice::ExeOther);
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
        const Run unpacked = unzip(demoPackage(), m_root);
        QVERIFY2(unpacked.exitCode == 0, unpacked.output.constData());
    }

    void cleanup() {
        stopServer();
        QFile::remove(portFile());
        QFile::remove(m_root + u"/lang.txt"_s);
    }

    void packageHasTheServerLayout() {
        const QStringList entries = QString::fromUtf8(run(u"/usr/bin/unzip"_s, {u"-Z1"_s, demoPackage()}).output)
                                        .split(u'\n', Qt::SkipEmptyParts);
        for (const char *expected : {"TarvikService.app/Contents/MacOS/Tarvik",
                                     "TarvikService.app/Contents/MacOS/ffmpeg7/lib/", "open_browser_macos.sh"})
            QVERIFY2(entries.contains(QLatin1String(expected)), expected);
        // The user's data is never shipped: an update must not overwrite it.
        QVERIFY(entries.filter(u"Media"_s).isEmpty());
        const QString server = m_root + u"/TarvikService.app/Contents/MacOS/Tarvik"_s;
        QVERIFY(executableByAll(server) && executableByAll(m_root + u"/open_browser_macos.sh"_s));
        // The package carries the server as last built, not a stale copy.
        QVERIFY(readFile(server) == readFile(demoServerProgram()));
    }

    void answersStatusPageOnLocalhost() {
        const quint16 port = freePort();
        QVERIFY(writeFile(portFile(), " +0" + QByteArray::number(port) + "\r\n")); // read leniently
        QVERIFY(writeFile(m_root + u"/lang.txt"_s, "zh-cn"));
        QVERIFY(startServer());
        const Fetched page = fetch(QUrl(u"http://localhost:%1/"_s.arg(port)));
        QCOMPARE(page.status, 200);
        QVERIFY(page.contentType.startsWith("text/html"));
        QVERIFY(page.body.contains("Port: " + QByteArray::number(port)) && page.body.contains("Language: zh-cn"));
        for (const QString &host : {u"127.0.0.1"_s, u"[::1]"_s}) {
            if (host.startsWith(u'1') || ipv6LoopbackAvailable())
                QCOMPARE(fetch(QUrl(u"http://%1:%2/"_s.arg(host).arg(port))).status, 200);
        }
        QCOMPARE(fetch(QUrl(u"http://localhost:%1/status"_s.arg(port))).status, 404);
        // A client that connects and says nothing (as browsers do) holds up nobody.
        QTcpSocket idle;
        idle.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(idle.waitForConnected(3000));
        QCOMPARE(fetch(QUrl(u"http://localhost:%1/"_s.arg(port))).status, 200);
        QCOMPARE(stopServer(), 0);
        QVERIFY(!portIsOpen(port));
    }

    void defaultPortOrTakenPort_data() {
        QTest::addColumn<QByteArray>("portText"); // {port}: a free port; empty: no port file
        QTest::addColumn<int>("taken");           // the loopback (4 or 6) someone else listens on, or 0
        QTest::newRow("no port file") << QByteArray() << 0;
        QTest::newRow("not a number") << QByteArray("http") << 0;
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

    void browserScriptOpensConfiguredPort_data() {
        QTest::addColumn<QString>("system");
        QTest::addColumn<QByteArray>("portText"); // empty: no port file
        QTest::addColumn<QString>("expected");
        const QString linux = u"Linux"_s;
        QTest::newRow("port file") << linux << QByteArray(" +09123\n") << u"xdg-open http://localhost:9123"_s;
        QTest::newRow("no port file") << linux << QByteArray() << u"xdg-open http://localhost:8090"_s;
        QTest::newRow("out of range") << linux << QByteArray("65536") << u"xdg-open http://localhost:8090"_s;
        QTest::newRow("shell text") << linux << QByteArray("$(touch pwned)") << u"xdg-open http://localhost:8090"_s;
        QTest::newRow("macOS opener") << u"Darwin"_s << QByteArray("8123") << u"open http://localhost:8123"_s;
    }

    void browserScriptOpensConfiguredPort() {
        QFETCH(QString, system);
        QFETCH(QByteArray, portText);
        QFETCH(QString, expected);
        // Stand-in uname and openers; the openers record what they were asked to open.
        QTemporaryDir bin;
        const QByteArray record = bin.filePath(u"opened"_s).toUtf8();
        for (const auto &[name, body] : {std::pair("uname", "echo " + system.toUtf8()),
                                         std::pair("xdg-open", "echo \"xdg-open $*\" >> '" + record + "'"),
                                         std::pair("open", "echo \"open $*\" >> '" + record + "'")}) {
            const QString path = bin.filePath(QString::fromLatin1(name));
            QVERIFY(writeFile(path, "#!/bin/sh\n" + body + '\n') &&
                    QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner));
        }
        if (!portText.isEmpty())
            QVERIFY(writeFile(portFile(), portText));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"PATH"_s, bin.path() + u':' + environment.value(u"PATH"_s));
        const Run script = run(u"/bin/bash"_s, {u"open_browser_macos.sh"_s}, m_root, environment);
        QVERIFY2(script.exitCode == 0, script.output.constData());
        QCOMPARE(QString::fromUtf8(readFile(QString::fromUtf8(record))).trimmed(), expected);
        QVERIFY(!QFile::exists(m_root + u"/pwned"_s));
    }
};

QTEST_GUILESS_MAIN(TestDemoServer)
#include "tst_demoserver.moc"
