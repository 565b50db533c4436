#pragma once

#include <QFuture>
#include <QObject>
#include <QString>
#include <QUrl>

#include "common/error.h"

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace vistrel {

// The digest a package's server announced, and the digest of what arrived (computed on another
// thread while it streamed, so that it may be checked once the unpacking is done).
struct PackageDigest {
    std::optional<QByteArray> announced; // base64 SHA-256; nothing when the server named none
    QFuture<QByteArray> received;        // base64 SHA-256
};

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
    // No byte arrived within the inactivity limit (also for the location request).
    static constexpr int stalledCode = 5;
    // The announced package does not fit the temporary folder or the folder it is unpacked into.
    static constexpr int noSpaceCode = 6;
    // The package fails a check: its digest here, its entries' checksums when it is unpacked.
    static constexpr int failedCheckCode = 7;

    explicit DownloadProgressDelegate(ProgressCallback progressCallback, QObject *parent = nullptr);

    // Downloads url into targetPath, replacing a file already there. A transfer that moves no
    // byte for inactivity is abandoned. Once the size is announced it must fit targetPath's file
    // system and, when unpackFolder is given, that folder's too (twice when they share one).
    QCoro::Task<PackageDigest> download(QNetworkAccessManager &network, QUrl url, QString targetPath,
                                        std::chrono::milliseconds inactivity = std::chrono::milliseconds(30000),
                                        QString unpackFolder = {});
    // Throws the failedCheckCode error when the package does not have the digest its server announced.
    static QCoro::Task<void> verify(PackageDigest digest);

    // Aborts reply when no byte moves for limit; the returned flag tells whether it did. The
    // reply owns the watch.
    static std::shared_ptr<bool> abortWhenStalled(QNetworkReply *reply, std::chrono::milliseconds limit);
    // The stalledCode error for a transfer from url.
    static Error stalledError(const QUrl &url, std::chrono::milliseconds limit);

    // The base64 SHA-256 digest a response announces: "Repr-Digest: sha-256=:<base64>:" first, else
    // "Digest: SHA-256=<base64>"; nothing when neither names SHA-256 (one that cannot be read is
    // empty, and matches nothing).
    static std::optional<QByteArray> announcedSha256(const QByteArray &reprDigest, const QByteArray &digest);

    // "Downloaded %.1f MB of %.1f MB (%d%%)" in megabytes of 1 048 576 bytes, the percentage
    // truncated; nothing while the expected size is unknown (below 1).
    static std::optional<QString> progressText(qint64 written, qint64 expected);

private:
    ProgressCallback m_progressCallback;
};

} // namespace vistrel
