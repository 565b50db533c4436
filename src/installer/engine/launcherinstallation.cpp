#include "launcherinstallation.h"

#include "installererrors.h"
#include "stepcontext.h"

#include "common/paths.h"
#include "platform/platform.h"

#include <QCoro/QCoroFuture>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vistrel {

namespace {

// The launcher where the desktop lists programs. It works without a menu entry, so a failure
// is a warning line, not the step's end.
std::optional<QString> addLauncherToMenu(Platform &platform, const QString &launcher) {
    const QString error =
        platform.addToApplicationMenu(launcher, QStringLiteral("Start, stop and open the Tarvik surveillance server"),
                                      {QStringLiteral("AudioVideo"), QStringLiteral("Video")});
    if (error.isEmpty())
        return std::nullopt;
    return QStringLiteral("⚠️ Could not add Vistrel to the application menu: ") + error;
}

} // namespace

QCoro::Task<void> LauncherInstallation::run() {
    m_context.log(QStringLiteral("Installing Vistrel Launcher app..."));
    const QString source = m_installerBundle + QStringLiteral("/Contents/Resources/Vistrel.app");
    if (m_installerBundle.isEmpty() || !QFileInfo(source).isDir())
        throw installerError::install(installerError::launcherMissing,
                                      QStringLiteral("Launcher app not found in installer bundle."));

    const QString home = m_context.home();
    const QString target = paths::launcherApp(home);
    const FileOperationResult folder = m_context.makeFolder(QFileInfo(target).absolutePath());
    if (!folder.ok)
        throw installerError::file(folder);

    // The earlier launcher waits aside until the run commits; a leftover there is an older one,
    // gone before the undo could take it for ours.
    const QString aside = paths::previousLauncherApp(home);
    if (const FileOperationResult cleared = removeIfPresent(aside); !cleared.ok)
        throw installerError::file(cleared);
    const bool existed = QFileInfo(target).isSymLink() || QFileInfo::exists(target);
    m_context.record({existed ? UndoRecord::putBack(target, aside) : UndoRecord::remove(target)});
    if (existed) {
        if (std::rename(QFile::encodeName(target).constData(), QFile::encodeName(aside).constData()) != 0)
            throw Error(QStringLiteral("NSPOSIXErrorDomain"), errno,
                        QStringLiteral("\u201CVistrel.app\u201D couldn\u2019t be moved aside: ") +
                            QString::fromLocal8Bit(std::strerror(errno)));
        m_context.log(QStringLiteral("Removed existing launcher app"));
    }

    // A bundle is many files: copy it on the thread pool, so the window keeps drawing.
    QFuture<FileOperationResult> copy = QtConcurrent::run(&copyBundle, source, target);
    const FileOperationResult copied = co_await copy;
    m_context.checkpoint();
    if (!copied.ok)
        throw installerError::file(copied);

    const QString chmod = QStringLiteral("/bin/chmod");
    const QStringList executable{QStringLiteral("+x"), target + QStringLiteral("/Contents/MacOS/Vistrel")};
    co_await m_context.command(chmod, executable);
    QList<UndoRecord> entries;
    for (const QString &file :
         m_context.platform().applicationMenuFiles(QString::fromUtf16(paths::launcherBundleIdentifier))) {
        const std::optional<UndoRecord> folders = StepContext::folderRecord(QFileInfo(file).absolutePath());
        if (folders && !entries.contains(*folders))
            entries.append(*folders);
        entries.append(StepContext::fileRecord(file));
    }
    m_context.record(entries);
    if (const std::optional<QString> warning = addLauncherToMenu(m_context.platform(), target))
        m_context.log(*warning);
    m_context.log(QStringLiteral("Launcher app installed to: ") + target);
}

} // namespace vistrel
