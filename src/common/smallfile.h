#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vistrel {

// The most a settings file of ours (port, language) may hold.
inline constexpr qint64 smallFileLimit = 4096;

// Reads a small regular file without ever blocking: a FIFO, a device, a folder, a file larger
// than limit or anything that cannot be read gives nothing, and why in *reason when asked (a
// predicate: "couldn’t be opened: …" or "couldn’t be read: …").
std::optional<QByteArray> readSmallFile(const QString &path, qint64 limit = smallFileLimit, QString *reason = nullptr);

// A value from a file, fit to print on one line: control characters dropped, at most maxLength
// characters (cut with an ellipsis).
QString printableExcerpt(const QString &text, qsizetype maxLength = 64);

} // namespace vistrel
