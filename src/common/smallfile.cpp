#include "smallfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

std::optional<QByteArray> readSmallFile(const QString &path, qint64 limit, QString *reason) {
    auto fail = [reason](const QString &why) -> std::optional<QByteArray> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    // Non-blocking: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(QStringLiteral("couldn\u2019t be opened: ") + QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(QStringLiteral("couldn\u2019t be read: it is not a regular file"));
    }
    // One byte beyond the limit tells a file that is too large, whatever its size claims.
    QByteArray bytes;
    char buffer[1024];
    while (bytes.size() <= limit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return fail(QStringLiteral("couldn\u2019t be read: ") + QString::fromLocal8Bit(std::strerror(error)));
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    if (bytes.size() > limit)
        return fail(QStringLiteral("couldn\u2019t be read: it is larger than %1 bytes").arg(limit));
    return bytes;
}

QString printableExcerpt(const QString &text, qsizetype maxLength) {
    QString out;
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            continue;
        if (out.size() >= maxLength) {
            if (out.back().isHighSurrogate())
                out.chop(1);
            out.append(u'\u2026');
            break;
        }
        out.append(c);
    }
    return out;
}

} // namespace vistrel
