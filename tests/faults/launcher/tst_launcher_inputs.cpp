// What the launcher reads from outside: servers on loopback that stall, trickle or lie, and
// settings files that are not small regular files.
#include "servicerig.h"

#include "common/diagnostics.h"
#include "common/paths.h"

#include <QCoro/QCoroTask>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;
using namespace std::chrono_literals;

// Answers every request with the given bytes after a delay, then one more byte every 20 ms for as
// long as trickle says (the connection stays open meanwhile).
class RawServer : public QTcpServer {
public:
    QByteArray answer;
    std::chrono::milliseconds delay{0};
    bool trickle = false;

    RawServer() {
        listen(QHostAddress::Any, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = nextPendingConnection();
            QTimer::singleShot(delay, socket, [this, socket] {
                socket->write(answer);
                auto *drip = new QTimer(socket);
                connect(drip, &QTimer::timeout, socket, [socket] { socket->write("x"); });
                trickle ? drip->start(20) : socket->disconnectFromHost();
            });
        });
    }
};

class LauncherInputsTest : public QObject {
    Q_OBJECT

private slots:
    // Only a 200 from the port itself within the time-out counts; a check that times out means
    // "not answering" and nothing more.
    void serversThatDoNotQuiteAnswer_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("trickle");
        const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
        QTest::newRow("200 too late") << ok << 900 << false;
        QTest::newRow("200 whose body trickles")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 999\r\n\r\n") << 0 << true;
        QTest::newRow("redirect to a 200") << QByteArray("HTTP/1.1 302 Found\r\nLocation: http://localhost:RIG/\r\n"
                                                         "Content-Length: 0\r\n\r\n")
                                           << 0 << false;
        QTest::newRow("204") << QByteArray("HTTP/1.1 204 No Content\r\n\r\n") << 0 << false;
    }
    void serversThatDoNotQuiteAnswer() {
        QFETCH(QByteArray, answer);
        QFETCH(int, delayMs);
        QFETCH(bool, trickle);
        Timing timing = fastTiming();
        timing.probeTimeout = 300ms;
        ServiceRig rig(timing); // its own server answers 200: the redirect's target
        RawServer server;
        server.answer = answer.replace("RIG", QByteArray::number(rig.server.port()));
        server.delay = std::chrono::milliseconds(delayMs);
        server.trickle = trickle;
        QVERIFY(rig.isReady() && server.isListening() && rig.writePortFile(QByteArray::number(server.serverPort())));
        QCoro::waitFor(rig.manager().checkStatusAsync());
        QCOMPARE(rig.published, QStringList{"stopped"});
    }

    // port.txt that would block, never end or name no port: 8090, at once.
    void portFileThatIsNoPortFile_data() {
        QTest::addColumn<QByteArray>("content"); // "<fifo>": a FIFO in its place
        QTest::newRow("fifo") << QByteArray("<fifo>");
        QTest::newRow("port, then more than a few KB") << QByteArray("9123") + QByteArray(5000, ' ');
        QTest::newRow("above 65535") << QByteArray("65536");
        QTest::newRow("zero") << QByteArray("0");
    }
    void portFileThatIsNoPortFile() {
        QFETCH(QByteArray, content);
        ServiceRig rig;
        const QString file = paths::portFile(rig.home());
        QVERIFY(rig.isReady() && rig.writePortFile(content));
        if (content == "<fifo>")
            QVERIFY(QFile::remove(file) && ::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        ::alarm(10); // a blocking read ends the test instead of hanging it
        QCOMPARE(rig.manager().currentPort(), qint64(8090));
        ::alarm(0);
    }

    // lang.txt goes to a terminal: no control sequences, one short line; a FIFO does not block.
    void languageFileIsReadSafely() {
        ServiceRig rig;
        const QString file = paths::languageFile(rig.home());
        QVERIFY(rig.isReady() && writeFile(file, "\x1b]0;title\x07\x1b[2J" + QByteArray(300, 'd') + "\r\x1b[1A"));
        QStringList printed;
        DiagnosticCapture capture([&](const QString &line) { printed.append(line); });
        LauncherLocalizationManager fromText(rig.platform);
        QVERIFY(QFile::remove(file) && ::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        ::alarm(10);
        LauncherLocalizationManager fromFifo(rig.platform);
        ::alarm(0);
        QCOMPARE(printed.size(), 2);
        QVERIFY2(printed[0].size() < 120 && !printed[0].contains(u'\x1b') && !printed[0].contains(u'\x07') &&
                     !printed[0].contains(u'\r'),
                 qPrintable(printed[0]));
        QVERIFY2(printed[1].startsWith(u"Could not read lang.txt file: "), qPrintable(printed[1]));
    }
};

QTEST_GUILESS_MAIN(LauncherInputsTest)
#include "tst_launcher_inputs.moc"
