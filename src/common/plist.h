#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <optional>

namespace vistrel {

// Limits of what is read: a property list of ours is a few kilobytes and a few levels deep.
inline constexpr qint64 maxPlistBytes = 1 << 20;
inline constexpr int maxPlistDepth = 64;

// An <integer> outside the signed 64-bit range, kept as written: readable, never mistaken for a
// number we use.
struct PlistLargeInteger {
    QString text;
    bool operator==(const PlistLargeInteger &) const = default;
};

// Reads an XML property list as the common reference reader does: dict (QVariantMap), array
// (QVariantList), string, integer (qint64, or PlistLargeInteger; decimal or 0x hexadecimal), real
// (double), true/false (bool), date (QDateTime, UTC) and data (QByteArray, decoded). Unknown
// elements are passed over; of two values at the top the last counts; a file without a value
// gives an invalid QVariant. Refused, with the reason in *error: a file that does not begin with
// "<?xml" or "<plist", XML that is not well formed, entity declarations, a malformed value, a
// value or key out of place, more than maxPlistBytes, values nested deeper than maxPlistDepth.
std::optional<QVariant> parsePlist(const QByteArray &xml, QString *error = nullptr);

// The plist at path, read without blocking (a regular file only) and within the same limits.
std::optional<QVariant> readPlist(const QString &path, QString *error = nullptr);

// The top-level dictionary of the plist at path; empty when the file is missing or refused
// (the reason in *error).
QVariantMap readPlistFile(const QString &path, QString *error = nullptr);

// The five XML special characters as entities, for text written into a plist.
QString xmlEscape(const QString &text);

} // namespace vistrel

Q_DECLARE_METATYPE(vistrel::PlistLargeInteger)
