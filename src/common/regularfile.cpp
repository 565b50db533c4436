#include "regularfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool fail(QString *reason, const QString &why) {
    if (reason)
        *reason = why;
    return false;
}

const QString notRegular = QStringLiteral("couldn\u2019t be read: it is not a regular file");

} // namespace

RegularFile::~RegularFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RegularFile::open(const QString &path, QString *reason) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return fail(reason, QStringLiteral("couldn\u2019t be opened: ") + systemError(errno));
    if (!S_ISREG(st.st_mode))
        return fail(reason, notRegular);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(reason, QStringLiteral("couldn\u2019t be opened: ") + systemError(errno));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(reason, notRegular);
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    m_size = qint64(st.st_size);
    return true;
}

std::optional<QByteArray> RegularFile::read(qint64 offset, qint64 length, QString *reason) const {
    QByteArray bytes(qsizetype(std::max<qint64>(length, 0)), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(m_fd, bytes.data() + done, size_t(bytes.size() - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            fail(reason, QStringLiteral("couldn\u2019t be read: ") + systemError(errno));
            return std::nullopt;
        }
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

} // namespace vistrel
