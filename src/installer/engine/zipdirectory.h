#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace vistrel {

// One entry of a zip archive, as unzip will unpack it.
struct ZipEntry {
    QByteArray name;
    // False when unzip may write it under another name: the local header or a Unicode path field
    // says otherwise, or bytes beyond ASCII come from neither a Unix maker nor a UTF-8 flag.
    bool nameIsExact = true;
    bool isLink = false;
    // A link's target; nothing when it cannot be read here (encrypted, compressed by another
    // method than deflate, longer than a path).
    std::optional<QByteArray> linkTarget;
    quint64 size = 0; // unpacked
};

// The central directory of a zip archive and the targets of its links, read in one pass over the
// file. Every offset and count it declares is checked against the file: a directory that lies
// makes the archive unreadable, never a read beyond its end.
class ZipDirectory {
public:
    static ZipDirectory read(const QString &path);

    bool isReadable() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    int errorCode() const { return m_errorCode; } // unzip's exit status for such an archive
    const QList<ZipEntry> &entries() const { return m_entries; }

private:
    QList<ZipEntry> m_entries;
    QString m_error;
    int m_errorCode = 0;
};

} // namespace vistrel
