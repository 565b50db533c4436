#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace vistrel {

// Reads an XML property list: dict (QVariantMap), array (QVariantList), string, integer (qint64),
// real (double), true/false (bool), date and data (as text). Anything else, or XML that is not
// well formed, gives nothing and a reason in *error.
std::optional<QVariant> parsePlist(const QByteArray &xml, QString *error = nullptr);

// The top-level dictionary of the plist at path; empty when the file is missing or malformed.
QVariantMap readPlistFile(const QString &path);

} // namespace vistrel
