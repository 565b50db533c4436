#pragma once

#include "platform.h"

namespace vistrel {

// The real platform. On Linux the service manager is the stand-in shipped in the launcher
// bundle's Contents/Helpers.
class SystemPlatform : public Platform {
public:
    // bundlePath: the running program's bundle (defaults to the main bundle); settingsName: the
    // name under which the program keeps its user defaults.
    explicit SystemPlatform(QString settingsName, QString bundlePath = {});

    QString homeDirectory() const override;
    QString launchctlPath() const override;
    QString serviceStateFile() const override;
    bool openUrl(const QUrl &url) override;
    bool openApplication(const QString &bundleIdentifier) override;
    int captureAuthorization(CaptureKind kind) const override;
    QStringList preferredLanguages() const override;
    QVariant userDefault(const QString &key) const override;
    void setUserDefault(const QString &key, const QVariant &value) override;
    void setClipboardText(const QString &text) override;
    void terminateApplication() override;
#ifndef Q_OS_MACOS
    // The freedesktop entries; macOS finds bundles and agents by itself (the base class's nothing).
    QString addToApplicationMenu(const QString &bundlePath, const QString &comment,
                                 const QStringList &categories) override;
    QString removeFromApplicationMenu(const QString &bundleIdentifier) override;
    QString loadAgentsAtLogin(const QString &name, const QString &launchctl) override;
    QString removeAgentsAtLogin(const QString &name) override;
    QStringList applicationMenuFiles(const QString &bundleIdentifier) const override;
    QStringList agentsAtLoginFiles(const QString &name) const override;
#endif

    // The bundle in ~/Applications or /Applications (under home) with this identifier; empty if none.
    static QString findApplicationBundle(const QString &home, const QString &bundleIdentifier);
    // Starts a bundle's CFBundleExecutable detached from this process.
    static bool launchBundle(const QString &bundlePath);

private:
    QString m_settingsName;
    QString m_bundlePath;
};

} // namespace vistrel
