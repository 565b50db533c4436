#include "installedfiles.h"

#include "stepcontext.h"

#include "common/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

namespace vistrel {

namespace {

// Writes text as UTF-8 without byte-order mark or line break, replacing the file as a whole.
bool writeTextAtomically(const QString &path, const QString &text, QString *error) {
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

std::filesystem::path fsPath(const QString &path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Where path really is once every link is followed; the deepest part that exists decides where
// the rest will be made. Empty when a link leads nowhere (writing would make its target).
QString realPath(QString path) {
    QString rest;
    while (!QFileInfo(path).isSymLink() && !QFileInfo::exists(path) && QFileInfo(path).absolutePath() != path) {
        rest.prepend(u'/' + QFileInfo(path).fileName());
        path = QFileInfo(path).absolutePath();
    }
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? QString() : real + rest;
}

// True when writing at path cannot land outside root through a link on the way (or at path).
bool staysInside(const QString &root, const QString &path) {
    const QString realRoot = realPath(root);
    const QString real = realPath(path);
    return !realRoot.isEmpty() && !real.isEmpty() && (real == realRoot || real.startsWith(realRoot + u'/'));
}

const QString outsideRoot = QStringLiteral("it leads outside the installation folder");

} // namespace

QCoro::Task<void> InstalledFiles::prepare() {
    const QString root = m_context.installRoot();
    m_context.log(QStringLiteral("Applying permissions to Vistrel files..."));
    m_context.log(QStringLiteral("Stripping Gatekeeper Quarantine flags..."));
    // Where there is no xattr or nothing to strip, there is nothing to say; only a hang is.
    const QString xattr = QStringLiteral("/usr/bin/xattr");
    const QStringList strip{QStringLiteral("-rd"), QStringLiteral("com.apple.quarantine"), root};
    if ((co_await m_context.process(xattr, strip, ChildOutput::CaptureMerged, m_context.timing().commandTimeout))
            .timedOut)
        m_context.log(QStringLiteral("⚠️ Warning: Could not run quarantine strip."));

    m_context.log(QStringLiteral("Restoring execution permissions..."));
    const QString server = root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik");
    const QString relay = root + QStringLiteral("/TarvikService.app/Contents/MacOS/TURN/turnserver");
    constexpr auto executable = std::filesystem::perms(0755);
    std::error_code permissionError;
    QString permissionProblem;
    // Permissions follow links: one that leads out of the root is not touched.
    const auto makeExecutable = [&](const QString &file) {
        if (!staysInside(root, file))
            permissionProblem = file + QStringLiteral(": ") + outsideRoot;
        else
            std::filesystem::permissions(fsPath(file), executable, permissionError);
        if (permissionError)
            permissionProblem = QString::fromLocal8Bit(permissionError.message());
        return permissionProblem.isEmpty();
    };
    bool permissionsOk = true;
    if (QFileInfo::exists(server))
        permissionsOk = makeExecutable(server);
    else
        m_context.log(QStringLiteral("⚠️ Warning: Tarvik binary not found at ") + server);
    // A failure on the server leaves the relay alone.
    if (permissionsOk && QFileInfo::exists(relay))
        makeExecutable(relay);
    if (!permissionProblem.isEmpty())
        m_context.log(QStringLiteral("⚠️ Error setting binary permissions: ") + permissionProblem);

    try {
        const QString find = QStringLiteral("/usr/bin/find");
        const QStringList scripts{root,
                                  QStringLiteral("-name"),
                                  QStringLiteral("*.sh"),
                                  QStringLiteral("-type"),
                                  QStringLiteral("f"),
                                  QStringLiteral("-exec"),
                                  QStringLiteral("chmod"),
                                  QStringLiteral("+x"),
                                  QStringLiteral("{}"),
                                  QStringLiteral(";")};
        co_await m_context.command(find, scripts);
    } catch (const Error &e) {
        if (e.code() == StepContext::interruptedCode && m_context.interrupted())
            throw;
        m_context.log(QStringLiteral("⚠️ Error setting script permissions: ") + e.description());
    }

    m_context.log(QStringLiteral("Creating default port configuration..."));
    const QString portText = m_portText.isEmpty() ? QString::fromUtf16(paths::defaultPortText) : m_portText;
    const QString portFile = paths::portFile(m_context.home());
    QString writeError;
    bool portWritten = staysInside(root, portFile);
    if (portWritten) {
        const std::optional<UndoRecord> folders = StepContext::folderRecord(QFileInfo(portFile).absolutePath());
        m_context.record(folders ? QList{*folders, StepContext::fileRecord(portFile)}
                                 : QList{StepContext::fileRecord(portFile)});
        portWritten =
            QDir().mkpath(QFileInfo(portFile).absolutePath()) && writeTextAtomically(portFile, portText, &writeError);
    }
    if (portWritten)
        m_context.log(QStringLiteral("Port configured to: ") + portText);
    else
        m_context.log(QStringLiteral("⚠️ Could not write port.txt file. The service will use its default port."));

    m_context.log(QStringLiteral("Writing language configuration..."));
    const QString languageFile = paths::languageFile(m_context.home());
    QString languageError = outsideRoot;
    bool languageWritten = staysInside(root, languageFile);
    if (languageWritten) {
        m_context.record({StepContext::fileRecord(languageFile)});
        languageWritten = writeTextAtomically(languageFile, m_language, &languageError);
    }
    if (languageWritten)
        m_context.log(QStringLiteral("Language set to: ") + m_language);
    else
        m_context.log(QStringLiteral("⚠️ Could not write lang.txt file: ") + languageError);

    m_context.log(QStringLiteral("Files ready at: ") + root);
}

} // namespace vistrel
