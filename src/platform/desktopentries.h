#pragma once

#include <QString>
#include <QStringList>

// The freedesktop side of the platform: desktop entries in the user's application menu and
// autostart folder, and application icons in the user's hicolor theme.
namespace vistrel::desktop {

// Sizes the launcher's icon is installed in: what menus, docks and task switchers ask for.
inline constexpr int iconSizes[] = {48, 64, 128, 256};

// $XDG_DATA_HOME and $XDG_CONFIG_HOME, or their defaults under home when unset or not absolute.
QString dataHome(const QString &home);
QString configHome(const QString &home);

QString applicationEntryPath(const QString &home, const QString &bundleIdentifier);
QString autostartEntryPath(const QString &home, const QString &name);
QString iconPath(const QString &home, int size, const QString &iconName);

// One Exec argument, quoted and escaped for a string value: any path can be one argument.
QString execArgument(const QString &argument);

// Writes the menu entry and the icons for an application bundle: its name, executable and
// AppIcon.png come from the bundle. An error text, empty on success.
QString addApplication(const QString &home, const QString &bundlePath, const QString &comment,
                       const QStringList &categories);
// Removes the menu entry and every size of the icon written for the identifier.
QString removeApplication(const QString &home, const QString &bundleIdentifier);

// Writes an autostart entry named name that runs program with arguments at each login.
QString addAutostart(const QString &home, const QString &name, const QString &title, const QString &program,
                     const QStringList &arguments);
QString removeAutostart(const QString &home, const QString &name);

} // namespace vistrel::desktop
