#include "servicestatus.h"

#include "common/textformat.h"

namespace vistrel {

QString ServiceStatus::name() const {
    switch (m_case) {
    case Case::Running:
        return QStringLiteral("running");
    case Case::Error:
        return QStringLiteral("error");
    case Case::Stopped:
        return QStringLiteral("stopped");
    case Case::Checking:
        return QStringLiteral("checking");
    case Case::Starting:
        return QStringLiteral("starting");
    case Case::Stopping:
        return QStringLiteral("stopping");
    case Case::PermissionsNeeded:
        return QStringLiteral("permissionsNeeded");
    }
    return {};
}

QString ServiceStatus::description() const {
    switch (m_case) {
    case Case::Running:
        return QStringLiteral("running(port: %1)").arg(m_port);
    case Case::Error:
        return QStringLiteral("error(\"%1\")").arg(m_message);
    default:
        return name();
    }
}

QString ServiceStatus::titleKey() const {
    return QStringLiteral("status.") + name();
}

QString ServiceStatus::statusTitle(const StringTable &table) const {
    return lookupText(table, titleKey());
}

std::optional<QString> ServiceStatus::statusDetail(const StringTable &table) const {
    switch (m_case) {
    case Case::Running:
        return formatText(lookupText(table, QStringLiteral("status.runningOnPort")), {m_port});
    case Case::Error:
        return m_message;
    default:
        return std::nullopt;
    }
}

ServiceStatus::ColorRole ServiceStatus::colorRole() const {
    switch (m_case) {
    case Case::Running:
        return ColorRole::Green;
    case Case::Error:
    case Case::Stopped:
        return ColorRole::Red;
    default:
        return ColorRole::Orange;
    }
}

QString ServiceStatus::colorRoleName() const {
    switch (colorRole()) {
    case ColorRole::Green:
        return QStringLiteral("green");
    case ColorRole::Red:
        return QStringLiteral("red");
    case ColorRole::Orange:
        return QStringLiteral("orange");
    }
    return {};
}

bool ServiceStatus::showsProgress() const {
    return m_case == Case::Checking || m_case == Case::Starting;
}

std::chrono::milliseconds ServiceStatus::pollingInterval(const Timing &timing) const {
    return m_case == Case::Starting || m_case == Case::Error ? timing.quickPollingInterval : timing.pollingInterval;
}

bool ServiceStatus::pollingTickActs() const {
    return m_case != Case::PermissionsNeeded;
}

} // namespace vistrel
