#include "servicerig.h"

#include "common/diagnostics.h"
#include "common/paths.h"
#include "testenv.h"

#include <QDir>

namespace vistrel::test {

Timing fastTiming() {
    Timing timing = Timing{}.scaled(10);
    timing.probeTimeout = std::chrono::milliseconds(3000);
    return timing;
}

ServiceRig::ServiceRig(Timing timing) {
    if (!m_root.isValid() || !QDir().mkpath(home()) || !server.listen())
        return;
    platform.home = home();
    {
        // The language line is not what these tests look at.
        DiagnosticCapture quiet([](const QString &) {});
        m_localization = std::make_unique<LauncherLocalizationManager>(platform);
    }
    m_manager = std::make_unique<ServiceManager>(platform, *m_localization, timing);
    QObject::connect(m_manager.get(), &ServiceManager::statusChanged, m_manager.get(),
                     [this] { m_published.append(m_manager->status().description()); });
    m_ready = true;
}

ServiceRig::~ServiceRig() = default;

bool ServiceRig::writePortFile(const QByteArray &content) {
    return writeFile(paths::portFile(home()), content);
}

QStringList ServiceRig::takePublished() {
    return std::exchange(m_published, {});
}

} // namespace vistrel::test
