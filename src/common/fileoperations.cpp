#include "fileoperations.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

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
    // What another program removed meanwhile is gone all the same; what it left is tried again.
    for (int attempt = 0; ec == std::errc::no_such_file_or_directory && attempt < 3; ++attempt) {
        ec.clear();
        fs::remove_all(target, ec);
    }
    if (ec)
        return failure(ec, what);
    FileOperationResult result;
    result.existed = true;
    return result;
}

FileOperationResult replaceFile(const QString &path, const QByteArray &bytes) {
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".new";
    const auto failed = [&](int error) {
        ::unlink(temporary.constData());
        return failure(std::error_code(error, std::generic_category()),
                       QStringLiteral("%1 couldn\u2019t be saved: ").arg(quotedName(path)));
    };
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return failed(errno);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return failed(error);
        }
        done += n;
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0)
        return failed(errno);
    if (::rename(temporary.constData(), target.constData()) != 0)
        return failed(errno);
    syncFolderOf(path);
    return {};
}

void syncFolderOf(const QString &path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
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
