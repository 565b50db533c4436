#pragma once

#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/service/captureaccess.h"
#include "launcher/service/servicemanager.h"
#include "launcher/service/webinterface.h"
#include "launcher/ui/appnotificationcenter.h"
#include "launcher/ui/uninstallercontroller.h"

#include <QDateTime>
#include <QObject>
#include <QQuickItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <functional>

namespace vistrel {

// What the launcher shows about itself: the bundle's version and icon.
struct LauncherAppInfo {
    QString version;  // CFBundleShortVersionString, else "1.0.0"
    QString iconPath; // Contents/Resources/AppIcon.png when it holds a picture, else empty

    static LauncherAppInfo fromBundle(const QString &bundlePath);
    static LauncherAppInfo fromMainBundle();
};

// The root of what the launcher's views see: the models, the facts about the bundle, the
// fonts for the active language, and the main view's lifecycle hooks.
class LauncherController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The program makes the controller")
    Q_PROPERTY(vistrel::LauncherLocalizationManager *localization READ localization CONSTANT)
    Q_PROPERTY(vistrel::ServiceManager *serviceManager READ serviceManager CONSTANT)
    Q_PROPERTY(vistrel::CaptureAccess *captureAccess READ captureAccess CONSTANT)
    Q_PROPERTY(vistrel::WebInterface *webInterface READ webInterface CONSTANT)
    Q_PROPERTY(vistrel::AppNotificationCenter *notifications READ notifications CONSTANT)
    Q_PROPERTY(vistrel::UninstallerController *uninstaller READ uninstaller CONSTANT)
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    Q_PROPERTY(bool hasAppIcon READ hasAppIcon CONSTANT)
    Q_PROPERTY(QString fontFamily READ fontFamily NOTIFY fontsChanged)
    Q_PROPERTY(QString monoFontFamily READ monoFontFamily NOTIFY fontsChanged)

public:
    LauncherController(Platform &platform, LauncherLocalizationManager &localization, ServiceManager &serviceManager,
                       UninstallerController &uninstaller, LauncherAppInfo info, QObject *parent = nullptr);

    LauncherLocalizationManager *localization() const { return &m_localization; }
    ServiceManager *serviceManager() const { return &m_serviceManager; }
    CaptureAccess *captureAccess() const { return m_captureAccess; }
    WebInterface *webInterface() const { return m_webInterface; }
    AppNotificationCenter *notifications() const { return const_cast<AppNotificationCenter *>(&m_notifications); }
    UninstallerController *uninstaller() const { return &m_uninstaller; }
    const LauncherAppInfo &appInfo() const { return m_info; }

    // "Launcher v{version}"; the words are fixed, not looked up.
    QString versionText() const { return QStringLiteral("Launcher v") + m_info.version; }
    bool hasAppIcon() const { return !m_info.iconPath.isEmpty(); }

    // Faces that carry the active language's script (Han characters differ between Japanese and
    // Chinese); the desktop's default face where those are not installed.
    QString fontFamily() const;
    QString monoFontFamily() const;
    static QString fontFamilyFor(const QString &language);
    static QString monoFontFamilyFor(const QString &language);

    // The live-monitoring line's second text: "service.lastCheck" with the age of lastCheck as
    // of now. Ages up to 59 s read in seconds, longer ones in whole minutes.
    Q_INVOKABLE QString lastCheckText(const QDateTime &lastCheck) const;
    static QString checkAgeText(const LauncherLocalizationManager &localization, qint64 seconds);
    // Whole seconds from one moment to another, truncated toward zero.
    static qint64 secondsBetween(const QDateTime &from, const QDateTime &to);
    // Tests move "now".
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // The main view was shown: permissions, a full check, polling, then (queued, so that it runs
    // once the window exists) the window's fixed size.
    Q_INVOKABLE void mainViewShown(QQuickItem *view);
    // The main view went away: polling stops.
    Q_INVOKABLE void mainViewHidden();

signals:
    void fontsChanged();

private:
    LauncherLocalizationManager &m_localization;
    ServiceManager &m_serviceManager;
    UninstallerController &m_uninstaller;
    AppNotificationCenter m_notifications;
    CaptureAccess *m_captureAccess;
    WebInterface *m_webInterface;
    LauncherAppInfo m_info;
    std::function<QDateTime()> m_clock;
};

} // namespace vistrel
