#pragma once

#include "fakeplatform.h"
#include "httpresponder.h"

#include "common/timing.h"
#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/service/servicemanager.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace vistrel::test {

// Short waits for tests; the probe keeps a generous time-out so a busy machine still gets its answer.
Timing fastTiming();

// A service manager over a temporary home and a fake platform, with a local HTTP server whose
// port the port file names, and the list of states the manager published, in order.
class ServiceRig {
public:
    explicit ServiceRig(Timing timing = fastTiming());
    ~ServiceRig();

    bool isReady() const { return m_ready; }
    QString home() const { return m_root.path() + QStringLiteral("/home"); }
    ServiceManager &manager() { return *m_manager; }
    // Ends the manager early, as a closed window does.
    void destroyManager() { m_manager.reset(); }

    bool writePortFile(const QByteArray &content);
    // The port file names the local server.
    bool pointAtServer() { return writePortFile(QByteArray::number(server.port())); }

    // The published states (as descriptions) since the last call.
    QStringList takePublished();

    FakePlatform platform;
    HttpResponder server;

private:
    QTemporaryDir m_root;
    std::unique_ptr<LauncherLocalizationManager> m_localization;
    std::unique_ptr<ServiceManager> m_manager;
    QStringList m_published;
    bool m_ready = false;
};

} // namespace vistrel::test
