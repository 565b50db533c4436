#include "fileoperations.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace vistrel {

namespace fs = std::filesystem;

namespace {

fs::path fsPath(const QString &path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

FileOperationResult failure(const std::error_code &ec, const QString &description) {
    FileOperationResult result;
    result.ok = false;
    result.errorCode = ec.value();
    result.description = description + QString::fromLocal8Bit(ec.message());
    return result;
}

QString quotedName(const QString &path) {
    return QStringLiteral("\u201C%1\u201D").arg(QFileInfo(path).fileName());
}

} // namespace

FileOperationResult createFolder(const QString &path) {
    std::error_code ec;
    fs::create_directories(fsPath(path), ec);
    if (ec)
        return failure(ec, QStringLiteral("The folder %1 couldn\u2019t be created: ").arg(quotedName(path)));
    return {};
}

FileOperationResult removeIfPresent(const QString &path) {
    const fs::path target = fsPath(path);
    std::error_code ec;
    // symlink_status looks at the entry itself, so a dangling link counts as present too.
    const fs::file_status status = fs::symlink_status(target, ec);
    if (status.type() == fs::file_type::not_found)
        return {};
    const QString what = QStringLiteral("%1 couldn\u2019t be removed: ").arg(quotedName(path));
    if (ec)
        return failure(ec, what);
    fs::remove_all(target, ec);
    if (ec)
        return failure(ec, what);
    FileOperationResult result;
    result.existed = true;
    return result;
}

FileOperationResult copyBundle(const QString &source, const QString &target) {
    std::error_code ec;
    fs::copy(fsPath(source), fsPath(target), fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (!ec)
        return {};
    std::error_code ignored;
    fs::remove_all(fsPath(target), ignored);
    return failure(ec, QStringLiteral("%1 couldn\u2019t be copied to %2: ")
                           .arg(quotedName(source), quotedName(QFileInfo(target).absolutePath())));
}

} // namespace vistrel
