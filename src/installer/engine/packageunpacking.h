#pragma once

#include "packagedownload.h"

#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

namespace vistrel {

class StepContext;

// The second half of the download step: the package is unpacked into a staging folder inside the
// install root (unzip checks every entry's checksum as it writes it), its digest is checked, and
// only a whole, sound package is moved in (PackageSwap). Nothing of the installation is replaced
// before that.
class PackageUnpacking {
public:
    explicit PackageUnpacking(StepContext &context)
        : m_context(context) {}

    // Throws vistrel::Error: a "DownloadError" for a damaged package (removed), an
    // "ExtractionError" otherwise (the package stays in the temporary folder for a look).
    QCoro::Task<void> run(DownloadedPackage package);

    // The damage unzip reports in its standard error (entries written below folder), as the
    // error's description; nothing when it reports none.
    static std::optional<QString> damageReport(const QString &unzipErrors, const QString &folder);

private:
    StepContext &m_context;
};

} // namespace vistrel
