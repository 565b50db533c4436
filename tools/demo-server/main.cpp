// Stand-in for the Tarvik server: answers GET / on localhost at the port from the port file, so
// the installer and the launcher can be exercised end to end without the real server.
#include "demohttp.h"

#include "common/porttext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>

using namespace vistrel;
using namespace vistrel::demo;

namespace {

constexpr quint16 defaultPort = 8090;
const char *const portFilePath = "Media/XML/port.txt";
const char *const languageFilePath = "lang.txt";

// Same reading as the launcher (trimmed decimal), plus the range a TCP port can have.
quint16 configuredPort() {
    const QString path = QString::fromLatin1(portFilePath);
    if (!QFileInfo::exists(path)) {
        printLine(stdout, QStringLiteral("No %1; using default port %2").arg(path).arg(defaultPort));
        return defaultPort;
    }
    const qint64 value = readPortFile(path);
    if (value < 1 || value > 65535) {
        printLine(stdout, QStringLiteral("Invalid port in %1; using default port %2").arg(path).arg(defaultPort));
        return defaultPort;
    }
    return static_cast<quint16>(value);
}

QString configuredLanguage() {
    const auto text = decodeUtf8(readWholeFile(QString::fromLatin1(languageFilePath)).value_or(QByteArray()));
    QString language;
    for (const QChar c : text.value_or(QString()).trimmed().left(35)) {
        // It ends up in our log and page: keep it on one line.
        if (c.isPrint())
            language += c;
    }
    return language.isEmpty() ? QStringLiteral("en") : language;
}

QByteArray statusPage(quint16 port, const QString &language) {
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Tarvik</title></head>\n"
                          "<body><h1>Tarvik is running</h1>\n<p>Port: %1</p>\n<p>Language: %2</p></body></html>\n")
        .arg(port)
        .arg(language.toHtmlEscaped())
        .toUtf8();
}

void logRequest(QTcpSocket *socket, const QString &request, int status) {
    printLine(stdout,
              QStringLiteral("%1 %2 \"%3\" %4")
                  .arg(QDateTime::currentDateTime().toString(Qt::ISODate), socket->peerAddress().toString(), request)
                  .arg(status));
}

void answer(QTcpSocket *socket, const HttpRequest &request, const QByteArray &page) {
    const bool head = request.method == "HEAD";
    int status = 200;
    QByteArray type = "text/html; charset=utf-8";
    QByteArray body = page;
    QByteArray extra;
    if (request.path() != "/") {
        status = 404;
        type = "text/plain; charset=utf-8";
        body = "Not Found\n";
    } else if (request.method != "GET" && !head) {
        status = 405;
        type = "text/plain; charset=utf-8";
        body = "Method Not Allowed\n";
        extra = "Allow: GET, HEAD\r\n";
    }
    socket->write(simpleResponse(status, type, body, !head, extra));
    socket->disconnectFromHost();
    logRequest(socket, QString::fromLatin1(request.method) + u' ' + printableTarget(request.target), status);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    quitOnTerminationSignals();

    const quint16 port = configuredPort();
    const QString language = configuredLanguage();
    const QByteArray page = statusPage(port, language);

    QTcpServer ipv4;
    QTcpServer ipv6;
    if (!ipv4.listen(QHostAddress::LocalHost, port)) {
        printLine(stderr,
                  QStringLiteral("Tarvik: cannot listen on 127.0.0.1 port %1: %2").arg(port).arg(ipv4.errorString()));
        return 1;
    }
    if (!ipv6.listen(QHostAddress::LocalHostIPv6, port)) {
        // Someone else answering localhost on this port would be mistaken for us.
        if (ipv6.serverError() == QAbstractSocket::AddressInUseError) {
            printLine(stderr,
                      QStringLiteral("Tarvik: cannot listen on ::1 port %1: %2").arg(port).arg(ipv6.errorString()));
            return 1;
        }
        printLine(stderr, QStringLiteral("Tarvik: IPv6 loopback unavailable (%1); serving on 127.0.0.1 only")
                              .arg(ipv6.errorString()));
    }

    for (QTcpServer *server : {&ipv4, &ipv6}) {
        QObject::connect(server, &QTcpServer::newConnection, server, [server, &page] {
            while (QTcpSocket *socket = server->nextPendingConnection()) {
                serveOneRequest(
                    socket, [&page](QTcpSocket *client, const HttpRequest &request) { answer(client, request, page); },
                    [](QTcpSocket *client) { logRequest(client, QStringLiteral("(malformed request)"), 400); });
            }
        });
    }

    printLine(
        stdout,
        QStringLiteral("Tarvik demo server listening on http://localhost:%1 (language %2)").arg(port).arg(language));
    const int code = app.exec();
    printLine(stdout, QStringLiteral("Tarvik demo server stopped"));
    return code;
}
