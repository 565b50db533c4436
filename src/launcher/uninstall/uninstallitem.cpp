#include "uninstallitem.h"

namespace vistrel {

QList<UninstallItem> UninstallItem::confirmationList() {
    return {
        {QStringLiteral("stop.circle"), QStringLiteral("uninstall.item.stopService")},
        {QStringLiteral("trash"), QStringLiteral("uninstall.item.removeLaunchAgent")},
        {QStringLiteral("folder.badge.minus"), QStringLiteral("uninstall.item.removeFiles")},
        {QStringLiteral("app.dashed"), QStringLiteral("uninstall.item.removeLauncher")},
        {QStringLiteral("text.badge.xmark"), QStringLiteral("uninstall.item.cleanupLogs")},
    };
}

} // namespace vistrel
