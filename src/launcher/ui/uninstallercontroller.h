#pragma once

#include "common/timing.h"
#include "launcher/uninstall/uninstallservice.h"

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

namespace vistrel {

class Platform;

// The uninstaller sheet's side in C++: a fresh UninstallService each time the sheet opens (held
// here, shared with a run that may outlive the sheet), the log copy and the end of the process.
class UninstallerController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The program makes the uninstaller controller")

public:
    explicit UninstallerController(Platform &platform, Timing timing = {}, QObject *parent = nullptr);
    ~UninstallerController() override;

    // A new service in its initial state; the one handed out before is let go. While a run goes
    // on, that run's service instead: there is never a second run beside it.
    Q_INVOKABLE vistrel::UninstallService *newService();
    // The sheet that used this service has closed. A run under way keeps the service alive.
    Q_INVOKABLE void release(vistrel::UninstallService *service);
    // An uninstall is running: neither its window nor the launcher may be closed meanwhile.
    Q_INVOKABLE bool runInProgress() const { return m_current && m_current->isRunning(); }
    UninstallService *currentService() const { return m_current.get(); }
    int servicesCreated() const { return m_servicesCreated; }

    // Puts the log on the clipboard: the lines joined with single line feeds, none at the end.
    Q_INVOKABLE void copyLog(const QStringList &lines);
    static QString logText(const QStringList &lines);

    // Ends the process at once with status 0: no confirmation, no clean-up (the launcher's own
    // bundle may already be gone).
    Q_INVOKABLE void closeAfterUninstall();
    using ExitFunction = std::function<void(int status)>;
    // Tests record the request instead of ending.
    void setExitFunction(ExitFunction exit) { m_exit = std::move(exit); }

signals:
    void serviceCreated(vistrel::UninstallService *service);

private:
    Platform &m_platform;
    Timing m_timing;
    std::shared_ptr<UninstallService> m_current;
    int m_servicesCreated = 0;
    ExitFunction m_exit;
};

} // namespace vistrel
