#pragma once

#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>

class QNetworkAccessManager;

namespace vistrel {

// One GET of http://localhost:<port>: true exactly when the answer's status is 200, counted as
// soon as the status and headers are in (the page is not waited for); redirects are not followed.
// Transport errors, other status codes, no byte for the timeout, an exchange that takes three
// timeouts, and ports outside isTcpPort are false. The caller's network access manager is shared
// so that the probe may outlive the object that started it.
QCoro::Task<bool> probeServer(std::shared_ptr<QNetworkAccessManager> network, qint64 port,
                              std::chrono::milliseconds timeout);

// A network access manager for probes: loopback never goes through a proxy.
std::shared_ptr<QNetworkAccessManager> makeProbeNetwork();

} // namespace vistrel
