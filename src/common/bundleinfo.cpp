#include "bundleinfo.h"

#include "plist.h"

#include <QCoreApplication>
#include <QDir>

namespace vistrel {

QString bundlePathForExecutableDir(const QString &executableDir) {
    const QString dir = QDir::cleanPath(executableDir);
    static const QString suffix = QStringLiteral("/Contents/MacOS");
    if (!dir.endsWith(suffix))
        return {};
    return dir.chopped(suffix.size());
}

QString mainBundlePath() {
    return bundlePathForExecutableDir(QCoreApplication::applicationDirPath());
}

std::optional<QString> bundleInfoString(const QString &bundlePath, const QString &key) {
    if (bundlePath.isEmpty())
        return std::nullopt;
    const QVariant value = readPlistFile(bundlePath + QStringLiteral("/Contents/Info.plist")).value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QString> appVersion() {
    return bundleInfoString(mainBundlePath(), QStringLiteral("CFBundleShortVersionString"));
}

} // namespace vistrel
