#pragma once

#include "fakeplatform.h"
#include "pictures.h"
#include "testenv.h"

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

// The launcher's real window over the real models in a temporary home with a fake platform.
// Polling is on but its timer never fires during a test.
class LauncherRig {
public:
    // languageFile: lang.txt's text (empty: no file). The default bundle has no icon picture.
    explicit LauncherRig(QByteArray languageFile = "en", LauncherAppInfo appInfo = {QStringLiteral("1.0.0"), {}});
    ~LauncherRig();

    QString home() const { return m_root.path() + QStringLiteral("/home"); }
    // Loads the window and waits for the end of the first full check. False on failure.
    bool load();
    // Brings up the uninstaller sheet with the main window's button.
    bool openSheet();

    QQuickWindow *window() const { return m_window; }
    QQuickWindow *sheet() const; // while open
    // The item with this object name in the main window or the sheet.
    QQuickItem *item(const QString &objectName) const;
    // Present and effectively visible in a visible window.
    bool isShown(const QString &objectName) const;
    QStringList shownOf(const QStringList &objectNames) const;
    // A real click at the item's centre, scrolled into view. False when it is not shown.
    bool click(const QString &objectName);
    QString text(const QString &objectName) const;

    FakePlatform platform;
    QList<int> exitRequests; // what the success card's Close asked the process to end with
    std::unique_ptr<LauncherLocalizationManager> localization;
    std::unique_ptr<ServiceManager> manager;
    std::unique_ptr<UninstallerController> uninstaller;
    std::unique_ptr<LauncherController> controller;

private:
    QByteArray m_languageFile;
    LauncherAppInfo m_appInfo;
    QTemporaryDir m_root;
    HeldPort m_port; // the port file's: nothing answers there, whatever else runs on the machine
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
};

// A launchctl for the platform to name: it records the arguments of each call but print, waits
// while held, and fails with a warning when told.
class RecordingLaunchctl {
public:
    RecordingLaunchctl();
    ~RecordingLaunchctl();
    QString path() const;
    QStringList calls() const;
    void hold(bool on);
    void fail();

private:
    QTemporaryDir m_folder;
};

// The languages the pictures are taken in: columns languageFile (lang.txt) and folder (the code).
void addLanguageRows();

// Pictures under <build>/screenshots/launcher/<folder>, raw keys looked up in the English table.
Pictures launcherPictures(const QString &folder);

} // namespace vistrel::test
