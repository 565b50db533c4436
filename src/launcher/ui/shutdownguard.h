#pragma once

#include <QObject>
#include <QTimer>

namespace vistrel {

class ServiceManager;

// The launcher's orderly end. SIGTERM, SIGINT and SIGHUP quit as closing the window does,
// instead of killing the process wherever it is; a second one ends it at once. A quit, whichever
// way it was asked for, waits until every started Start, Stop and Restart has run its commands
// (at most the command limit), so that a service being loaded is loaded and one being stopped is
// stopped.
class ShutdownGuard : public QObject {
public:
    explicit ShutdownGuard(ServiceManager &serviceManager, QObject *parent = nullptr);
    ~ShutdownGuard() override;

    bool isQuitPending() const { return m_pending.isActive(); }
    // The window was asked for again: a quit still waiting is dropped.
    void cancelPendingQuit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void quitNow();

    ServiceManager &m_serviceManager;
    QTimer m_pending; // runs while a quit waits; its end is the bound
    bool m_quitting = false;
};

} // namespace vistrel
