#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vistrel {

// A regular file opened for reading without ever blocking. A FIFO, a device, a socket or a folder
// at the path is refused before it is opened (opening a FIFO for reading would release a writer
// waiting on it), and one swapped in meanwhile is refused after.
class RegularFile {
public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    // False, and why in *reason (a predicate: "couldn’t be opened: …" or "couldn’t be read: …").
    bool open(const QString &path, QString *reason = nullptr);
    bool isOpen() const { return m_fd >= 0; }
    // The size when it was opened.
    qint64 size() const { return m_size; }
    // Up to length bytes from offset (fewer at the end); nothing on a read error, and why.
    std::optional<QByteArray> read(qint64 offset, qint64 length, QString *reason = nullptr) const;

private:
    int m_fd = -1;
    qint64 m_size = 0;
};

} // namespace vistrel
