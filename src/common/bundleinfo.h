#pragma once

#include <QString>

#include <optional>

namespace vistrel {

// The bundle around an executable that lives in <bundle>/Contents/MacOS; empty otherwise.
QString bundlePathForExecutableDir(const QString &executableDir);

// The bundle around the running executable ("the main bundle"); empty when it runs outside one.
QString mainBundlePath();

// A text value of <bundle>/Contents/Info.plist; nothing when the file, the key or a text is missing.
std::optional<QString> bundleInfoString(const QString &bundlePath, const QString &key);

// The main bundle's CFBundleShortVersionString, or nothing.
std::optional<QString> appVersion();

} // namespace vistrel
