#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vistrel {

// The most a settings file of ours (port, language) may hold.
inline constexpr qint64 smallFileLimit = 4096;

// Reads a small regular file without ever blocking (see RegularFile): a FIFO, a device, a folder,
// a file larger than limit or anything that cannot be read gives nothing, and why in *reason when
// asked (a predicate: "couldn’t be opened: …" or "couldn’t be read: …").
std::optional<QByteArray> readSmallFile(const QString &path, qint64 limit = smallFileLimit, QString *reason = nullptr);

// Text from a file, fit to show on one line: terminal escape sequences, control and format
// characters (bidirectional overrides included) dropped, tabs and line or paragraph separators
// made spaces, at most maxLength characters (cut with an ellipsis).
QString printableExcerpt(const QString &text, qsizetype maxLength = 64);

} // namespace vistrel
