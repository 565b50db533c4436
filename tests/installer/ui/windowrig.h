#pragma once

#include "fakeplatform.h"

#include "common/timing.h"
#include "installer/engine/installationservice.h"
#include "installer/localization/localizationmanager.h"
#include "installer/ui/installerui.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <memory>

namespace vistrel::test {

// The installer's real window over the real models, with a fake platform, offscreen.
class WindowRig {
public:
    explicit WindowRig(const QString &home = {}, InstallerAppInfo info = {{}, QStringLiteral("1.0.0")});
    ~WindowRig();

    // Points runs at the service-manager stand-in, the built bundle, this download service and a
    // free port.
    void prepareRuns(const QString &origin);

    // The first item with this objectName in the whole item tree (popups included), or nullptr.
    QQuickItem *find(const QString &objectName) const;
    // Shown on screen: present, effectively visible and not faded out.
    bool shows(const QString &objectName) const;
    QString text(const QString &objectName) const;
    // A real click at the centre of the item.
    void click(QQuickItem *item) const;
    void click(const QString &objectName) const { click(find(objectName)); }
    // Types the text into the focused item, one key press per character.
    void type(const QString &text) const;
    // Opens the language menu and picks the language.
    bool chooseLanguage(const QString &code) const;

    QTemporaryDir homeDir;
    FakePlatform platform;
    std::unique_ptr<LocalizationManager> localization;
    std::shared_ptr<InstallationService> service;
    std::unique_ptr<QQmlApplicationEngine> engine;
    QQuickWindow *window = nullptr;
};

} // namespace vistrel::test
