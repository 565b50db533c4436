#include "launchagentsetup.h"

#include "installererrors.h"
#include "stepcontext.h"

#include "common/paths.h"
#include "common/plist.h"
#include "platform/platform.h"

#include <QFileInfo>
#include <QSaveFile>

namespace vistrel {

namespace {

// Agents are loaded again at login by the service-manager tool of the installed launcher (the
// installer's own copy may be deleted once it has run).
std::optional<QString> loadAgentAtLogin(Platform &platform, const QString &home) {
    const QString launchctl = paths::launcherApp(home) + QStringLiteral("/Contents/Helpers/launchctl");
    const QString error = platform.loadAgentsAtLogin(QString::fromUtf16(paths::launchAgentLabel), launchctl);
    if (error.isEmpty())
        return std::nullopt;
    return QStringLiteral("⚠️ Could not set the service to start at login: ") + error;
}

} // namespace

QString LaunchAgentSetup::plistText(const QString &executable, const QString &installRoot,
                                    const QString &executableFolder, const QString &home) {
    const QString libraryPath = executableFolder + QStringLiteral("/ffmpeg7/lib:") + executableFolder +
                                QStringLiteral(":/usr/local/lib:/opt/homebrew/lib");
    // Paths are escaped: a home folder with & or < would otherwise make a plist that does not parse.
    const QStringList lines = {
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"),
        QStringLiteral("<plist version=\"1.0\">"),
        QStringLiteral("<dict>"),
        QStringLiteral("    <key>Label</key>"),
        QStringLiteral("    <string>") + QString::fromUtf16(paths::launchAgentLabel) + QStringLiteral("</string>"),
        QStringLiteral("    <key>ProcessType</key>"),
        QStringLiteral("    <string>Interactive</string>"),
        QStringLiteral("    <key>Nice</key>"),
        QStringLiteral("    <integer>-10</integer>"),
        QStringLiteral("    <key>LowPriorityIO</key>"),
        QStringLiteral("    <false/>"),
        QStringLiteral("    <key>ProgramArguments</key>"),
        QStringLiteral("    <array>"),
        QStringLiteral("        <string>") + xmlEscape(executable) + QStringLiteral("</string>"),
        QStringLiteral("    </array>"),
        QStringLiteral("    <key>NSHighResolutionCapable</key>"),
        QStringLiteral("    <string>True</string>"),
        QStringLiteral("    <key>EnvironmentVariables</key>"),
        QStringLiteral("    <dict>"),
        QStringLiteral("        <key>PATH</key>"),
        QStringLiteral("        <string>/usr/bin:/bin:/usr/sbin:/sbin</string>"),
        QStringLiteral("        <key>DYLD_LIBRARY_PATH</key>"),
        QStringLiteral("        <string>") + xmlEscape(libraryPath) + QStringLiteral("</string>"),
        QStringLiteral("    </dict>"),
        QStringLiteral("    <key>RunAtLoad</key><true/>"),
        QStringLiteral("    <key>KeepAlive</key><true/>"),
        QStringLiteral("    <key>StandardOutPath</key><string>") + xmlEscape(paths::serverLog(home)) +
            QStringLiteral("</string>"),
        QStringLiteral("    <key>StandardErrorPath</key><string>") + xmlEscape(paths::serverErrorLog(home)) +
            QStringLiteral("</string>"),
        QStringLiteral("    <key>WorkingDirectory</key><string>") + xmlEscape(installRoot) +
            QStringLiteral("</string> "),
        QStringLiteral("</dict>"),
        QStringLiteral("</plist>"),
    };
    return lines.join(u'\n');
}

QCoro::Task<void> LaunchAgentSetup::run() {
    m_context.log(QStringLiteral("Configuring user-level service (LaunchAgent)..."));
    const QString home = m_context.home();
    const QString root = paths::installRoot(home);
    const QString executableFolder = root + QStringLiteral("/TarvikService.app/Contents/MacOS");
    const QString executable = executableFolder + QStringLiteral("/Tarvik");
    const QString plist = paths::launchAgentPlist(home);

    const FileOperationResult folder = m_context.makeFolder(QFileInfo(plist).absolutePath());
    if (!folder.ok)
        throw installerError::file(folder);
    m_context.record({StepContext::fileRecord(plist)});
    QSaveFile file(plist);
    const QByteArray bytes = plistText(executable, root, executableFolder, home).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Error(QStringLiteral("NSCocoaErrorDomain"), 512,
                    QStringLiteral("\u201C%1\u201D couldn\u2019t be saved: %2")
                        .arg(QFileInfo(plist).fileName(), file.errorString()));
    m_context.log(QStringLiteral("User service configured at ") + plist);
    QList<UndoRecord> entries;
    for (const QString &entry : m_context.platform().agentsAtLoginFiles(QString::fromUtf16(paths::launchAgentLabel))) {
        if (const std::optional<UndoRecord> folders = StepContext::folderRecord(QFileInfo(entry).absolutePath()))
            entries.append(*folders);
        entries.append(StepContext::fileRecord(entry));
    }
    m_context.record(entries);
    if (const std::optional<QString> warning = loadAgentAtLogin(m_context.platform(), home))
        m_context.log(*warning);
    m_context.log(QStringLiteral("Loading and starting service..."));

    const std::optional<QString> uid = co_await currentUserID();
    m_context.checkpoint();
    if (!uid || uid->isEmpty())
        throw installerError::install(installerError::noUserId, QStringLiteral("Could not determine current user ID."));
    m_context.record({UndoRecord::unload(*uid)});
    const LaunchAgent agent = m_context.launchAgent();
    // Usually a failure means an agent with this label is still loaded; the restart settles it.
    const bool started = !(co_await agent.bootstrap(*uid)).failure();
    m_context.checkpoint();
    if (started) {
        m_context.log(QStringLiteral("✅ Service started successfully."));
        co_return;
    }

    m_context.log(QStringLiteral("Service may already be loaded. Restarting..."));
    co_await agent.bootout(*uid, agent.reachableTarget());
    co_await m_context.pause(m_context.timing().restartGap);
    const LaunchctlCall restarted = co_await agent.bootstrap(*uid);
    m_context.checkpoint();
    if (const std::optional<Error> failure = restarted.failure())
        throw *failure; // this failure is the step's
    m_context.log(QStringLiteral("✅ Service restarted successfully."));
}

} // namespace vistrel
