#include "serviceverification.h"

#include "installererrors.h"
#include "stepcontext.h"

#include "common/paths.h"
#include "common/porttext.h"
#include "common/serverprobe.h"

namespace vistrel {

std::optional<qint64> ServiceVerification::installedPort(QString *text) const {
    // The port file as the server reads it; the typed port only when the file cannot be read.
    std::optional<QString> fromFile;
    if (const std::optional<QByteArray> bytes = readWholeFile(paths::portFile(m_context.home())))
        fromFile = decodeUtf8(*bytes);
    *text = fromFile                ? fromFile->trimmed()
            : m_typedPort.isEmpty() ? QString::fromUtf16(paths::defaultPortText)
                                    : m_typedPort;
    // A number that is no TCP port (an old file's -1 or 70000) gives no address to probe either.
    const std::optional<qint64> port = parseSignedInt64(*text);
    return port && isTcpPort(*port) ? port : std::nullopt;
}

QCoro::Task<qint64> ServiceVerification::run() {
    QString portText;
    const std::optional<qint64> port = installedPort(&portText);
    if (!port)
        throw installerError::install(installerError::invalidPort, QStringLiteral("Invalid port number: ") + portText);

    const int attempts = m_context.timing().verifyAttempts;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        m_context.log(QStringLiteral("Pinging service... (Attempt %1/%2)").arg(attempt).arg(attempts));
        const bool online =
            co_await probeServer(m_context.probeNetwork(), *port, m_context.timing().verifyRequestTimeout);
        m_context.checkpoint();
        if (online) {
            m_context.log(QStringLiteral("Service is online!"));
            co_return *port;
        }
        co_await m_context.pause(m_context.timing().verifyPause);
    }
    throw installerError::install(
        installerError::serviceTimeout,
        QStringLiteral("Service failed to start in time. Check logs at ~/Library/Logs/vistrel.log"));
}

QCoro::Task<bool> ServiceVerification::answers(qint64 port) {
    for (int attempt = 1; attempt <= m_context.timing().verifyAttempts; ++attempt) {
        if (co_await probeServer(m_context.probeNetwork(), port, m_context.timing().verifyRequestTimeout))
            co_return true;
        co_await m_context.pause(m_context.timing().verifyPause);
    }
    co_return false;
}

} // namespace vistrel
