#include "enginetesthelpers.h"

#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace vistrel::test {

namespace {

QCoro::Task<void> capture(QCoro::Task<void> task, std::optional<Error> &error) {
    try {
        co_await std::move(task);
    } catch (const Error &e) {
        error = e;
    } catch (const std::exception &e) {
        error = Error(QStringLiteral("std::exception"), 0, QString::fromLocal8Bit(e.what()));
    }
}

} // namespace

std::optional<Error> runStep(QCoro::Task<void> task) {
    std::optional<Error> error;
    QCoro::waitFor(capture(std::move(task), error));
    return error;
}

QString makePackage(const QString &folder, const QList<PackageFile> &files) {
    // Names may climb out of the stage, so the stage sits two levels down in its own folder.
    const QString stage = folder + QStringLiteral("/stage/a/b");
    QDir(folder + QStringLiteral("/stage")).removeRecursively();
    if (!QDir().mkpath(stage))
        return {};
    QStringList names;
    for (const PackageFile &file : files) {
        const QString path = QDir::cleanPath(stage + u'/' + file.path);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (file.isLink) {
            if (!QFile::link(QString::fromUtf8(file.bytes), path))
                return {};
        } else {
            if (!writeFile(path, file.bytes))
                return {};
            QFile::setPermissions(path, QFileDevice::Permissions((file.mode & 0400 ? QFileDevice::ReadOwner : 0) |
                                                                 (file.mode & 0200 ? QFileDevice::WriteOwner : 0) |
                                                                 (file.mode & 0100 ? QFileDevice::ExeOwner : 0) |
                                                                 (file.mode & 0040 ? QFileDevice::ReadGroup : 0) |
                                                                 (file.mode & 0010 ? QFileDevice::ExeGroup : 0) |
                                                                 (file.mode & 0004 ? QFileDevice::ReadOther : 0) |
                                                                 (file.mode & 0001 ? QFileDevice::ExeOther : 0)));
        }
        names.append(file.path);
    }
    static int serial = 0;
    const QString zipPath = folder + QStringLiteral("/package-%1.zip").arg(++serial);
    QProcess zip;
    zip.setWorkingDirectory(stage);
    zip.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q"), QStringLiteral("-y"), zipPath} + names);
    if (!zip.waitForFinished(60000) || zip.exitStatus() != QProcess::NormalExit || zip.exitCode() != 0)
        return {};
    return zipPath;
}

QStringList filesStartingWith(const QString &folder, const QString &prefix) {
    return QDir(folder).entryList({prefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace vistrel::test
