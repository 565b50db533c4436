#pragma once

#include <QByteArray>
#include <QFuture>
#include <QString>

#include <memory>

namespace vistrel {

// The SHA-256 of a file being written, computed on a thread of its own that follows the writer
// through the file (what was just written is still in memory), so that hashing overlaps the
// transfer and what follows it (the unpacking) instead of adding to them, and no copy of the
// data waits in memory for it.
class BackgroundDigest {
public:
    explicit BackgroundDigest(const QString &path);
    // An unfinished digest is abandoned: its thread stops.
    ~BackgroundDigest();
    BackgroundDigest(const BackgroundDigest &) = delete;
    BackgroundDigest &operator=(const BackgroundDigest &) = delete;

    // The file now holds this many bytes.
    void written(qint64 bytes);
    // No more bytes come: the base64 digest of the file, once hashed (empty when it could not be read).
    QFuture<QByteArray> finish();

private:
    struct State;
    std::shared_ptr<State> m_state;
    QFuture<QByteArray> m_result;
};

} // namespace vistrel
