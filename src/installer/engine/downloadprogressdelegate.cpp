#include "downloadprogressdelegate.h"

#include "common/error.h"
#include "common/textformat.h"

#include <QCoro/QCoroNetworkReply>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

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

} // namespace

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

QCoro::Task<void> DownloadProgressDelegate::download(QNetworkAccessManager &network, QUrl url, QString targetPath) {
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

    std::optional<int> badStatus;
    std::optional<Error> writeError;
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

    connect(reply, &QNetworkReply::readyRead, reply, [&] {
        if (badStatus || writeError)
            return;
        if (statusIsBad()) {
            reply->abort();
            return;
        }
        const QByteArray chunk = reply->readAll();
        if (file.write(chunk) != chunk.size()) {
            writeError = fileError(file);
            reply->abort();
            return;
        }
        written += chunk.size();
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
        if (!rest.isEmpty() && file.write(rest) != rest.size())
            writeError = fileError(file);
        written += rest.size();
    }
    if (writeError)
        throw *writeError;
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
    co_return;
}

} // namespace vistrel
