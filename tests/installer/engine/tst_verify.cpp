#include "installer/engine/installationservice.h"

#include "common/paths.h"
#include "enginetesthelpers.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <QCoro/QCoroTask>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// An HTTP server on both loopbacks that answers the n-th request with the n-th scripted status
// (the last one repeats); status 0 means: accept, read, and never answer.
class ScriptedServer : public QObject {
public:
    explicit ScriptedServer(QList<int> statuses)
        : m_statuses(std::move(statuses)) {
        if (!m_v4.listen(QHostAddress::LocalHost, 0))
            return;
        m_port = m_v4.serverPort();
        m_v6.listen(QHostAddress::LocalHostIPv6, m_port); // absent IPv6 is fine: localhost falls back
        for (QTcpServer *server : {&m_v4, &m_v6})
            connect(server, &QTcpServer::newConnection, this, [this, server] { accept(server); });
    }
    quint16 port() const { return m_port; }
    int requests() const { return m_requests; }

private:
    void accept(QTcpServer *server) {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                m_buffers[socket] += socket->readAll();
                if (!m_buffers[socket].contains("\r\n\r\n"))
                    return;
                m_buffers[socket].clear();
                const int status = m_statuses.value(m_requests, m_statuses.constLast());
                ++m_requests;
                if (status == 0)
                    return;
                QByteArray response = "HTTP/1.1 " + QByteArray::number(status) + " Scripted\r\n";
                if (status == 302)
                    response += "Location: /\r\n";
                response += "Content-Length: 2\r\nConnection: close\r\n\r\nok";
                socket->write(response);
                socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    QList<int> m_statuses;
    QTcpServer m_v4;
    QTcpServer m_v6;
    quint16 m_port = 0;
    int m_requests = 0;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};

Timing quickTiming() {
    Timing timing = Timing{}.scaled(20);
    timing.verifyAttempts = 3;
    timing.verifyRequestTimeout = 300ms;
    return timing;
}

struct Verification {
    std::optional<qint64> port;
    std::optional<Error> error;
};

QCoro::Task<void> verify(InstallationService &service, Verification &result) {
    result.port = co_await service.waitForService();
}

Verification runVerification(InstallationService &service) {
    Verification result;
    result.error = runStep(verify(service, result));
    return result;
}

QStringList attemptLines(int count, int total) {
    QStringList lines;
    for (int n = 1; n <= count; ++n)
        lines << QStringLiteral("Pinging service... (Attempt %1/%2)").arg(n).arg(total);
    return lines;
}

const QString timeoutText = QStringLiteral("Service failed to start in time. Check logs at ~/Library/Logs/vistrel.log");

} // namespace

class VerifyTest : public QObject {
    Q_OBJECT

private slots:
    void answersOnTheThirdRequest() {
        ScriptedServer server({503, 0, 200});
        QVERIFY(server.port());
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        // The file wins over the typed port, and its line break does not matter.
        QVERIFY(writeFile(paths::portFile(home.path()), QByteArray::number(server.port()) + "\n"));
        InstallationService service(platform, quickTiming());
        service.setSelectedPort(QStringLiteral("1"));

        const Verification result = runVerification(service);
        QVERIFY2(!result.error, result.error ? qPrintable(result.error->description()) : "");
        QCOMPARE(result.port, qint64(server.port()));
        QCOMPARE(server.requests(), 3);
        QCOMPARE(service.installationLog(), attemptLines(3, 3) << QStringLiteral("Service is online!"));
    }

    void typedPortWhenTheFileIsUnreadable_data() {
        QTest::addColumn<QByteArray>("fileBytes"); // empty: no file
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("not UTF-8") << QByteArray("\xff\xfe");
    }
    void typedPortWhenTheFileIsUnreadable() {
        QFETCH(QByteArray, fileBytes);
        ScriptedServer server({200});
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        if (!fileBytes.isEmpty())
            QVERIFY(writeFile(paths::portFile(home.path()), fileBytes));
        InstallationService service(platform, quickTiming());
        service.setSelectedPort(QString::number(server.port()));

        const Verification result = runVerification(service);
        QVERIFY(!result.error);
        QCOMPARE(result.port, qint64(server.port()));
        QCOMPARE(service.installationLog(), attemptLines(1, 3) << QStringLiteral("Service is online!"));
    }

    void portsThatGiveNoAddress_data() {
        QTest::addColumn<QByteArray>("fileBytes");
        QTest::addColumn<QString>("shownText");
        QTest::newRow("text") << QByteArray("  eighty\n") << QStringLiteral("eighty");
        QTest::newRow("negative") << QByteArray("-1") << QStringLiteral("-1");
        QTest::newRow("zero") << QByteArray("0") << QStringLiteral("0");
        QTest::newRow("above 65535") << QByteArray("70000") << QStringLiteral("70000");
        QTest::newRow("overflow") << QByteArray("99999999999999999999") << QStringLiteral("99999999999999999999");
    }
    void portsThatGiveNoAddress() {
        QFETCH(QByteArray, fileBytes);
        QFETCH(QString, shownText);
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        QVERIFY(writeFile(paths::portFile(home.path()), fileBytes));
        InstallationService service(platform, quickTiming());

        const Verification result = runVerification(service);
        QVERIFY(result.error);
        QCOMPARE(result.error->domain(), QStringLiteral("InstallError"));
        QCOMPARE(result.error->code(), qint64(100));
        QCOMPARE(result.error->description(), QStringLiteral("Invalid port number: ") + shownText);
        QVERIFY(service.installationLog().isEmpty()); // fails before any attempt
    }

    void neverAnswersWithStatus200_data() {
        QTest::addColumn<QList<int>>("statuses"); // empty: nothing listens
        QTest::newRow("nothing listens") << QList<int>();
        QTest::newRow("silent server") << QList<int>{0};
        QTest::newRow("not found") << QList<int>{404};
        QTest::newRow("redirect") << QList<int>{302};
        QTest::newRow("server error") << QList<int>{500};
    }
    void neverAnswersWithStatus200() {
        QFETCH(QList<int>, statuses);
        std::unique_ptr<ScriptedServer> server;
        quint16 port = freePort();
        if (!statuses.isEmpty()) {
            server = std::make_unique<ScriptedServer>(statuses);
            port = server->port();
        }
        QVERIFY(port);
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        QVERIFY(writeFile(paths::portFile(home.path()), QByteArray::number(port)));
        InstallationService service(platform, quickTiming());

        const Verification result = runVerification(service);
        QVERIFY(result.error);
        QCOMPARE(result.error->domain(), QStringLiteral("InstallError"));
        QCOMPARE(result.error->code(), qint64(101));
        QCOMPARE(result.error->description(), timeoutText);
        QCOMPARE(service.installationLog(), attemptLines(3, 3));
        if (server)
            QCOMPARE(server->requests(), 3);
    }
};

QTEST_GUILESS_MAIN(VerifyTest)
#include "tst_verify.moc"
