#include "desktopentries.h"

#include "common/bundleinfo.h"
#include "common/fileoperations.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

namespace vistrel::desktop {

namespace {

QString xdgFolder(const char *variable, const QString &fallback) {
    const QString value = qEnvironmentVariable(variable);
    return !value.isEmpty() && QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : fallback;
}

// A value of type string: the escapes the format defines, so that no character can end the line.
QString escapeValue(const QString &value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

// Replaces whatever is at path (a link is replaced, never followed) with bytes.
QString writeFile(const QString &path, const QByteArray &bytes) {
    const FileOperationResult folder = createFolder(QFileInfo(path).absolutePath());
    if (!folder.ok)
        return folder.description;
    if (QFileInfo(path).isSymLink()) {
        const FileOperationResult link = removeIfPresent(path);
        if (!link.ok)
            return link.description;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    return {};
}

QString writeEntry(const QString &path, const QStringList &lines) {
    return writeFile(path, (QStringLiteral("[Desktop Entry]\n") + lines.join(u'\n') + u'\n').toUtf8());
}

QString removeFile(const QString &path) {
    const FileOperationResult result = removeIfPresent(path);
    return result.ok ? QString() : result.description;
}

// The Exec value: the program and its arguments, each one argument whatever it holds.
QString execLine(const QString &program, const QStringList &arguments) {
    // GLib looks the program up before it turns %% into %, and finds no program with %% in its
    // path; env would take a path with = for an assignment. The shell starts it as it is.
    QString line;
    if (program.contains(u'%') || program.contains(u'='))
        line = QStringLiteral("/bin/sh -c ") + execArgument(QStringLiteral("exec \"$0\" \"$@\"")) + u' ';
    line += execArgument(program);
    for (const QString &argument : arguments)
        line += u' ' + execArgument(argument);
    return line;
}

} // namespace

QString dataHome(const QString &home) {
    return xdgFolder("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
}

QString configHome(const QString &home) {
    return xdgFolder("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
}

QString applicationEntryPath(const QString &home, const QString &bundleIdentifier) {
    return dataHome(home) + QStringLiteral("/applications/") + bundleIdentifier + QStringLiteral(".desktop");
}

QString autostartEntryPath(const QString &home, const QString &name) {
    return configHome(home) + QStringLiteral("/autostart/") + name + QStringLiteral(".desktop");
}

QString iconPath(const QString &home, int size, const QString &iconName) {
    return dataHome(home) + QStringLiteral("/icons/hicolor/%1x%1/apps/").arg(size) + iconName + QStringLiteral(".png");
}

QString execArgument(const QString &argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%') // a literal percent sign, not a field code
            quoted += u'%';
        quoted += c;
    }
    return escapeValue(quoted + u'"');
}

QString addApplication(const QString &home, const QString &bundlePath, const QString &comment,
                       const QStringList &categories) {
    const QString identifier = bundleInfoString(bundlePath, QStringLiteral("CFBundleIdentifier")).value_or(QString());
    const QString executable = bundleInfoString(bundlePath, QStringLiteral("CFBundleExecutable")).value_or(QString());
    if (identifier.isEmpty() || executable.isEmpty())
        return QStringLiteral("%1 names no identifier or executable").arg(bundlePath);
    const QString name = bundleInfoString(bundlePath, QStringLiteral("CFBundleName")).value_or(executable);
    const QString program = bundlePath + QStringLiteral("/Contents/MacOS/") + executable;

    const QImage icon(bundlePath + QStringLiteral("/Contents/Resources/AppIcon.png"));
    if (!icon.isNull()) {
        for (const int size : iconSizes) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            icon.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(&buffer, "PNG");
            if (QString error = writeFile(iconPath(home, size, identifier), png); !error.isEmpty())
                return error;
        }
    }
    return writeEntry(applicationEntryPath(home, identifier),
                      {
                          QStringLiteral("Type=Application"),
                          QStringLiteral("Name=") + escapeValue(name),
                          QStringLiteral("Comment=") + escapeValue(comment),
                          QStringLiteral("Exec=") + execLine(program, {}),
                          // Hidden from the menu when the bundle is gone.
                          QStringLiteral("TryExec=") + escapeValue(program),
                          QStringLiteral("Icon=") + identifier,
                          QStringLiteral("Terminal=false"),
                          QStringLiteral("Categories=") + categories.join(u';') + u';',
                          QStringLiteral("StartupWMClass=") + escapeValue(executable),
                      });
}

QString removeApplication(const QString &home, const QString &bundleIdentifier) {
    QString error = removeFile(applicationEntryPath(home, bundleIdentifier));
    // Every size, also one an older version wrote.
    const QDir theme(dataHome(home) + QStringLiteral("/icons/hicolor"));
    for (const QString &size : theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString icon =
            theme.filePath(size) + QStringLiteral("/apps/") + bundleIdentifier + QStringLiteral(".png");
        if (QString failed = removeFile(icon); error.isEmpty())
            error = failed;
    }
    return error;
}

QString addAutostart(const QString &home, const QString &name, const QString &title, const QString &program,
                     const QStringList &arguments) {
    const QString exec = execLine(program, arguments);
    return writeEntry(autostartEntryPath(home, name), {
                                                          QStringLiteral("Type=Application"),
                                                          QStringLiteral("Name=") + escapeValue(title),
                                                          QStringLiteral("Exec=") + exec,
                                                          QStringLiteral("TryExec=") + escapeValue(program),
                                                          QStringLiteral("Terminal=false"),
                                                      });
}

QString removeAutostart(const QString &home, const QString &name) {
    return removeFile(autostartEntryPath(home, name));
}

} // namespace vistrel::desktop
