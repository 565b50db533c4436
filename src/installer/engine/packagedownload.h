#pragma once

#include "downloadprogressdelegate.h"

#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <optional>

namespace vistrel {

class StepContext;

// A package on disk, and what its digest must be.
struct DownloadedPackage {
    QString path;
    PackageDigest digest;
};

// The first half of the download step: asks the download service where the package for this
// processor and channel lies and streams it to a temporary file, checked against every announced
// byte (its digest is checked before it is moved in).
class PackageDownload {
public:
    PackageDownload(StepContext &context, bool useBeta)
        : m_context(context)
        , m_useBeta(useBeta) {}

    // Throws vistrel::Error.
    QCoro::Task<DownloadedPackage> run();

    // The download service's origin: the user default "downloadServiceOrigin" when set, else the
    // origin this build was configured with.
    QString downloadServiceOrigin() const;
    // Why origin cannot be the download service's, to follow the option or setting that gave it;
    // nothing when it is an http or https URL with a host and neither query nor fragment.
    static std::optional<QString> originProblem(const QString &origin);
    // The location request for a platform value ("OSX64", "OSXARM64") and channel.
    QUrl downloadLocationUrl(const QString &platformName) const;
    // The body's text without white space, then without quotes, at both ends.
    static QString cleanDownloadLocation(const QString &body);
    // An absolute http(s) URL with a host; anything else cannot be downloaded.
    static bool isDownloadableUrl(const QString &location);

private:
    QCoro::Task<QString> requestDownloadLocation(QUrl serviceUrl);

    StepContext &m_context;
    bool m_useBeta;
};

} // namespace vistrel
