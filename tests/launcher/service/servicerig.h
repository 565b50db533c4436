#pragma once

#include "fakeplatform.h"
#include "httpresponder.h"

#include "common/diagnostics.h"
#include "common/paths.h"
#include "common/timing.h"
#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/service/servicemanager.h"
#include "testenv.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace vistrel::test {

// The home's launch agent plist, naming our label (the job is reached through it).
inline bool writeAgentPlist(const QString &home) {
    return writeFile(paths::launchAgentPlist(home),
                     "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>Label</key>"
                     "<string>com.qelvo.vistrel</string></dict></plist>\n");
}

// Short waits for tests; the probe keeps a generous time-out so a busy machine still gets its answer.
inline Timing fastTiming() {
    Timing timing = Timing{}.scaled(10);
    timing.probeTimeout = std::chrono::milliseconds(3000);
    return timing;
}

// A service manager over a temporary home and a fake platform, with a local HTTP server, and the
// states the manager published, in order (as descriptions).
class ServiceRig {
public:
    explicit ServiceRig(Timing timing = fastTiming()) {
        if (!m_root.isValid() || !server.listen() || !writeAgentPlist(home()))
            return;
        platform.home = home();
        DiagnosticCapture quiet([](const QString &) {}); // the language line is not looked at here
        m_localization = std::make_unique<LauncherLocalizationManager>(platform);
        m_manager = std::make_unique<ServiceManager>(platform, *m_localization, timing);
        QObject::connect(m_manager.get(), &ServiceManager::statusChanged, m_manager.get(),
                         [this] { published.append(m_manager->status().description()); });
    }

    bool isReady() const { return m_manager != nullptr; }
    QString home() const { return m_root.path(); }
    ServiceManager &manager() { return *m_manager; }
    // Ends the manager early, as a closed window does.
    void destroyManager() { m_manager.reset(); }

    bool writePortFile(const QByteArray &content) { return writeFile(paths::portFile(home()), content); }
    // The port file names the local server.
    bool pointAtServer() { return writePortFile(QByteArray::number(server.port())); }
    QString running() const { return ServiceStatus::running(server.port()).description(); }

    FakePlatform platform;
    HttpResponder server;
    QStringList published;

private:
    QTemporaryDir m_root;
    std::unique_ptr<LauncherLocalizationManager> m_localization;
    std::unique_ptr<ServiceManager> m_manager;
};

} // namespace vistrel::test
