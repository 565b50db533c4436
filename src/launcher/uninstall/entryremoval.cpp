#include "entryremoval.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace vistrel {

namespace {

RemovalResult failure(const QString &path, const std::error_code &ec) {
    const QString reason = QString::fromLocal8Bit(ec.message());
    return {RemovalResult::Failed, ec.value(),
            QStringLiteral("\u201C%1\u201D couldn\u2019t be removed: %2").arg(QFileInfo(path).fileName(), reason)};
}

} // namespace

RemovalResult removeEntry(const QString &path) {
    namespace fs = std::filesystem;
    const fs::path target(QFile::encodeName(path).toStdString());

    std::error_code ec;
    // symlink_status looks at the entry itself, so a link (even a dangling one) counts as present.
    const fs::file_status status = fs::symlink_status(target, ec);
    if (status.type() == fs::file_type::not_found)
        return {};
    if (ec)
        return failure(path, ec);

    // remove_all never follows links: a link at the top or anywhere below is unlinked, not descended.
    fs::remove_all(target, ec);
    if (ec)
        return failure(path, ec);
    return {RemovalResult::Removed, 0, {}};
}

} // namespace vistrel
