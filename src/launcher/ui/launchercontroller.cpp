#include "launchercontroller.h"

#include "common/bundleinfo.h"
#include "launcher/ui/appdelegate.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageReader>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <algorithm>

namespace vistrel {

namespace {

QString installedOrDefault(const QString &family) {
    if (QFontDatabase::hasFamily(family))
        return family;
    return QGuiApplication::font().family();
}

} // namespace

LauncherAppInfo LauncherAppInfo::fromBundle(const QString &bundlePath) {
    LauncherAppInfo info;
    info.version =
        bundleInfoString(bundlePath, QStringLiteral("CFBundleShortVersionString")).value_or(QStringLiteral("1.0.0"));
    if (!bundlePath.isEmpty()) {
        const QString icon = bundlePath + QStringLiteral("/Contents/Resources/AppIcon.png");
        // Only a file that really holds a picture counts; otherwise the header draws its symbol.
        if (QImageReader(icon).canRead())
            info.iconPath = icon;
    }
    return info;
}

LauncherAppInfo LauncherAppInfo::fromMainBundle() {
    return fromBundle(mainBundlePath());
}

LauncherController::LauncherController(Platform &platform, LauncherLocalizationManager &localization,
                                       ServiceManager &serviceManager, UninstallerController &uninstaller,
                                       LauncherAppInfo info, QObject *parent)
    : QObject(parent)
    , m_localization(localization)
    , m_serviceManager(serviceManager)
    , m_uninstaller(uninstaller)
    , m_captureAccess(new CaptureAccess(platform, this))
    , m_webInterface(new WebInterface(
          platform, [&serviceManager] { return serviceManager.shownPort(); }, serviceManager.timing().quitDelay, this))
    , m_info(std::move(info))
    , m_clock([] { return QDateTime::currentDateTime(); }) {
    connect(&m_localization, &LauncherLocalizationManager::currentLanguageChanged, this,
            &LauncherController::fontsChanged);
}

QString LauncherController::fontFamily() const {
    return fontFamilyFor(m_localization.currentLanguage());
}

QString LauncherController::monoFontFamily() const {
    return monoFontFamilyFor(m_localization.currentLanguage());
}

QString LauncherController::fontFamilyFor(const QString &language) {
    if (language == u"ja")
        return installedOrDefault(QStringLiteral("Noto Sans CJK JP"));
    if (language == u"zh-Hans")
        return installedOrDefault(QStringLiteral("Noto Sans CJK SC"));
    return installedOrDefault(QStringLiteral("Noto Sans"));
}

QString LauncherController::monoFontFamilyFor(const QString &language) {
    if (language == u"ja")
        return installedOrDefault(QStringLiteral("Noto Sans Mono CJK JP"));
    if (language == u"zh-Hans")
        return installedOrDefault(QStringLiteral("Noto Sans Mono CJK SC"));
    const QString mono = QStringLiteral("DejaVu Sans Mono");
    return QFontDatabase::hasFamily(mono) ? mono : QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

qint64 LauncherController::secondsBetween(const QDateTime &from, const QDateTime &to) {
    // Integer division truncates toward zero. A clock set back since the check would give a
    // negative age; it reads as no time at all.
    return std::max<qint64>(0, from.msecsTo(to) / 1000);
}

QString LauncherController::checkAgeText(const LauncherLocalizationManager &localization, qint64 seconds) {
    if (seconds > 59)
        return localization.formatWithInteger(QStringLiteral("general.timeAgo.minutes"), seconds / 60);
    return localization.formatWithInteger(QStringLiteral("general.timeAgo.seconds"), seconds);
}

QString LauncherController::lastCheckText(const QDateTime &lastCheck) const {
    const QString age = checkAgeText(m_localization, secondsBetween(lastCheck, m_clock()));
    return m_localization.formatWithText(QStringLiteral("service.lastCheck"), age);
}

void LauncherController::mainViewShown(QQuickItem *view) {
    m_captureAccess->update();
    m_serviceManager.checkStatus();
    m_serviceManager.startPolling();
    QPointer<QQuickWindow> window = view ? view->window() : nullptr;
    QTimer::singleShot(0, this, [window] {
        if (window)
            AppDelegate::configureMainWindow(window);
    });
}

void LauncherController::mainViewHidden() {
    m_serviceManager.stopPolling();
}

} // namespace vistrel
