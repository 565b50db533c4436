#include "packageunpacking.h"

#include "downloadprogressdelegate.h"
#include "installererrors.h"
#include "packageentries.h"
#include "packageswap.h"
#include "stepcontext.h"

#include "common/paths.h"
#include "common/porttext.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

namespace vistrel {

namespace {

using namespace std::chrono_literals;

const QString unzipProgram = QStringLiteral("/usr/bin/unzip");
// Unpacking gets the command limit plus this per MiB of package: only a hung unzip hits it.
constexpr auto unzipTimePerMiB = 1s;

} // namespace

std::optional<QString> PackageUnpacking::damageReport(const QString &unzipErrors, const QString &folder) {
    // "<folder>/<entry>  bad CRC 13bb23b9  (should be b630b3b7)", or a stream inflate cannot read.
    static const QRegularExpression badCrc(
        QStringLiteral(R"(^(.*\S)\s+bad CRC ([0-9a-f]+)\s+\(should be ([0-9a-f]+)\))"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression badData(QStringLiteral(R"(invalid compressed data to inflate (.+)$)"),
                                            QRegularExpression::MultilineOption);
    const auto entry = [&](QString path) {
        path = path.trimmed();
        return path.startsWith(folder + u'/') ? path.sliced(folder.size() + 1) : path;
    };
    if (const QRegularExpressionMatch crc = badCrc.match(unzipErrors); crc.hasMatch())
        return QStringLiteral("The package is damaged: %1 does not match its checksum (CRC %2, should be %3).")
            .arg(entry(crc.captured(1)), crc.captured(2), crc.captured(3));
    if (const QRegularExpressionMatch data = badData.match(unzipErrors); data.hasMatch())
        return QStringLiteral("The package is damaged: %1 cannot be decompressed.").arg(entry(data.captured(1)));
    return std::nullopt;
}

QCoro::Task<void> PackageUnpacking::run(DownloadedPackage package) {
    const QString packagePath = package.path;
    m_context.log(QStringLiteral("Extracting files directly to installation directory..."));
    const QString root = m_context.installRoot();
    const QString staging = root + u'/' + QString::fromUtf16(paths::stagingFolderName);
    m_context.makeFolder(root); // unzip creates it itself, or fails below
    m_context.record({UndoRecord::remove(staging)});
    // Whatever ends the unpacking leaves no staging folder behind.
    const auto cleanUp = qScopeGuard([staging] { removeIfPresent(staging); });
    removeIfPresent(staging);

    // Nothing is unpacked until every entry is known to land inside the root.
    const PackageCheck check = co_await checkPackageEntries(packagePath, root);
    m_context.checkpoint();
    // From here a failure keeps the package for a look, unless it is known to be bad.
    if (check.outcome == PackageCheck::Outcome::Unreadable) {
        m_context.keepTemporaryPackage();
        m_context.log(QStringLiteral("ERROR: ") + check.message);
        throw installerError::extraction(check.exitCode);
    }
    if (check.outcome == PackageCheck::Outcome::Unsafe) {
        m_context.keepTemporaryPackage();
        m_context.log(QStringLiteral("ERROR: The package has an entry outside the installation folder: ") +
                      check.message);
        throw installerError::extraction(installerError::unsafePackage);
    }

    // Quietly: unzip's listing is of no use, its complaints (standard error) are.
    const QStringList arguments{QStringLiteral("-q"), QStringLiteral("-o"), packagePath, QStringLiteral("-d"), staging};
    const auto limit = m_context.timing().commandTimeout + unzipTimePerMiB * (QFileInfo(packagePath).size() >> 20);
    const ProcessResult unzip =
        co_await m_context.process(unzipProgram, arguments, ChildOutput::CaptureStderr,
                                   std::chrono::duration_cast<std::chrono::milliseconds>(limit));
    if (!unzip.started || unzip.exitCode != 0 || unzip.crashed || unzip.timedOut) {
        const QString errors = decodeUtf8(unzip.output).value_or(QStringLiteral("Unknown error"));
        if (const std::optional<QString> damage = damageReport(errors, staging); damage && !unzip.timedOut) {
            m_context.discardTemporaryPackage();
            throw installerError::download(DownloadProgressDelegate::failedCheckCode, *damage);
        }
        m_context.keepTemporaryPackage();
        if (unzip.timedOut) {
            m_context.log(QStringLiteral("ERROR: unzip did not finish in time and was ended."));
            throw installerError::extraction(commandTimedOutCode);
        }
        if (!unzip.started) {
            m_context.log(QStringLiteral("Process failed to even start: ") +
                          Error(QStringLiteral("NSCocoaErrorDomain"), 4, unzip.launchError).fullDescription());
            throw installerError::extraction(installerError::unzipNotStarted);
        }
        m_context.log(QStringLiteral("ERROR: ") + errors);
        throw installerError::extraction(unzip.exitCode);
    }

    // Hashed while it downloaded and while unzip ran; a package known to be bad is removed.
    try {
        co_await DownloadProgressDelegate::verify(package.digest);
    } catch (const Error &) {
        m_context.discardTemporaryPackage();
        throw;
    }
    m_context.checkpoint();

    PackageSwap swap(staging, root, root + u'/' + QString::fromUtf16(paths::previousFolderName));
    std::optional<QString> refusal = swap.plan();
    if (!refusal) {
        m_context.record(swap.undoRecords());
        refusal = swap.swap();
    }
    if (refusal) {
        m_context.keepTemporaryPackage();
        m_context.log(QStringLiteral("ERROR: ") + *refusal);
        throw installerError::extraction(installerError::packageMeetsUserData);
    }
    m_context.discardTemporaryPackage();
}

} // namespace vistrel
