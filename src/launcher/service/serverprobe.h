#pragma once

#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>

class QNetworkAccessManager;

namespace vistrel {

// http://localhost:<port>; invalid for ports a URL cannot carry (negative, above 65535).
QUrl probeUrl(qint64 port);

// One GET of http://localhost:<port>: true exactly when the answer is status 200 within the
// timeout. Transport errors, other status codes and time-outs are false. The caller's network
// access manager is shared so that the probe may outlive the object that started it.
QCoro::Task<bool> probeServer(std::shared_ptr<QNetworkAccessManager> network, qint64 port,
                              std::chrono::milliseconds timeout);

// A network access manager for probes: loopback never goes through a proxy.
std::shared_ptr<QNetworkAccessManager> makeProbeNetwork();

} // namespace vistrel
