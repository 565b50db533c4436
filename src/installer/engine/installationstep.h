#pragma once

#include <QObject>
#include <QString>

#include <array>

namespace vistrel {

class LocalizationManager;

namespace installation {
Q_NAMESPACE

// The seven steps of a run, in the order a run executes them. A step's position is also the
// progress value while it runs. The case names make the table keys, so they are part of the
// stored texts' contract. (QML does not look up lower-case enumeration keys on the type itself:
// there a case reads InstallationStep.InstallationStep.complete, or a number.)
enum class InstallationStep {
    stopServices,
    downloadTarvik,
    installTarvik,
    installLauncher,
    setupService,
    verifyService,
    complete,
};
Q_ENUM_NS(InstallationStep)

} // namespace installation

using installation::InstallationStep;

inline constexpr std::array<InstallationStep, 7> allInstallationSteps = {
    InstallationStep::stopServices,    InstallationStep::downloadTarvik, InstallationStep::installTarvik,
    InstallationStep::installLauncher, InstallationStep::setupService,   InstallationStep::verifyService,
    InstallationStep::complete,
};

inline constexpr int stepIndex(InstallationStep step) {
    return static_cast<int>(step);
}

// "stopServices", "downloadTarvik", ...
QString stepCaseName(InstallationStep step);
// "step." + case name + ".title" / ".description"
QString stepTitleKey(InstallationStep step);
QString stepDescriptionKey(InstallationStep step);
// The texts of those keys in the manager's current table (the key itself when it is missing).
QString stepTitle(InstallationStep step, const LocalizationManager &localization);
QString stepDescription(InstallationStep step, const LocalizationManager &localization);
// The symbol name the installation screen shows for the step ("stop.circle", ...).
QString stepSymbol(InstallationStep step);

} // namespace vistrel
