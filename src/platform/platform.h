#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

namespace vistrel {

enum class CaptureKind { Video, Audio };

// Capture authorization values as the system reports them.
namespace capture {
inline constexpr int notDetermined = 0;
inline constexpr int restricted = 1;
inline constexpr int denied = 2;
inline constexpr int authorized = 3;
} // namespace capture

// Everything the programs need from the operating system beyond files, processes and HTTP. The
// models get one injected; the programs pass SystemPlatform, tests pass a fake.
class Platform {
public:
    virtual ~Platform() = default;

    // The current user's home folder, as the system reports it.
    virtual QString homeDirectory() const = 0;
    // Absolute path of the service manager's command-line tool.
    virtual QString launchctlPath() const = 0;
    // A file the service manager rewrites whenever our job changes state; empty where it shows no
    // such thing (then polling alone follows the server).
    virtual QString serviceStateFile() const { return {}; }
    // Hands a URL to the desktop (browser, settings). False when nothing took it.
    virtual bool openUrl(const QUrl &url) = 0;
    // Starts the application bundle with this identifier from ~/Applications or /Applications.
    virtual bool openApplication(const QString &bundleIdentifier) = 0;
    // 0 not determined, 1 restricted, 2 denied, 3 authorized.
    virtual int captureAuthorization(CaptureKind kind) const = 0;
    // The user's preferred language identifiers, most preferred first.
    virtual QStringList preferredLanguages() const = 0;
    // The program's own per-user settings.
    virtual QVariant userDefault(const QString &key) const = 0;
    virtual void setUserDefault(const QString &key, const QVariant &value) = 0;
    virtual void setClipboardText(const QString &text) = 0;
    // The normal end of the application (closes its window).
    virtual void terminateApplication() = 0;

    // Where the system does not find bundles in ~/Applications and agents in
    // ~/Library/LaunchAgents by itself, the desktop is told about them. These defaults are for a
    // system that does (nothing to do). Each returns an error text, empty on success.
    //
    // Offers an installed application bundle in the desktop's application menu, with its icon.
    virtual QString addToApplicationMenu(const QString &bundlePath, const QString &comment,
                                         const QStringList &categories) {
        Q_UNUSED(bundlePath);
        Q_UNUSED(comment);
        Q_UNUSED(categories);
        return {};
    }
    virtual QString removeFromApplicationMenu(const QString &bundleIdentifier) {
        Q_UNUSED(bundleIdentifier);
        return {};
    }
    // Has the service-manager tool launchctl load the RunAtLoad agents again at each login; name
    // names this arrangement for removeAgentsAtLogin.
    virtual QString loadAgentsAtLogin(const QString &name, const QString &launchctl) {
        Q_UNUSED(name);
        Q_UNUSED(launchctl);
        return {};
    }
    virtual QString removeAgentsAtLogin(const QString &name) {
        Q_UNUSED(name);
        return {};
    }
    // The files the two above write, so that a run can give them back as they were.
    virtual QStringList applicationMenuFiles(const QString &bundleIdentifier) const {
        Q_UNUSED(bundleIdentifier);
        return {};
    }
    virtual QStringList agentsAtLoginFiles(const QString &name) const {
        Q_UNUSED(name);
        return {};
    }
};

} // namespace vistrel
