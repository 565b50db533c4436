#include "installation.h"

#include "common/paths.h"
#include "common/plist.h"
#include "testenv.h"

#include <QProcess>

#include <unistd.h>

namespace vistrel::test::installation {

QStringList serverEntries() {
    return {QStringLiteral("TarvikService.app"), QStringLiteral("ffmpeg7"), QStringLiteral("Plugins"),
            QStringLiteral("tarvik-update.sh"), QStringLiteral("Tarvik")};
}

bool writeMinimal(const QString &home) {
    const QString root = paths::installRoot(home);
    const QString plist =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                       "<key>Label</key><string>%1</string>\n"
                       "<key>ProgramArguments</key><array><string>%2</string></array>\n</dict>\n</plist>\n")
            .arg(QString::fromUtf16(paths::launchAgentLabel),
                 xmlEscape(root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik")));
    return writeFile(root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik"), "#!/bin/sh\n") &&
           writeFile(root + QStringLiteral("/ffmpeg7/lib/libavcodec.dylib"), "lib") &&
           writeFile(root + QStringLiteral("/Plugins/onvif/plugin.bin"), "plugin") &&
           writeFile(root + QStringLiteral("/tarvik-update.sh"), "#!/bin/sh\n") &&
           writeFile(root + QStringLiteral("/Tarvik/cache.db"), "cache") && writeFile(paths::portFile(home), "8090") &&
           writeFile(paths::browserScript(home), "#!/bin/bash\n") &&
           writeFile(root + QStringLiteral("/notes.txt"), "kept") &&
           writeFile(paths::launcherApp(home) + QStringLiteral("/Contents/MacOS/Vistrel"), "app") &&
           writeFile(paths::launchAgentPlist(home), plist.toUtf8()) && writeFile(paths::languageFile(home), "de\n") &&
           writeFile(root + QStringLiteral("/Media/Recordings/cam1.mp4"), "footage") &&
           writeFile(paths::serverLog(home), "started\n") && writeFile(paths::serverErrorLog(home), "");
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
