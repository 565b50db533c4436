#pragma once

#include "fakeplatform.h"

#include "common/timing.h"
#include "installer/engine/installationservice.h"
#include "installer/localization/localizationmanager.h"
#include "installer/ui/installerui.h"

#include <QImage>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <memory>

namespace vistrel::test {

// The installer's real window over the real models, with a fake platform, offscreen.
class WindowRig {
public:
    explicit WindowRig(const QString &home = {}, Timing timing = Timing{}.scaled(10), InstallerAppInfo info = {});
    ~WindowRig();

    bool isLoaded() const { return window != nullptr; }

    // The visible item with this objectName, searched through the whole item tree (popups
    // included); nullptr when there is none.
    QQuickItem *find(const QString &objectName) const;
    QList<QQuickItem *> findAll(const QString &objectName) const;
    // Shown on screen: present, effectively visible and not faded out.
    bool shows(const QString &objectName) const;
    QString text(const QString &objectName) const;

    // A real click at the centre of the item.
    void click(QQuickItem *item) const;
    // Types the text into the focused item, one key press per character.
    void type(const QString &text) const;
    // Opens the language menu and picks the language.
    bool chooseLanguage(const QString &code) const;

    QImage grab() const;

    QTemporaryDir homeDir;
    FakePlatform platform;
    std::unique_ptr<LocalizationManager> localization;
    std::shared_ptr<InstallationService> service;
    std::unique_ptr<QQmlApplicationEngine> engine;
    QQuickWindow *window = nullptr;
};

} // namespace vistrel::test
