#include "serverprobe.h"

#include "porttext.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <QCoro/QCoroNetworkReply>

#include <coroutine>

namespace vistrel {

namespace {

// Resumes the coroutine from the event loop, outside whatever signal is being delivered now: a
// frame that ends inside a signal of an object it owns destroys that object mid-delivery.
struct NextTurn {
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) const {
        QTimer::singleShot(0, [handle] { handle.resume(); });
    }
    void await_resume() const noexcept {}
};

} // namespace

std::shared_ptr<QNetworkAccessManager> makeProbeNetwork() {
    auto network = std::make_shared<QNetworkAccessManager>();
    network->setProxy(QNetworkProxy::NoProxy);
    return network;
}

QCoro::Task<bool> probeServer(std::shared_ptr<QNetworkAccessManager> network, qint64 port,
                              std::chrono::milliseconds timeout) {
    if (!isTcpPort(port))
        co_return false;
    QNetworkRequest request(QUrl(QStringLiteral("http://localhost:") + QString::number(port)));
    request.setTransferTimeout(int(timeout.count()));
    // Only the port itself answering counts, never a page it points elsewhere.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // The reply owns its deadline and both go through deleteLater: this frame owns no object whose
    // signal resumes it (the abort of a timed-out reply delivers finished from inside the timer).
    QNetworkReply *reply = network->get(request);
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    // The time-out covers the whole exchange, not only silence on the line.
    QObject::connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline->start(timeout);
    co_await reply;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool answered = reply->error() == QNetworkReply::NoError && status == 200;
    reply->deleteLater();
    co_await NextTurn{};
    co_return answered;
}

} // namespace vistrel
