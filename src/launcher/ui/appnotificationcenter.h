#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace vistrel {

// The in-process notification center of the launcher. The menu command posts "showUninstaller";
// the main view listens and presents the uninstaller. Posting is the only contract between them.
class AppNotificationCenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The program makes the notification center")

public:
    using QObject::QObject;

    Q_INVOKABLE void postShowUninstaller() { emit showUninstaller(); }

signals:
    void showUninstaller();
};

} // namespace vistrel
