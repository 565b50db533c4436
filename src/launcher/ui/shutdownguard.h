#pragma once

#include <QObject>

class QSocketNotifier;

namespace vistrel {

class ServiceManager;

// The launcher's orderly end. SIGTERM, SIGINT and SIGHUP end the event loop as closing the
// window does, instead of killing the process wherever it is; a second one ends it at once.
// settle() then lets a restart under way run its bootstrap, so a service that was loaded before
// the restart is loaded after it.
class ShutdownGuard : public QObject {
public:
    explicit ShutdownGuard(ServiceManager &serviceManager, QObject *parent = nullptr);
    ~ShutdownGuard() override;

    // Waits on the event loop until no restart is under way.
    void settle();

private:
    void signalArrived();

    ServiceManager &m_serviceManager;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace vistrel
