#include "webinterface.h"

#include "common/diagnostics.h"
#include "common/paths.h"
#include "platform/platform.h"

#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace vistrel {

WebInterface::WebInterface(Platform &platform, std::function<qint64()> port, std::chrono::milliseconds quitDelay,
                           QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_port(std::move(port))
    , m_quitDelay(quitDelay) {}

void WebInterface::open() {
    printLine(QStringLiteral("🚀 Attempting to launch browser..."));
    const QString installRoot = paths::installRoot(m_platform.homeDirectory());
    const QString script = installRoot + QStringLiteral("/open_browser_macos.sh");
    if (!QFileInfo::exists(script)) {
        printLine(QStringLiteral("❌ Could not find script at: ") + script);
        openDefaultBrowser();
        return;
    }
    printLine(QStringLiteral("✅ Script found. Preparing to execute."));
    // Not waited for: the script outlives the launcher, which quits shortly.
    QProcess process;
    process.setProgram(QStringLiteral("/bin/bash"));
    process.setArguments({script});
    process.setWorkingDirectory(installRoot);
    if (!process.startDetached()) {
        printLine(QStringLiteral("❌ Failed to run script: ") + process.errorString());
        openDefaultBrowser();
        return;
    }
    printLine(QStringLiteral("✅ Launch script executed successfully."));
    scheduleTermination();
}

void WebInterface::openDefaultBrowser() {
    const qint64 port = m_port();
    printLine(QStringLiteral(" Falling back to default browser with port %1...").arg(port));
    m_platform.openUrl(QUrl(QStringLiteral("http://localhost:%1").arg(port)));
    scheduleTermination();
}

void WebInterface::scheduleTermination() {
    Platform *platform = &m_platform;
    QTimer::singleShot(m_quitDelay, Qt::PreciseTimer, this, [platform] { platform->terminateApplication(); });
}

} // namespace vistrel
