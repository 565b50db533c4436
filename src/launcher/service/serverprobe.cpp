#include "serverprobe.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <QCoro/QCoroNetworkReply>

namespace vistrel {

QUrl probeUrl(qint64 port) {
    return QUrl(QStringLiteral("http://localhost:") + QString::number(port), QUrl::StrictMode);
}

std::shared_ptr<QNetworkAccessManager> makeProbeNetwork() {
    auto network = std::make_shared<QNetworkAccessManager>();
    network->setProxy(QNetworkProxy::NoProxy);
    return network;
}

QCoro::Task<bool> probeServer(std::shared_ptr<QNetworkAccessManager> network, qint64 port,
                              std::chrono::milliseconds timeout) {
    const QUrl url = probeUrl(port);
    if (!url.isValid() || url.port() != port)
        co_return false;
    QNetworkRequest request(url);
    request.setTransferTimeout(int(timeout.count()));
    std::unique_ptr<QNetworkReply> reply(network->get(request));
    // The time-out covers the whole exchange, not only silence on the line.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply.get(), &QNetworkReply::abort);
    deadline.start(timeout);
    co_await reply.get();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    co_return reply->error() == QNetworkReply::NoError &&status == 200;
}

} // namespace vistrel
