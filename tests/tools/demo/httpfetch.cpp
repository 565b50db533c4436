#include "httpfetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QTimer>

namespace vistrel::test {

Fetched fetch(const QUrl &url, const QByteArray &method) {
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setTransferTimeout(15000);
    QNetworkReply *reply = manager.sendCustomRequest(request, method);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();

    Fetched result;
    if (!reply->isFinished()) {
        reply->abort();
        result.error = QNetworkReply::TimeoutError;
    } else {
        result.error = reply->error();
    }
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    result.contentType = reply->rawHeader("Content-Type");
    result.hasContentLength = reply->hasRawHeader("Content-Length");
    result.contentLength = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    delete reply;
    return result;
}

} // namespace vistrel::test
