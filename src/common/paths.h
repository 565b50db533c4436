#pragma once

#include <QString>

#include <optional>

// Where the installation lives in the user's account. Every path is built from the home folder
// the platform reports, by plain concatenation, at the moment it is needed.
namespace vistrel::paths {

inline constexpr char16_t launchAgentLabel[] = u"com.qelvo.vistrel";
inline constexpr char16_t launcherBundleIdentifier[] = u"com.qelvonet.tarvik.launcher";
inline constexpr char16_t defaultPortText[] = u"8090";
inline constexpr qint64 defaultPort = 8090;

// Why home cannot hold an installation; nothing when it can. A home whose name is not valid UTF-8
// (read with U+FFFD in place of its bad bytes) would lead every path to a sibling folder, and
// control characters (C0, DEL, C1, line and paragraph separators) do not survive the plist and
// the desktop entries.
std::optional<QString> homeFolderProblem(const QString &home);

inline QString installRoot(const QString &home) {
    return home + QStringLiteral("/Library/Application Support/Vistrel");
}
inline QString portFile(const QString &home) {
    return installRoot(home) + QStringLiteral("/Media/XML/port.txt");
}
inline QString languageFile(const QString &home) {
    return installRoot(home) + QStringLiteral("/lang.txt");
}
inline QString browserScript(const QString &home) {
    return installRoot(home) + QStringLiteral("/open_browser_macos.sh");
}
inline QString launchAgentPlist(const QString &home) {
    return home + QStringLiteral("/Library/LaunchAgents/com.qelvo.vistrel.plist");
}
inline QString serverLog(const QString &home) {
    return home + QStringLiteral("/Library/Logs/vistrel.log");
}
inline QString serverErrorLog(const QString &home) {
    return home + QStringLiteral("/Library/Logs/vistrel.error.log");
}
inline QString launcherApp(const QString &home) {
    return home + QStringLiteral("/Applications/Vistrel.app");
}

// What a run keeps for itself while it goes: the journal of how to undo it, the package unpacked
// inside the install root before it is moved in, and what it replaced until the new server answers.
inline QString installJournal(const QString &home) {
    return home + QStringLiteral("/.vistrel-install-journal");
}
inline constexpr char16_t stagingFolderName[] = u".vistrel-staging";
inline constexpr char16_t previousFolderName[] = u".vistrel-previous";
inline QString previousLauncherApp(const QString &home) {
    return home + QStringLiteral("/Applications/.Vistrel.app.previous");
}

} // namespace vistrel::paths
