#include "installationstep.h"

#include "installer/localization/localizationmanager.h"

#include <QMetaEnum>

namespace vistrel {

QString stepCaseName(InstallationStep step) {
    return QString::fromLatin1(QMetaEnum::fromType<InstallationStep>().valueToKey(stepIndex(step)));
}

QString stepTitleKey(InstallationStep step) {
    return QStringLiteral("step.") + stepCaseName(step) + QStringLiteral(".title");
}

QString stepDescriptionKey(InstallationStep step) {
    return QStringLiteral("step.") + stepCaseName(step) + QStringLiteral(".description");
}

QString stepTitle(InstallationStep step, const LocalizationManager &localization) {
    return localization.localizedString(stepTitleKey(step));
}

QString stepDescription(InstallationStep step, const LocalizationManager &localization) {
    return localization.localizedString(stepDescriptionKey(step));
}

QString stepSymbol(InstallationStep step) {
    switch (step) {
    case InstallationStep::stopServices:
        return QStringLiteral("stop.circle");
    case InstallationStep::downloadTarvik:
        return QStringLiteral("arrow.down.circle");
    case InstallationStep::installTarvik:
        return QStringLiteral("archivebox.fill");
    case InstallationStep::installLauncher:
        return QStringLiteral("app.badge");
    case InstallationStep::setupService:
        return QStringLiteral("gearshape");
    case InstallationStep::verifyService:
        return QStringLiteral("network");
    case InstallationStep::complete:
        return QStringLiteral("checkmark.circle.fill");
    }
    return {};
}

} // namespace vistrel
