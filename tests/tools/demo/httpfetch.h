#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QUrl>

namespace vistrel::test {

struct Fetched {
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray body;
    QByteArray contentType;
    bool hasContentLength = false;
    qint64 contentLength = -1;
};

// One request through a fresh network manager, waited for on a local event loop.
Fetched fetch(const QUrl &url, const QByteArray &method = "GET");

} // namespace vistrel::test
