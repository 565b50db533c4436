#include "enginetesthelpers.h"

#include "common/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <filesystem>

namespace vistrel::test {

namespace fs = std::filesystem;

int modeOf(const QString &path) {
    return int(fs::symlink_status(QFile::encodeName(path).toStdString()).permissions()) & 07777;
}

bool setMode(const QString &path, int mode) {
    std::error_code error;
    fs::permissions(QFile::encodeName(path).toStdString(), fs::perms(mode), error);
    return !error;
}

World::World(const QString &origin, const QString &homeName)
    : home(homeName) {
    platform.home = home.path();
    platform.launchctl = launchctlTool();
    platform.defaults.insert(QStringLiteral("downloadServiceOrigin"), origin);
    service = InstallationService::create(platform, Timing{}.scaled(10));
}

QString World::root() const {
    return paths::installRoot(home.path());
}

QString makePackage(const QString &folder, const QList<PackageFile> &files) {
    // Names may climb out of the stage, so the stage sits two levels down in its own folder.
    const QString stage = folder + QStringLiteral("/stage/a/b");
    QDir(folder + QStringLiteral("/stage")).removeRecursively();
    QStringList names;
    for (const PackageFile &file : files) {
        const QString path = QDir::cleanPath(stage + u'/' + file.path);
        QDir().mkpath(QFileInfo(path).absolutePath());
        const bool made = file.isLink ? QFile::link(QString::fromUtf8(file.bytes), path)
                                      : writeFile(path, file.bytes) && setMode(path, file.mode);
        if (!made)
            return {};
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

} // namespace vistrel::test
