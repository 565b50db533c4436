#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace vistrel {

// Strict signed 64-bit decimal: an optional leading '+' or '-', then only the digits 0-9.
// A sign alone, any other character, an empty text or overflow give nothing. No trimming.
std::optional<qint64> parseSignedInt64(QStringView text);

// The launcher's reading of the port file's bytes: UTF-8, trimmed at both ends, then the strict
// parse above; anything unreadable or invalid falls back to 8090. No range check.
qint64 portFromFileContent(const std::optional<QByteArray> &content);

// Reads the port file afresh (a small regular file only, see readSmallFile) and applies
// portFromFileContent.
qint64 readPortFile(const QString &path);

// The one port rule: a port a socket can have and a URL can carry, 1 to 65535.
constexpr bool isTcpPort(qint64 port) {
    return port >= 1 && port <= 65535;
}

// Decodes UTF-8 strictly: invalid byte sequences give nothing instead of replacement characters.
std::optional<QString> decodeUtf8(const QByteArray &bytes);

// Reads a whole file; nothing when it cannot be opened or read.
std::optional<QByteArray> readWholeFile(const QString &path);

} // namespace vistrel
