#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdio>

#include <functional>

class QTcpSocket;

namespace vistrel::demo {

// The first line of a request; the stand-ins need nothing else from the head.
struct HttpRequest {
    QByteArray method;
    QByteArray target; // as sent: path and query
    QByteArray path() const;
    QByteArray query() const;
};

enum class HeadState { Incomplete, Complete, Invalid };

// Looks for a whole request head (request line and headers up to the empty line) in what has
// arrived so far. Heads above maxHeadBytes are Invalid, so a client cannot make us buffer forever.
constexpr qsizetype maxHeadBytes = 16 * 1024;
HeadState parseRequestHead(const QByteArray &received, HttpRequest &request);

// "HTTP/1.1 <status> <reason>\r\n"
QByteArray statusLine(int status);

// A complete response with Content-Length and Connection: close.
// extraHeaders are whole lines, each ending in \r\n.
QByteArray simpleResponse(int status, const QByteArray &contentType, const QByteArray &body, bool includeBody = true,
                          const QByteArray &extraHeaders = {});

// The target with control bytes, spaces and non-ASCII percent-encoded, safe to print on one line.
QString printableTarget(const QByteArray &target);

// Reads one request head from a fresh connection and hands it to onRequest. Malformed or oversized
// heads get 400, idle clients are dropped after a while, and the socket deletes itself once closed,
// also when the client goes away early. onMalformed, when given, hears of each 400 so it can be logged.
void serveOneRequest(QTcpSocket *socket, std::function<void(QTcpSocket *, const HttpRequest &)> onRequest,
                     std::function<void(QTcpSocket *)> onMalformed = {});

// SIGTERM and SIGINT end the event loop normally (exit code 0); SIGPIPE is ignored so a vanished
// reader only makes a write fail. Call once, after the application object exists.
void quitOnTerminationSignals();

// One line on the stream, flushed at once: our output usually goes to a log file.
void printLine(FILE *stream, const QString &line);

} // namespace vistrel::demo
