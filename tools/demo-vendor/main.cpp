// Stand-in for the vendor's download service on loopback: answers the package-location request
// with the URL of a local zip and serves that zip, with switches for the ways a real service or
// network can misbehave. See --help for the options.
#include "demohttp.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <optional>

using namespace vistrel::demo;

namespace {

const QByteArray locationPath = "/api/Tarvik/DownloadLocation5";
const QByteArray urlPlaceholder = "{url}";

struct Options {
    QString package;
    quint16 port = 0;
    std::optional<QByteArray> locationBody;
    int locationStatus = 200;
    int packageStatus = 200;
    bool contentLength = true;
    qint64 rate = 0;        // bytes per second; 0 = as fast as the socket takes them
    qint64 truncateAt = -1; // body bytes after which the connection closes; -1 = never
    bool wrongDigest = false;
    QString requestLog;
};

// Streams a file to one client from disk, a chunk at a time as the socket drains, optionally
// paced and optionally cut short; never holds more than a few chunks in memory.
class PackageTransfer : public QObject {
public:
    PackageTransfer(QTcpSocket *socket, const QString &path, qint64 rate, qint64 truncateAt)
        : QObject(socket)
        , m_socket(socket)
        , m_file(path)
        , m_rate(rate) {
        m_ok = m_file.open(QIODevice::ReadOnly);
        m_size = m_ok ? m_file.size() : 0;
        m_limit = truncateAt >= 0 ? std::min(m_size, truncateAt) : m_size;
        m_pacing.setSingleShot(true);
        connect(&m_pacing, &QTimer::timeout, this, &PackageTransfer::pump);
        connect(m_socket, &QTcpSocket::bytesWritten, this, &PackageTransfer::pump);
    }

    bool isOpen() const { return m_ok; }
    qint64 size() const { return m_size; }
    QString errorString() const { return m_file.errorString(); }

    void start() {
        m_clock.start();
        pump();
    }

private:
    static constexpr qint64 chunkSize = 64 * 1024;
    static constexpr qint64 maxQueued = 256 * 1024;
    static constexpr int pacingIntervalMs = 20;

    void pump() {
        if (m_done || m_socket->state() != QAbstractSocket::ConnectedState)
            return;
        while (m_sent < m_limit && m_socket->bytesToWrite() < maxQueued) {
            qint64 allowed = std::min(chunkSize, m_limit - m_sent);
            if (m_rate > 0) {
                const qint64 budget = m_rate * m_clock.elapsed() / 1000 - m_sent;
                if (budget <= 0) {
                    if (!m_pacing.isActive())
                        m_pacing.start(pacingIntervalMs);
                    return;
                }
                allowed = std::min(allowed, budget);
            }
            const QByteArray chunk = m_file.read(allowed);
            if (chunk.isEmpty()) {
                // The file shrank or cannot be read: the client must not take this for the whole package.
                printLine(stderr, QStringLiteral("vistrel-demo-vendor: reading the package failed at byte %1: %2")
                                      .arg(m_sent)
                                      .arg(m_file.errorString()));
                m_done = true;
                m_socket->abort();
                return;
            }
            m_socket->write(chunk);
            m_sent += chunk.size();
        }
        if (m_sent >= m_limit) {
            m_done = true;
            m_socket->disconnectFromHost();
        }
    }

    QTcpSocket *m_socket;
    QFile m_file;
    QTimer m_pacing;
    QElapsedTimer m_clock;
    qint64 m_rate;
    qint64 m_size = 0;
    qint64 m_limit = 0;
    qint64 m_sent = 0;
    bool m_ok = false;
    bool m_done = false;
};

class Vendor {
public:
    explicit Vendor(Options options)
        : m_options(std::move(options)) {}

    bool listen(QString &error) {
        if (!m_options.requestLog.isEmpty()) {
            m_log.setFileName(m_options.requestLog);
            if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append)) {
                error =
                    QStringLiteral("cannot open the request log %1: %2").arg(m_options.requestLog, m_log.errorString());
                return false;
            }
        }
        if (!m_server.listen(QHostAddress::LocalHost, m_options.port)) {
            error = QStringLiteral("cannot listen on 127.0.0.1 port %1: %2")
                        .arg(m_options.port)
                        .arg(m_server.errorString());
            return false;
        }
        // The digest goes with every package answer (RFC 9530), read once from disk.
        QFile package(m_options.package);
        QCryptographicHash sha256(QCryptographicHash::Sha256);
        if (!package.open(QIODevice::ReadOnly) || !sha256.addData(&package)) {
            error = QStringLiteral("cannot read %1: %2").arg(m_options.package, package.errorString());
            return false;
        }
        if (m_options.wrongDigest)
            sha256.addData("not the package");
        m_digest = sha256.result().toBase64();
        m_origin = QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
        m_packagePath = "/packages/" + QUrl::toPercentEncoding(QFileInfo(m_options.package).fileName());
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serveOneRequest(
                    socket, [this](QTcpSocket *client, const HttpRequest &request) { answer(client, request); },
                    [this](QTcpSocket *) { logRequest(QStringLiteral("(malformed request)")); });
        });
        return true;
    }

    const QString &origin() const { return m_origin; }

private:
    QByteArray packageUrl() const { return m_origin.toUtf8() + m_packagePath; }

    void logRequest(const QString &line) {
        printLine(stderr, line);
        if (m_log.isOpen()) {
            m_log.write(line.toUtf8() + '\n');
            m_log.flush();
        }
    }

    void answer(QTcpSocket *socket, const HttpRequest &request) {
        logRequest(QString::fromLatin1(request.method) + u' ' + printableTarget(request.target));
        const QByteArray path = request.path();
        const bool isPackage = QByteArray::fromPercentEncoding(path) == QByteArray::fromPercentEncoding(m_packagePath);
        if (path != locationPath && !isPackage) {
            reply(socket, simpleResponse(404, "text/plain; charset=utf-8", "Not Found\n"));
        } else if (request.method != "GET") {
            reply(socket,
                  simpleResponse(405, "text/plain; charset=utf-8", "Method Not Allowed\n", true, "Allow: GET\r\n"));
        } else if (!isPackage) {
            QByteArray body = m_options.locationBody.value_or(packageUrl());
            body.replace(urlPlaceholder, packageUrl());
            reply(socket, simpleResponse(m_options.locationStatus, "text/plain; charset=utf-8", body));
        } else if (m_options.packageStatus != 200) {
            reply(socket, simpleResponse(m_options.packageStatus, "text/plain; charset=utf-8",
                                         statusLine(m_options.packageStatus).trimmed() + '\n'));
        } else {
            sendPackage(socket);
        }
    }

    static void reply(QTcpSocket *socket, const QByteArray &response) {
        socket->write(response);
        socket->disconnectFromHost();
    }

    void sendPackage(QTcpSocket *socket) {
        auto *transfer = new PackageTransfer(socket, m_options.package, m_options.rate, m_options.truncateAt);
        if (!transfer->isOpen()) {
            printLine(stderr, QStringLiteral("vistrel-demo-vendor: cannot open %1: %2")
                                  .arg(m_options.package, transfer->errorString()));
            reply(socket, simpleResponse(500, "text/plain; charset=utf-8", "Package unavailable\n"));
            return;
        }
        QByteArray head = statusLine(200) + "Content-Type: application/zip\r\n";
        head += "Repr-Digest: sha-256=:" + m_digest + ":\r\n";
        if (m_options.contentLength)
            head += "Content-Length: " + QByteArray::number(transfer->size()) + "\r\n";
        head += "Connection: close\r\n\r\n";
        socket->write(head);
        transfer->start();
    }

    Options m_options;
    QTcpServer m_server;
    QFile m_log;
    QString m_origin;
    QByteArray m_packagePath;
    QByteArray m_digest;
};

std::optional<qint64> parseCount(const QString &text, qint64 min, qint64 max) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<QByteArray> parseHex(QString text) {
    text.remove(u' ');
    if (text.size() % 2 != 0)
        return std::nullopt;
    for (const QChar c : text) {
        const char16_t u = c.toLower().unicode();
        if (!(u >= u'0' && u <= u'9') && !(u >= u'a' && u <= u'f'))
            return std::nullopt;
    }
    return QByteArray::fromHex(text.toLatin1());
}

int usageError(const QString &message) {
    printLine(stderr, QStringLiteral("vistrel-demo-vendor: %1 (see --help)").arg(message));
    return 2;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves a server package on 127.0.0.1 the way the vendor's download service does.\n"
                       "GET /api/Tarvik/DownloadLocation5?... answers the package URL as plain text; GET of that URL\n"
                       "streams the package. The first line on standard output is the origin, once it listens.\n"
                       "Each request is printed on standard error as '<method> <path and query>'."));
    parser.addHelpOption();
    const QCommandLineOption package(QStringLiteral("package"),
                                     QStringLiteral("The zip to serve (the last one given counts)."),
                                     QStringLiteral("zip"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on; 0 picks a free one."),
                                  QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption locationBody(
        QStringLiteral("location-body"),
        QStringLiteral("Answer the location request with this text instead; {url} stands for the package URL."),
        QStringLiteral("text"));
    const QCommandLineOption locationBodyHex(
        QStringLiteral("location-body-hex"),
        QStringLiteral("Like --location-body, given as hex bytes (spaces allowed)."), QStringLiteral("hex"));
    const QCommandLineOption locationBodyFile(QStringLiteral("location-body-file"),
                                              QStringLiteral("Like --location-body, the bytes of this file."),
                                              QStringLiteral("file"));
    const QCommandLineOption locationStatus(QStringLiteral("location-status"),
                                            QStringLiteral("HTTP status of the location answer (its body unchanged)."),
                                            QStringLiteral("n"));
    const QCommandLineOption packageStatus(
        QStringLiteral("package-status"),
        QStringLiteral("Answer the package request with this status and a short text body instead of the package."),
        QStringLiteral("n"));
    const QCommandLineOption noContentLength(
        QStringLiteral("no-content-length"),
        QStringLiteral("Send the package without Content-Length; its end is the close."));
    const QCommandLineOption rate(QStringLiteral("rate"), QStringLiteral("Send the package at most this fast."),
                                  QStringLiteral("bytes-per-second"));
    const QCommandLineOption truncateAt(
        QStringLiteral("truncate-at"),
        QStringLiteral("Close the connection after this many bytes of the package (the header still announces all)."),
        QStringLiteral("bytes"));
    const QCommandLineOption wrongDigest(QStringLiteral("wrong-digest"),
                                         QStringLiteral("Announce a SHA-256 digest that the package does not have."));
    const QCommandLineOption requestLog(QStringLiteral("request-log"),
                                        QStringLiteral("Also append each request line to this file."),
                                        QStringLiteral("file"));
    parser.addOptions({package, port, locationBody, locationBodyHex, locationBodyFile, locationStatus, packageStatus,
                       noContentLength, rate, truncateAt, wrongDigest, requestLog});
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().constFirst()));

    Options options;
    if (!parser.isSet(package))
        return usageError(QStringLiteral("--package is required"));
    options.package = parser.values(package).constLast();
    if (!QFileInfo(options.package).isFile())
        return usageError(QStringLiteral("no package file at %1").arg(options.package));

    const auto portValue = parseCount(parser.value(port), 0, 65535);
    if (!portValue)
        return usageError(QStringLiteral("invalid --port %1").arg(parser.value(port)));
    options.port = static_cast<quint16>(*portValue);

    const int bodySources =
        int(parser.isSet(locationBody)) + int(parser.isSet(locationBodyHex)) + int(parser.isSet(locationBodyFile));
    if (bodySources > 1)
        return usageError(
            QStringLiteral("give at most one of --location-body, --location-body-hex, --location-body-file"));
    if (parser.isSet(locationBody)) {
        options.locationBody = parser.value(locationBody).toUtf8();
    } else if (parser.isSet(locationBodyHex)) {
        options.locationBody = parseHex(parser.value(locationBodyHex));
        if (!options.locationBody)
            return usageError(QStringLiteral("invalid --location-body-hex %1").arg(parser.value(locationBodyHex)));
    } else if (parser.isSet(locationBodyFile)) {
        QFile file(parser.value(locationBodyFile));
        if (!file.open(QIODevice::ReadOnly))
            return usageError(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        options.locationBody = file.readAll();
    }

    for (const auto &[option, target] :
         {std::pair{&locationStatus, &options.locationStatus}, std::pair{&packageStatus, &options.packageStatus}}) {
        if (!parser.isSet(*option))
            continue;
        const auto status = parseCount(parser.value(*option), 100, 599);
        if (!status)
            return usageError(
                QStringLiteral("invalid --%1 %2").arg(option->names().constFirst(), parser.value(*option)));
        *target = static_cast<int>(*status);
    }
    options.contentLength = !parser.isSet(noContentLength);
    if (parser.isSet(rate)) {
        const auto value = parseCount(parser.value(rate), 1, std::numeric_limits<qint32>::max());
        if (!value)
            return usageError(QStringLiteral("invalid --rate %1").arg(parser.value(rate)));
        options.rate = *value;
    }
    if (parser.isSet(truncateAt)) {
        const auto value = parseCount(parser.value(truncateAt), 0, std::numeric_limits<qint64>::max());
        if (!value)
            return usageError(QStringLiteral("invalid --truncate-at %1").arg(parser.value(truncateAt)));
        options.truncateAt = *value;
    }
    options.wrongDigest = parser.isSet(wrongDigest);
    options.requestLog = parser.value(requestLog);

    quitOnTerminationSignals();
    Vendor vendor(std::move(options));
    QString error;
    if (!vendor.listen(error)) {
        printLine(stderr, QStringLiteral("vistrel-demo-vendor: %1").arg(error));
        return 1;
    }
    printLine(stdout, vendor.origin());
    return app.exec();
}
