#pragma once

#include "fakeplatform.h"

#include "common/timing.h"
#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/service/servicemanager.h"
#include "launcher/ui/launchercontroller.h"
#include "launcher/ui/uninstallercontroller.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <memory>

namespace vistrel::test {

// The launcher's real window over the real models in a temporary home with a fake platform:
// what the view tests and the screenshots drive.
class LauncherRig {
public:
    struct Options {
        // The language file's text (the server's codes); empty: no file.
        QByteArray languageFile = "en";
        // The bundle facts; the default has no icon picture and the fallback version.
        LauncherAppInfo appInfo{QStringLiteral("1.0.0"), QString()};
        // Polling stays out of the way unless a test asks for its real pace.
        Timing timing = quietTiming();
    };

    // Short waits, a polling timer that does not fire during a test.
    static Timing quietTiming();

    LauncherRig();
    explicit LauncherRig(Options options);
    ~LauncherRig();
    LauncherRig(const LauncherRig &) = delete;
    LauncherRig &operator=(const LauncherRig &) = delete;

    QString home() const { return m_root.path() + QStringLiteral("/home"); }

    // Loads the window and waits until the first full check has ended. False on failure.
    bool load();
    // Ends the window (as closing it does), keeping the models.
    void closeWindow();

    QQuickWindow *window() const { return m_window; }
    // The uninstaller sheet's window while it is open.
    QQuickWindow *sheet() const;

    // The item with this object name in the main window or the sheet; null when absent.
    QQuickItem *item(const QString &objectName) const;
    // Present and effectively visible (itself and every ancestor) in a visible window.
    bool isShown(const QString &objectName) const;
    // The names among these that are shown.
    QStringList shownOf(const QStringList &objectNames) const;
    // A real mouse click at the item's centre. False when it is not shown.
    bool click(const QString &objectName);
    QString text(const QString &objectName) const;

    // Every visible text item's text in a window.
    static QStringList visibleTexts(QQuickWindow *window);

    FakePlatform platform;
    // What the success card's close asked the process to end with (it does not end here).
    QList<int> exitRequests;
    LauncherLocalizationManager &localization() { return *m_localization; }
    ServiceManager &serviceManager() { return *m_serviceManager; }
    UninstallerController &uninstaller() { return *m_uninstaller; }
    LauncherController &controller() { return *m_controller; }
    QQmlApplicationEngine &engine() { return *m_engine; }

private:
    Options m_options;
    QTemporaryDir m_root;
    std::unique_ptr<LauncherLocalizationManager> m_localization;
    std::unique_ptr<ServiceManager> m_serviceManager;
    std::unique_ptr<UninstallerController> m_uninstaller;
    std::unique_ptr<LauncherController> m_controller;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
};

// Depth-first search by object name through visual children and plain children.
QQuickItem *findItem(QQuickItem *root, const QString &objectName);

} // namespace vistrel::test
