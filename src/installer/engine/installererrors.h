#pragma once

#include "common/error.h"
#include "common/fileoperations.h"

// The errors of an installation's steps, beyond the unpacker's exit statuses and the shell's.
namespace vistrel::installerError {

// DownloadError
inline constexpr int locationNotUtf8 = 1;
inline constexpr int invalidLocation = 2;
inline constexpr int badLocationStatus = 4; // the package's own status also uses 4
// 5 and 6: DownloadProgressDelegate (stalled, no space); 7: a package that fails a check
inline constexpr int invalidOrigin = 8;
// ExtractionError
inline constexpr int unzipNotStarted = -1;
inline constexpr int unsafePackage = -2;
inline constexpr int packageMeetsUserData = -3;
// InstallError
inline constexpr int noUserId = 99;
inline constexpr int invalidPort = 100;
inline constexpr int serviceTimeout = 101;
inline constexpr int launcherMissing = 102;
// 103 and 104: StepContext (interrupted, journal not saved)

inline Error download(int code, const QString &description) {
    return Error(QStringLiteral("DownloadError"), code, description);
}

inline Error extraction(qint64 code) {
    return Error(QStringLiteral("ExtractionError"), code, QStringLiteral("Extraction failed."));
}

inline Error install(int code, const QString &description) {
    return Error(QStringLiteral("InstallError"), code, description);
}

inline Error file(const FileOperationResult &result) {
    return Error(QStringLiteral("NSPOSIXErrorDomain"), result.errorCode, result.description);
}

} // namespace vistrel::installerError
