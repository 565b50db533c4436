#include "installation.h"

#include "common/paths.h"
#include "common/shellquote.h"
#include "testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

namespace vistrel::test::installation {

namespace {

bool run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The plist the installer writes, running the server from the install root, and the user's items.
bool writeCommonItems(const QString &home) {
    const QString root = paths::installRoot(home);
    const QString plist =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                       "<key>Label</key><string>%1</string>\n"
                       "<key>ProgramArguments</key><array><string>%2</string></array>\n"
                       "<key>WorkingDirectory</key><string>%3</string>\n"
                       "<key>RunAtLoad</key><true/>\n<key>KeepAlive</key><true/>\n"
                       "<key>StandardOutPath</key><string>%4</string>\n"
                       "<key>StandardErrorPath</key><string>%5</string>\n</dict>\n</plist>\n")
            .arg(QString::fromUtf16(paths::launchAgentLabel),
                 xmlEscape(root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik")), xmlEscape(root),
                 xmlEscape(paths::serverLog(home)), xmlEscape(paths::serverErrorLog(home)));
    return writeFile(paths::launchAgentPlist(home), plist.toUtf8()) && writeFile(paths::languageFile(home), "de\n") &&
           writeFile(root + QStringLiteral("/Media/Recordings/cam1.mp4"), "footage") &&
           writeFile(paths::serverLog(home), "started\n") && writeFile(paths::serverErrorLog(home), "");
}

} // namespace

QStringList serverEntries() {
    return {QStringLiteral("TarvikService.app"), QStringLiteral("ffmpeg7"), QStringLiteral("Plugins"),
            QStringLiteral("tarvik-update.sh"), QStringLiteral("Tarvik")};
}

bool writeMinimal(const QString &home) {
    const QString root = paths::installRoot(home);
    return writeFile(root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik"), "#!/bin/sh\n") &&
           writeFile(root + QStringLiteral("/ffmpeg7/lib/libavcodec.dylib"), "lib") &&
           writeFile(root + QStringLiteral("/Plugins/onvif/plugin.bin"), "plugin") &&
           writeFile(root + QStringLiteral("/tarvik-update.sh"), "#!/bin/sh\n") &&
           writeFile(root + QStringLiteral("/Tarvik/cache.db"), "cache") && writeFile(paths::portFile(home), "8090") &&
           writeFile(paths::browserScript(home), "#!/bin/bash\n") &&
           writeFile(root + QStringLiteral("/notes.txt"), "kept") &&
           writeFile(paths::launcherApp(home) + QStringLiteral("/Contents/MacOS/Vistrel"), "app") &&
           writeCommonItems(home);
}

bool installFromDemoPackage(const QString &home, quint16 port) {
    const QString root = paths::installRoot(home);
    const QString launcherParent = QFileInfo(paths::launcherApp(home)).absolutePath();
    return QDir().mkpath(root) &&
           run(QStringLiteral("/usr/bin/unzip"),
               {QStringLiteral("-o"), QStringLiteral("-q"), demoPackage(), QStringLiteral("-d"), root}) &&
           writeFile(paths::portFile(home), QByteArray::number(port)) && QDir().mkpath(launcherParent) &&
           run(QStringLiteral("/bin/cp"), {QStringLiteral("-R"), launcherBundle(), paths::launcherApp(home)}) &&
           writeCommonItems(home);
}

QString userDomain() {
    return QStringLiteral("gui/%1").arg(::getuid());
}

int runLaunchctl(const QStringList &arguments, QString *output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(launchctlTool(), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitCode();
}

QStringList keptItems(const QString &home) {
    const QString root = paths::installRoot(home);
    return {root, paths::portFile(home), root + QStringLiteral("/Media/Recordings/cam1.mp4"),
            paths::languageFile(home)};
}

} // namespace vistrel::test::installation
