#pragma once

#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/service/captureaccess.h"
#include "launcher/service/jobaccount.h"
#include "launcher/service/servicemanager.h"
#include "launcher/uninstall/uninstallservice.h"

#include <QtQml/qqml.h>

namespace vistrel {

// The models the launcher's views show, as QML types, so that view properties are typed. The
// controller owns them; the uninstaller controller makes an uninstall service per sheet.
struct ServiceManagerForeign {
    Q_GADGET
    QML_FOREIGN(vistrel::ServiceManager)
    QML_NAMED_ELEMENT(ServiceManager)
    QML_UNCREATABLE("The launcher controller owns the service manager")
};

struct JobAccountForeign {
    Q_GADGET
    QML_FOREIGN(vistrel::JobAccount)
    QML_NAMED_ELEMENT(JobAccount)
    QML_UNCREATABLE("The service manager owns the job account")
};

struct CaptureAccessForeign {
    Q_GADGET
    QML_FOREIGN(vistrel::CaptureAccess)
    QML_NAMED_ELEMENT(CaptureAccess)
    QML_UNCREATABLE("The launcher controller owns the capture access")
};

struct UninstallServiceForeign {
    Q_GADGET
    QML_FOREIGN(vistrel::UninstallService)
    QML_NAMED_ELEMENT(UninstallService)
    QML_UNCREATABLE("The uninstaller controller makes uninstall services")
};

struct LauncherLocalizationManagerForeign {
    Q_GADGET
    QML_FOREIGN(vistrel::LauncherLocalizationManager)
    QML_NAMED_ELEMENT(LauncherLocalizationManager)
    QML_UNCREATABLE("The launcher controller owns the localization manager")
};

} // namespace vistrel
