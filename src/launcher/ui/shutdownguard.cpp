#include "shutdownguard.h"

#include "common/terminationsignals.h"
#include "launcher/service/servicemanager.h"

#include <QCoreApplication>
#include <QEvent>

namespace vistrel {

ShutdownGuard::ShutdownGuard(ServiceManager &serviceManager, QObject *parent)
    : QObject(parent)
    , m_serviceManager(serviceManager) {
    m_pending.setSingleShot(true);
    m_pending.setInterval(serviceManager.timing().commandTimeout);
    connect(&m_pending, &QTimer::timeout, this, &ShutdownGuard::quitNow);
    connect(&serviceManager, &ServiceManager::operationsFinished, this, [this] {
        if (m_pending.isActive())
            quitNow();
    });
    QCoreApplication::instance()->installEventFilter(this);
    handleTerminationSignals([](int) { QCoreApplication::quit(); }, true);
}

ShutdownGuard::~ShutdownGuard() {
    stopHandlingTerminationSignals();
}

void ShutdownGuard::cancelPendingQuit() {
    m_pending.stop();
}

bool ShutdownGuard::eventFilter(QObject *watched, QEvent *event) {
    // Every quit (the last window closed, the menu, a signal, the hand-over to a browser) comes
    // to the application as this event.
    if (event->type() != QEvent::Quit || watched != QCoreApplication::instance() || m_quitting ||
        m_serviceManager.operationsUnderWay() == 0)
        return false;
    if (!m_pending.isActive())
        m_pending.start();
    return true;
}

void ShutdownGuard::quitNow() {
    m_pending.stop();
    // Once let through, every later quit is too: no quit is held twice.
    m_quitting = true;
    QCoreApplication::quit();
}

} // namespace vistrel
