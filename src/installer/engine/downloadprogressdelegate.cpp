#include "downloadprogressdelegate.h"

#include "common/error.h"
#include "common/smallfile.h"
#include "common/textformat.h"

#include "backgrounddigest.h"

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroNetworkReply>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStorageInfo>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace vistrel {

namespace {

// How much of the body Qt may hold before we have written it out.
constexpr qint64 readBufferSize = 1024 * 1024;

// Owns a reply for the length of one download. The coroutine resumes from inside the reply's
// finished signal, so the reply is deleted later; it may already be gone with its manager.
class ReplyHolder {
public:
    explicit ReplyHolder(QNetworkReply *reply)
        : m_reply(reply) {}
    ~ReplyHolder() {
        if (m_reply) {
            m_reply->disconnect();
            m_reply->abort();
            m_reply->deleteLater();
        }
    }
    ReplyHolder(const ReplyHolder &) = delete;
    ReplyHolder &operator=(const ReplyHolder &) = delete;
    QNetworkReply *get() const { return m_reply; }

private:
    QPointer<QNetworkReply> m_reply;
};

// Removes the partly written file unless the download finished well.
class PartialFileGuard {
public:
    explicit PartialFileGuard(QFile &file)
        : m_file(file) {}
    ~PartialFileGuard() {
        if (!m_keep) {
            m_file.close();
            m_file.remove();
        }
    }
    PartialFileGuard(const PartialFileGuard &) = delete;
    PartialFileGuard &operator=(const PartialFileGuard &) = delete;
    void keep() { m_keep = true; }

private:
    QFile &m_file;
    bool m_keep = false;
};

Error fileError(const QFile &file) {
    return Error(QStringLiteral("FileError"), file.error(), file.errorString());
}

// Writes all of bytes; on failure the system's own reason ("No space left on device").
std::optional<Error> writeAll(QFile &file, const QByteArray &bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(file.handle(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            return Error(QStringLiteral("NSPOSIXErrorDomain"), code,
                         QStringLiteral("Could not save the package to %1: %2")
                             .arg(file.fileName(), QString::fromLocal8Bit(std::strerror(code))));
        }
        done += n;
    }
    return std::nullopt;
}

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / 1048576.0, 'f', 1) + QStringLiteral(" MB");
}

// The file system that path is on, or will be on once its missing folders are made.
QStorageInfo storageOf(QString path) {
    while (!QFileInfo::exists(path) && QFileInfo(path).absolutePath() != path)
        path = QFileInfo(path).absolutePath();
    return QStorageInfo(path);
}

// The error for a package of size bytes that does not fit, or nothing.
std::optional<Error> lackOfSpace(qint64 size, const QString &targetPath, const QString &unpackFolder) {
    const QStorageInfo temporary = storageOf(targetPath);
    struct Need {
        QStorageInfo storage;
        QString folder;
        qint64 bytes;
        QString what;
    };
    QList<Need> needs{{temporary, QFileInfo(targetPath).absolutePath(), size, QStringLiteral("the package")}};
    if (!unpackFolder.isEmpty()) {
        const QStorageInfo unpacked = storageOf(unpackFolder);
        // Unpacked files take at least the package's size.
        if (unpacked.device() == temporary.device()) {
            needs.first().bytes += size;
            needs.first().what = QStringLiteral("the package and unpacking it");
        } else {
            needs.append({unpacked, unpackFolder, size, QStringLiteral("unpacking the package")});
        }
    }
    for (const Need &need : needs) {
        // The file already written counts as free: it is the one being replaced.
        const qint64 free = need.storage.bytesAvailable() +
                            (need.storage.device() == temporary.device() ? QFileInfo(targetPath).size() : 0);
        if (need.storage.isValid() && free < need.bytes)
            return Error(QStringLiteral("DownloadError"), DownloadProgressDelegate::noSpaceCode,
                         QStringLiteral("Not enough disk space in %1: %2 needs %3, only %4 are free.")
                             .arg(need.folder, need.what, megabytes(need.bytes), megabytes(free)));
    }
    return std::nullopt;
}

} // namespace

std::shared_ptr<bool> DownloadProgressDelegate::abortWhenStalled(QNetworkReply *reply,
                                                                 std::chrono::milliseconds limit) {
    auto stalled = std::make_shared<bool>(false);
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    const auto moved = [timer] { timer->start(); };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, timer, moved);
    QObject::connect(reply, &QNetworkReply::downloadProgress, timer, moved);
    QObject::connect(reply, &QNetworkReply::finished, timer, &QTimer::stop);
    QObject::connect(timer, &QTimer::timeout, reply, [reply, stalled] {
        *stalled = true;
        reply->abort();
    });
    timer->start(limit);
    return stalled;
}

Error DownloadProgressDelegate::stalledError(const QUrl &url, std::chrono::milliseconds limit) {
    return Error(QStringLiteral("DownloadError"), stalledCode,
                 QStringLiteral("No data arrived from %1 for %2 seconds; the transfer was stopped.")
                     .arg(printableExcerpt(url.host()))
                     .arg(double(limit.count()) / 1000.0));
}

std::optional<QByteArray> DownloadProgressDelegate::announcedSha256(const QByteArray &reprDigest,
                                                                    const QByteArray &digest) {
    for (const bool structured : {true, false}) {
        for (const QByteArray &member : (structured ? reprDigest : digest).split(',')) {
            const qsizetype equals = member.indexOf('=');
            if (equals < 0 || member.left(equals).trimmed().toLower() != "sha-256")
                continue;
            const QByteArray value = member.mid(equals + 1).trimmed();
            if (!structured)
                return value;
            // A byte sequence of a structured field: the base64 between two colons.
            const bool framed = value.size() >= 2 && value.startsWith(':') && value.endsWith(':');
            return framed ? value.mid(1, value.size() - 2) : QByteArray();
        }
    }
    return std::nullopt;
}

DownloadProgressDelegate::DownloadProgressDelegate(ProgressCallback progressCallback, QObject *parent)
    : QObject(parent)
    , m_progressCallback(std::move(progressCallback)) {}

std::optional<QString> DownloadProgressDelegate::progressText(qint64 written, qint64 expected) {
    if (expected < 1)
        return std::nullopt;
    const double fraction = double(written) / double(expected);
    const qint64 percent = qint64(fraction * 100.0);
    const double writtenMB = double(written) / 1048576.0;
    const double expectedMB = double(expected) / 1048576.0;
    return formatText(QStringLiteral("Downloaded %.1f MB of %.1f MB (%d%%)"), {writtenMB, expectedMB, percent});
}

QCoro::Task<void> DownloadProgressDelegate::verify(PackageDigest digest) {
    if (!digest.announced)
        co_return;
    const QByteArray received = co_await digest.received;
    if (*digest.announced != received)
        throw Error(QStringLiteral("DownloadError"), failedCheckCode,
                    QStringLiteral("The package does not match the digest its server announced: sha-256 %1 was "
                                   "announced, the download has %2.")
                        .arg(printableExcerpt(QString::fromLatin1(*digest.announced)), QString::fromLatin1(received)));
}

QCoro::Task<PackageDigest> DownloadProgressDelegate::download(QNetworkAccessManager &network, QUrl url,
                                                              QString targetPath, std::chrono::milliseconds inactivity,
                                                              QString unpackFolder) {
    // A leftover with the same name is replaced, not a reason to fail.
    QFile file(targetPath);
    if (file.exists() && !file.remove())
        throw fileError(file);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        throw fileError(file);

    // Whatever ends this coroutine early (an error, or the frame being destroyed) removes the file.
    PartialFileGuard partialFile(file);
    const ReplyHolder holder(network.get(QNetworkRequest(url)));
    QNetworkReply *const reply = holder.get();
    reply->setReadBufferSize(readBufferSize);
    const std::shared_ptr<bool> stalled = abortWhenStalled(reply, inactivity);

    std::optional<int> badStatus;
    std::optional<Error> writeError;
    BackgroundDigest sha256(targetPath);
    qint64 written = 0;
    qint64 lastReceived = 0;
    qint64 lastTotal = -1;

    // The body of an error page is never taken for the package.
    const auto statusIsBad = [&] {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
            badStatus = status.toInt();
            return true;
        }
        return false;
    };

    // Once the size is known: a package that cannot fit fails now, not when the disk is full.
    connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (writeError || statusIsBad() || !length.isValid())
            return;
        writeError = lackOfSpace(length.toLongLong(), targetPath, unpackFolder);
        if (writeError)
            reply->abort();
    });
    connect(reply, &QNetworkReply::readyRead, reply, [&] {
        if (badStatus || writeError)
            return;
        if (statusIsBad()) {
            reply->abort();
            return;
        }
        const QByteArray chunk = reply->readAll();
        writeError = writeAll(file, chunk);
        if (writeError) {
            reply->abort();
            return;
        }
        written += chunk.size();
        sha256.written(written);
    });
    connect(reply, &QNetworkReply::downloadProgress, reply, [&](qint64 received, qint64 total) {
        // Without a length Qt still reports the received size as the total once the transfer
        // ends; that is no known size.
        if (!reply->header(QNetworkRequest::ContentLengthHeader).isValid())
            total = -1;
        lastReceived = received;
        lastTotal = total;
        if (badStatus || writeError || statusIsBad() || !m_progressCallback)
            return;
        if (const std::optional<QString> text = progressText(received, total))
            m_progressCallback(double(received) / double(total), *text, true);
    });

    co_await qCoro(reply).waitForFinished();

    if (!writeError && !badStatus && !statusIsBad() && reply->error() == QNetworkReply::NoError) {
        // Whatever is still buffered when finished arrives belongs to the file too.
        const QByteArray rest = reply->readAll();
        writeError = writeAll(file, rest);
        written += rest.size();
        sha256.written(written);
    }
    if (writeError)
        throw *writeError;
    if (*stalled)
        throw stalledError(url, inactivity);
    if (badStatus)
        throw Error(QStringLiteral("DownloadError"), badStatusCode,
                    QStringLiteral("The package download failed with HTTP status %1").arg(*badStatus));
    if (reply->error() != QNetworkReply::NoError)
        throw Error(QStringLiteral("NetworkError"), reply->error(), reply->errorString());
    // A connection that closes before the announced size is a cut transfer, not a package.
    if (lastTotal > 0 && lastReceived < lastTotal)
        throw Error(QStringLiteral("NetworkError"), QNetworkReply::RemoteHostClosedError,
                    QStringLiteral("The download ended after %1 of %2 bytes").arg(lastReceived).arg(lastTotal));
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw fileError(file);
    partialFile.keep();
    co_return PackageDigest{announcedSha256(reply->rawHeader("Repr-Digest"), reply->rawHeader("Digest")),
                            sha256.finish()};
}

} // namespace vistrel
