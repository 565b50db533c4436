#include "systemplatform.h"

#include "common/bundleinfo.h"
#include "common/diagnostics.h"
#include "common/paths.h"
#include "common/plist.h"
#include "common/privatefiles.h"
#include "desktopentries.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <unistd.h>

namespace vistrel {

SystemPlatform::SystemPlatform(QString settingsName, QString bundlePath)
    : m_settingsName(std::move(settingsName))
    , m_bundlePath(bundlePath.isEmpty() ? mainBundlePath() : std::move(bundlePath)) {}

QString SystemPlatform::homeDirectory() const {
    return QDir::homePath();
}

QString SystemPlatform::launchctlPath() const {
#ifdef Q_OS_MACOS
    return QStringLiteral("/bin/launchctl");
#else
    // The launcher carries the stand-in itself; the installer finds it in the launcher it carries.
    const QStringList candidates = {
        m_bundlePath + QStringLiteral("/Contents/Helpers/launchctl"),
        m_bundlePath + QStringLiteral("/Contents/Resources/Vistrel.app/Contents/Helpers/launchctl"),
    };
    for (const QString &candidate : candidates) {
        if (!m_bundlePath.isEmpty() && QFileInfo(candidate).isExecutable())
            return candidate;
    }
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("launchctl"));
    return onPath.isEmpty() ? QStringLiteral("/bin/launchctl") : onPath;
#endif
}

QString SystemPlatform::serviceStateFile() const {
#ifdef Q_OS_MACOS
    return {};
#else
    // The stand-in's domain holds one state file per loaded job, rewritten at every change and
    // named after the label (ours needs no escaping).
    QString unusable;
    const QString runtime = userRuntimeFolder(&unusable);
    if (runtime.isEmpty())
        return {}; // the stand-in cannot run either; polling tells
    return runtime + QStringLiteral("/vistrel-launchctl/job-") + QString::fromUtf16(paths::launchAgentLabel) +
           QStringLiteral(".json");
#endif
}

bool SystemPlatform::openUrl(const QUrl &url) {
#ifndef Q_OS_MACOS
    if (url.scheme() == u"x-apple.systempreferences") {
        // The desktop's own privacy settings, where the desktop has them; otherwise nothing.
        const QString settings = QStandardPaths::findExecutable(QStringLiteral("gnome-control-center"));
        if (settings.isEmpty())
            return false;
        return QProcess::startDetached(settings, {QStringLiteral("privacy")});
    }
#endif
    return QDesktopServices::openUrl(url);
}

QString SystemPlatform::findApplicationBundle(const QString &home, const QString &bundleIdentifier) {
    for (const QString &folder : {home + QStringLiteral("/Applications"), QStringLiteral("/Applications")}) {
        const QDir dir(folder);
        const QStringList bundles = dir.entryList({QStringLiteral("*.app")}, QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : bundles) {
            const QString bundle = dir.filePath(name);
            const QString infoPlist = bundle + QStringLiteral("/Contents/Info.plist");
            QString refusal;
            const QVariantMap info = readPlistFile(infoPlist, &refusal);
            const QVariant identifier = info.value(QStringLiteral("CFBundleIdentifier"));
            if (identifier.typeId() == QMetaType::QString && identifier.toString() == bundleIdentifier)
                return bundle;
            // A bundle whose Info.plist cannot be read is no candidate; say why it was passed over.
            if (info.isEmpty() && QFileInfo::exists(infoPlist))
                printLine(QStringLiteral("Skipping %1: %2").arg(bundle, refusal));
        }
    }
    return {};
}

bool SystemPlatform::launchBundle(const QString &bundlePath) {
    const auto executable = bundleInfoString(bundlePath, QStringLiteral("CFBundleExecutable"));
    if (!executable || executable->isEmpty())
        return false;
    const QString program = bundlePath + QStringLiteral("/Contents/MacOS/") + *executable;
    if (!QFileInfo(program).isExecutable())
        return false;
    return QProcess::startDetached(program, {}, bundlePath);
}

bool SystemPlatform::openApplication(const QString &bundleIdentifier) {
#ifdef Q_OS_MACOS
    return QProcess::startDetached(QStringLiteral("/usr/bin/open"), {QStringLiteral("-b"), bundleIdentifier});
#else
    const QString bundle = findApplicationBundle(homeDirectory(), bundleIdentifier);
    return !bundle.isEmpty() && launchBundle(bundle);
#endif
}

int SystemPlatform::captureAuthorization(CaptureKind kind) const {
#ifdef Q_OS_MACOS
    Q_UNUSED(kind);
    return capture::notDetermined;
#else
    // A device node that exists decides between authorized and denied by whether we may open it.
    QStringList devices;
    if (kind == CaptureKind::Video) {
        devices = QDir(QStringLiteral("/dev")).entryList({QStringLiteral("video*")}, QDir::System);
        for (QString &d : devices)
            d.prepend(u"/dev/");
    } else {
        devices = QDir(QStringLiteral("/dev/snd")).entryList({QStringLiteral("pcmC*D*c")}, QDir::System);
        for (QString &d : devices)
            d.prepend(u"/dev/snd/");
    }
    if (devices.isEmpty())
        return capture::notDetermined;
    for (const QString &device : devices) {
        if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0)
            return capture::authorized;
    }
    return capture::denied;
#endif
}

QStringList SystemPlatform::preferredLanguages() const {
    return QLocale::system().uiLanguages();
}

QVariant SystemPlatform::userDefault(const QString &key) const {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("qelvonet"), m_settingsName);
    return settings.value(key);
}

void SystemPlatform::setUserDefault(const QString &key, const QVariant &value) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("qelvonet"), m_settingsName);
    settings.setValue(key, value);
}

void SystemPlatform::setClipboardText(const QString &text) {
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        app->clipboard()->setText(text);
}

void SystemPlatform::terminateApplication() {
    QCoreApplication::quit();
}

#ifndef Q_OS_MACOS
QString SystemPlatform::addToApplicationMenu(const QString &bundlePath, const QString &comment,
                                             const QStringList &categories) {
    return desktop::addApplication(homeDirectory(), bundlePath, comment, categories);
}

QString SystemPlatform::removeFromApplicationMenu(const QString &bundleIdentifier) {
    return desktop::removeApplication(homeDirectory(), bundleIdentifier);
}

QString SystemPlatform::loadAgentsAtLogin(const QString &name, const QString &launchctl) {
    return desktop::addAutostart(homeDirectory(), name, QStringLiteral("Vistrel service"), launchctl,
                                 {QStringLiteral("autostart")});
}

QString SystemPlatform::removeAgentsAtLogin(const QString &name) {
    return desktop::removeAutostart(homeDirectory(), name);
}

QStringList SystemPlatform::applicationMenuFiles(const QString &bundleIdentifier) const {
    QStringList files{desktop::applicationEntryPath(homeDirectory(), bundleIdentifier)};
    for (const int size : desktop::iconSizes)
        files.append(desktop::iconPath(homeDirectory(), size, bundleIdentifier));
    return files;
}

QStringList SystemPlatform::agentsAtLoginFiles(const QString &name) const {
    return {desktop::autostartEntryPath(homeDirectory(), name)};
}
#endif

} // namespace vistrel
