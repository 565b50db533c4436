#include "uninstallercontroller.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

namespace vistrel {

UninstallerController::UninstallerController(Platform &platform, Timing timing, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_timing(timing)
    , m_exit([](int status) {
        std::fflush(nullptr);
        std::_Exit(status);
    }) {}

UninstallerController::~UninstallerController() = default;

UninstallService *UninstallerController::newService() {
    if (runInProgress())
        return m_current.get();
    m_current = UninstallService::create(m_platform, m_timing);
    ++m_servicesCreated;
    emit serviceCreated(m_current.get());
    return m_current.get();
}

void UninstallerController::release(UninstallService *service) {
    if (service && service == m_current.get() && !runInProgress())
        m_current.reset();
}

QString UninstallerController::logText(const QStringList &lines) {
    return lines.join(u'\n');
}

void UninstallerController::copyLog(const QStringList &lines) {
    m_platform.setClipboardText(logText(lines));
}

void UninstallerController::closeAfterUninstall() {
    m_exit(0);
}

} // namespace vistrel
