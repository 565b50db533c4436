#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace vistrel {

// Limits of what is read: a property list of ours is a few kilobytes and a few levels deep.
inline constexpr qint64 maxPlistBytes = 1 << 20;
inline constexpr int maxPlistDepth = 64;

// Reads an XML property list: dict (QVariantMap), array (QVariantList), string, integer (qint64),
// real (double), true/false (bool), date and data (as text). Anything else, XML that is not well
// formed, more than maxPlistBytes or values nested deeper than maxPlistDepth give nothing and a
// reason in *error.
std::optional<QVariant> parsePlist(const QByteArray &xml, QString *error = nullptr);

// The plist at path, read within the same limits (a larger file is not read at all).
std::optional<QVariant> readPlist(const QString &path, QString *error = nullptr);

// The top-level dictionary of the plist at path; empty when the file is missing or refused
// (the reason in *error).
QVariantMap readPlistFile(const QString &path, QString *error = nullptr);

// The five XML special characters as entities, for text written into a plist.
QString xmlEscape(const QString &text);

} // namespace vistrel
