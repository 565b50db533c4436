#pragma once

#include "installer/engine/installationservice.h"
#include "installer/localization/localizationmanager.h"

#include <QtQml/qqml.h>

namespace vistrel {

// The models the installer's views show, as QML types, so that view properties are typed. The
// program makes one of each and hands them to the window.
struct InstallationServiceForeign {
    Q_GADGET
    QML_FOREIGN(vistrel::InstallationService)
    QML_NAMED_ELEMENT(InstallationService)
    QML_UNCREATABLE("The program makes the installation service")
};

struct LocalizationManagerForeign {
    Q_GADGET
    QML_FOREIGN(vistrel::LocalizationManager)
    QML_NAMED_ELEMENT(LocalizationManager)
    QML_UNCREATABLE("The program makes the localization manager")
};

} // namespace vistrel
