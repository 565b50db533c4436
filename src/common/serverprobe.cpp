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

// Where the probe keeps the status it saw, before the rest of the answer was read.
constexpr char answeredStatus[] = "vistrelAnsweredStatus";
// The whole exchange may take this many time-outs, however busy the line is.
constexpr int exchangeBoundFactor = 3;

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
    // The time-out is on silence: a server that keeps sending is not cut off for being slow.
    request.setTransferTimeout(int(timeout.count()));
    // Only the port itself answering counts, never a page it points elsewhere.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // The reply owns its deadline and both go through deleteLater: this frame owns no object whose
    // signal resumes it (the abort of a timed-out reply delivers finished from inside the timer).
    QNetworkReply *reply = network->get(request);
    // The status decides as soon as it is in; the page after it is not waited for.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply] {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid() || reply->property(answeredStatus).isValid())
            return;
        reply->setProperty(answeredStatus, status);
        QMetaObject::invokeMethod(
            reply,
            [reply] {
                if (reply->isRunning() && reply->error() == QNetworkReply::NoError)
                    reply->abort();
            },
            Qt::QueuedConnection);
    });
    // Still, nothing waits forever: a server that trickles out its status line and headers is
    // given up on after a few time-outs.
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline->start(timeout * exchangeBoundFactor);
    co_await reply;
    const QVariant status = reply->property(answeredStatus);
    const bool answered = status.isValid()
                              ? status.toInt() == 200
                              : reply->error() == QNetworkReply::NoError &&
                                    reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
    reply->deleteLater();
    co_await NextTurn{};
    co_return answered;
}

} // namespace vistrel
