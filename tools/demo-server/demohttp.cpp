#include "demohttp.h"

#include "common/terminationsignals.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTimer>

#include <csignal>

#include <memory>

namespace vistrel::demo {

namespace {

// A client that sends no complete head within this time is dropped.
constexpr int idleTimeoutMs = 10000;

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 410:
        return "Gone";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    default:
        return "Status";
    }
}

bool isToken(const QByteArray &text) {
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
            return false;
    }
    return true;
}

} // namespace

QByteArray HttpRequest::path() const {
    const qsizetype mark = target.indexOf('?');
    return mark < 0 ? target : target.left(mark);
}

QByteArray HttpRequest::query() const {
    const qsizetype mark = target.indexOf('?');
    return mark < 0 ? QByteArray() : target.mid(mark + 1);
}

HeadState parseRequestHead(const QByteArray &received, HttpRequest &request) {
    // Empty lines before the request line are allowed and skipped.
    qsizetype start = 0;
    while (start < received.size() && (received[start] == '\r' || received[start] == '\n'))
        ++start;
    qsizetype end = received.indexOf("\r\n\r\n", start);
    const qsizetype bareEnd = received.indexOf("\n\n", start);
    if (end < 0 || (bareEnd >= 0 && bareEnd < end))
        end = bareEnd;
    if (end < 0)
        return received.size() > maxHeadBytes ? HeadState::Invalid : HeadState::Incomplete;
    if (end > maxHeadBytes)
        return HeadState::Invalid;

    qsizetype lineEnd = received.indexOf('\n', start);
    QByteArray line = received.mid(start, lineEnd - start);
    if (line.endsWith('\r'))
        line.chop(1);
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || !parts[1].startsWith('/') || !parts[2].startsWith("HTTP/1."))
        return HeadState::Invalid;
    request.method = parts[0];
    request.target = parts[1];
    return HeadState::Complete;
}

QByteArray statusLine(int status) {
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
}

QByteArray simpleResponse(int status, const QByteArray &contentType, const QByteArray &body, bool includeBody,
                          const QByteArray &extraHeaders) {
    QByteArray response = statusLine(status);
    response += "Content-Type: " + contentType + "\r\n";
    response += extraHeaders;
    response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    response += "Connection: close\r\n\r\n";
    if (includeBody)
        response += body;
    return response;
}

QString printableTarget(const QByteArray &target) {
    QString text;
    text.reserve(target.size());
    for (const char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f)
            text += QStringLiteral("%%%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        else
            text += QLatin1Char(c);
    }
    return text;
}

void serveOneRequest(QTcpSocket *socket, std::function<void(QTcpSocket *, const HttpRequest &)> onRequest,
                     std::function<void(QTcpSocket *)> onMalformed) {
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto *idle = new QTimer(socket);
    idle->setSingleShot(true);
    QObject::connect(idle, &QTimer::timeout, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    idle->start(idleTimeoutMs);

    auto received = std::make_shared<QByteArray>();
    auto answered = std::make_shared<bool>(false);
    auto onReadyRead = [socket, idle, received, answered, onRequest, onMalformed] {
        if (*answered) {
            // A body or a second request after ours: not read, not kept.
            socket->skip(socket->bytesAvailable());
            return;
        }
        received->append(socket->readAll());
        HttpRequest request;
        switch (parseRequestHead(*received, request)) {
        case HeadState::Incomplete:
            return;
        case HeadState::Invalid:
            *answered = true;
            idle->stop();
            socket->write(simpleResponse(400, "text/plain; charset=utf-8", "Bad Request\n"));
            socket->disconnectFromHost();
            if (onMalformed)
                onMalformed(socket);
            return;
        case HeadState::Complete:
            *answered = true;
            idle->stop();
            received->clear();
            onRequest(socket, request);
            return;
        }
    };
    QObject::connect(socket, &QTcpSocket::readyRead, socket, onReadyRead);
    if (socket->bytesAvailable() > 0)
        onReadyRead();
}

void quitOnTerminationSignals() {
    ::signal(SIGPIPE, SIG_IGN);
    handleTerminationSignals([](int) { QCoreApplication::quit(); });
}

void printLine(FILE *stream, const QString &line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, bytes.size(), stream);
    std::fflush(stream);
}

} // namespace vistrel::demo
