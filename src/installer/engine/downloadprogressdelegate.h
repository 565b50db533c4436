#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace vistrel {

// Streams one package download to a file: every chunk goes to disk as it arrives, so the
// package is never held in memory, and each chunk with a known total size reports a progress
// text. Ends with the complete file at the target, or throws and leaves no file behind.
class DownloadProgressDelegate : public QObject {
    Q_OBJECT

public:
    // fraction done (0..1), the progress text, and a flag that is always true
    using ProgressCallback = std::function<void(double fraction, const QString &text, bool)>;

    // An HTTP status outside 200-299 from the package server.
    static constexpr int badStatusCode = 4;

    explicit DownloadProgressDelegate(ProgressCallback progressCallback, QObject *parent = nullptr);

    // Downloads url into targetPath, replacing a file already there.
    QCoro::Task<void> download(QNetworkAccessManager &network, QUrl url, QString targetPath);

    // "Downloaded %.1f MB of %.1f MB (%d%%)" in megabytes of 1 048 576 bytes, the percentage
    // truncated; nothing while the expected size is unknown (below 1).
    static std::optional<QString> progressText(qint64 written, qint64 expected);

private:
    ProgressCallback m_progressCallback;
};

} // namespace vistrel
