#include "zipdirectory.h"

#include <QFile>
#include <QScopeGuard>
#include <QtEndian>

#include <algorithm>
#include <climits>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace vistrel {

namespace {

constexpr quint32 localSignature = 0x04034b50;
constexpr quint32 centralSignature = 0x02014b50;
constexpr quint32 endSignature = 0x06054b50;
constexpr quint32 end64Signature = 0x06064b50;
constexpr quint32 locatorSignature = 0x07064b50;
constexpr quint64 localSize = 30;
constexpr quint64 centralSize = 46;
constexpr quint64 endSize = 22;
constexpr quint64 locatorSize = 20;
constexpr quint64 end64Size = 56;
constexpr quint64 maxCommentSize = 0xffff;

constexpr quint16 zip64Field = 0x0001;
constexpr quint16 unicodePathField = 0x7075;
constexpr quint16 encryptedFlags = 0x0001 | 0x0040; // traditional and strong encryption
constexpr quint16 utf8Flag = 0x0800;
constexpr int unixMaker = 3;
constexpr quint16 stored = 0;
constexpr quint16 deflated = 8;
constexpr quint32 unixTypeMask = 0170000;
constexpr quint32 unixLink = 0120000;

// unzip's exit statuses for the same archives.
constexpr int notAZipStatus = 9;
constexpr int damagedStatus = 3;

// The longest target the system takes for a link; packed, deflate may add a little.
constexpr quint64 maxTargetSize = PATH_MAX - 1;
constexpr quint64 maxPackedTargetSize = 2 * PATH_MAX;

struct Failure {
    int status;
    QString message;
};

Failure damaged(const QString &what) {
    return {damagedStatus, QStringLiteral("The package is not a readable zip archive: %1.").arg(what)};
}

// The extra fields of a header that matter here; nothing when one runs past the end.
struct ExtraFields {
    QByteArrayView zip64;
    QList<QByteArrayView> unicodePaths;
};

std::optional<ExtraFields> parseExtraFields(QByteArrayView extra) {
    ExtraFields fields;
    // Fewer than four bytes left over are padding.
    while (extra.size() >= 4) {
        const quint16 id = qFromLittleEndian<quint16>(extra.data());
        const quint16 size = qFromLittleEndian<quint16>(extra.data() + 2);
        if (size > extra.size() - 4)
            return std::nullopt;
        if (id == zip64Field)
            fields.zip64 = extra.sliced(4, size);
        else if (id == unicodePathField)
            fields.unicodePaths.append(extra.sliced(4, size));
        extra = extra.sliced(4 + size);
    }
    return fields;
}

// A raw deflate stream unpacked; nothing when it is damaged, cut short or longer than limit.
std::optional<QByteArray> inflateRaw(QByteArrayView packed, quint64 limit) {
    z_stream stream = {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    const auto end = qScopeGuard([&] { inflateEnd(&stream); });
    QByteArray bytes(qsizetype(limit) + 1, '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.data()));
    stream.avail_in = uInt(packed.size());
    stream.next_out = reinterpret_cast<Bytef *>(bytes.data());
    stream.avail_out = uInt(bytes.size());
    if (inflate(&stream, Z_FINISH) != Z_STREAM_END || stream.total_out > limit)
        return std::nullopt;
    bytes.truncate(qsizetype(stream.total_out));
    return bytes;
}

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// Reads the mapped archive. Each structure is checked to lie inside the file before a field of it
// is read.
class ArchiveReader {
public:
    explicit ArchiveReader(QByteArrayView file)
        : m_file(file) {}

    std::optional<Failure> read(QList<ZipEntry> &entries) const {
        const std::optional<quint64> end = findEnd();
        if (!end)
            return Failure{notAZipStatus,
                           QStringLiteral("The package is not a zip archive: it has no end of central directory.")};
        if (u16(*end + 20) != size() - *end - endSize)
            return damaged(QStringLiteral("its end record does not close the file"));
        quint64 disk = u16(*end + 4);
        quint64 directoryDisk = u16(*end + 6);
        quint64 countHere = u16(*end + 8);
        quint64 count = u16(*end + 10);
        quint64 directorySize = u32(*end + 12);
        quint64 directoryOffset = u32(*end + 16);
        quint64 directoryEnd = *end;

        if (*end >= locatorSize && u32(*end - locatorSize) == locatorSignature) {
            // ZIP64: the short fields must be at their maximum or agree with the long ones.
            const quint64 locator = *end - locatorSize;
            const quint64 at = u64(locator + 8);
            if (u32(locator + 4) != 0 || u32(locator + 16) > 1)
                return damaged(QStringLiteral("it spans several disks"));
            if (at > locator || locator - at < end64Size || u32(at) != end64Signature ||
                u64(at + 4) != locator - at - 12)
                return damaged(QStringLiteral("its ZIP64 end record is not where its locator says"));
            const auto agree = [](quint64 shortField, quint64 longField, quint64 max) {
                return shortField == max || shortField == longField;
            };
            if (!agree(disk, u32(at + 16), 0xffff) || !agree(directoryDisk, u32(at + 20), 0xffff) ||
                !agree(countHere, u64(at + 24), 0xffff) || !agree(count, u64(at + 32), 0xffff) ||
                !agree(directorySize, u64(at + 40), 0xffffffff) || !agree(directoryOffset, u64(at + 48), 0xffffffff))
                return damaged(QStringLiteral("its two end records disagree"));
            disk = u32(at + 16);
            directoryDisk = u32(at + 20);
            countHere = u64(at + 24);
            count = u64(at + 32);
            directorySize = u64(at + 40);
            directoryOffset = u64(at + 48);
            directoryEnd = at;
        }
        if (disk != 0 || directoryDisk != 0 || countHere != count)
            return damaged(QStringLiteral("it spans several disks"));
        // unzip finds the entries by the directory's place; one that is not right before the end
        // record would move every offset.
        if (directoryOffset > directoryEnd || directorySize != directoryEnd - directoryOffset)
            return damaged(QStringLiteral("its directory is not where its end record says"));

        // unzip reads headers for as long as they follow each other, whatever the count says.
        for (quint64 at = directoryOffset; at < directoryEnd;) {
            const QString where = QStringLiteral("entry %1 ").arg(entries.size() + 1);
            if (directoryEnd - at < centralSize || u32(at) != centralSignature)
                return damaged(where + QStringLiteral("of its directory cannot be read"));
            const quint64 headerSize = centralSize + u16(at + 28) + u16(at + 30) + u16(at + 32);
            if (directoryEnd - at < headerSize)
                return damaged(where + QStringLiteral("runs past its directory"));
            ZipEntry entry;
            if (const std::optional<QString> problem = readEntry(at, directoryOffset, entry))
                return damaged(where + *problem);
            entries.append(std::move(entry));
            at += headerSize;
        }
        if (quint64(entries.size()) != count)
            return damaged(QStringLiteral("its end record counts %1 entries, its directory holds %2")
                               .arg(count)
                               .arg(entries.size()));
        return std::nullopt;
    }

private:
    quint64 size() const { return quint64(m_file.size()); }
    const char *at(quint64 offset) const { return m_file.data() + offset; }
    quint16 u16(quint64 offset) const { return qFromLittleEndian<quint16>(at(offset)); }
    quint32 u32(quint64 offset) const { return qFromLittleEndian<quint32>(at(offset)); }
    quint64 u64(quint64 offset) const { return qFromLittleEndian<quint64>(at(offset)); }
    QByteArrayView bytes(quint64 offset, quint64 length) const { return m_file.sliced(offset, length); }

    // The end record nearest the file's end, as unzip looks for it.
    std::optional<quint64> findEnd() const {
        if (size() < endSize)
            return std::nullopt;
        const quint64 lowest = size() - endSize > maxCommentSize ? size() - endSize - maxCommentSize : 0;
        for (quint64 offset = size() - endSize + 1; offset-- > lowest;) {
            if (u32(offset) == endSignature)
                return offset;
        }
        return std::nullopt;
    }

    // The central header at offset (inside the directory); its local header and data must lie
    // before the directory. Returns what is wrong with it.
    std::optional<QString> readEntry(quint64 offset, quint64 directoryOffset, ZipEntry &entry) const {
        const quint16 madeBy = u16(offset + 4);
        const quint16 flags = u16(offset + 8);
        const quint16 method = u16(offset + 10);
        quint64 packedSize = u32(offset + 20);
        quint64 size = u32(offset + 24);
        const quint16 nameSize = u16(offset + 28);
        quint64 diskStart = u16(offset + 34);
        const quint32 attributes = u32(offset + 38);
        quint64 local = u32(offset + 42);
        entry.name = bytes(offset + centralSize, nameSize).toByteArray();
        const std::optional<ExtraFields> extra =
            parseExtraFields(bytes(offset + centralSize + nameSize, u16(offset + 30)));
        if (!extra)
            return QStringLiteral("has extra fields that run past their end");

        // ZIP64 holds, in this order, the fields whose short form is at its maximum.
        QByteArrayView zip64 = extra->zip64;
        const auto widen = [&zip64](quint64 &field, quint64 max, qsizetype width) {
            if (field != max)
                return true;
            if (zip64.size() < width)
                return false;
            field = width == 8 ? qFromLittleEndian<quint64>(zip64.data()) : qFromLittleEndian<quint32>(zip64.data());
            zip64 = zip64.sliced(width);
            return true;
        };
        if (!widen(size, 0xffffffff, 8) || !widen(packedSize, 0xffffffff, 8) || !widen(local, 0xffffffff, 8) ||
            !widen(diskStart, 0xffff, 4))
            return QStringLiteral("lacks its ZIP64 sizes");
        if (diskStart != 0)
            return QStringLiteral("lies on another disk");
        entry.size = size;
        entry.isLink = ((attributes >> 16) & unixTypeMask) == unixLink;

        if (local > directoryOffset || directoryOffset - local < localSize || u32(local) != localSignature)
            return QStringLiteral("has no local header where the directory says");
        const quint16 localNameSize = u16(local + 26);
        const quint64 dataStart = local + localSize + localNameSize + u16(local + 28);
        if (dataStart > directoryOffset || directoryOffset - dataStart < packedSize)
            return QStringLiteral("has data beyond the end of the file");
        if ((u16(local + 6) & encryptedFlags) != (flags & encryptedFlags) || u16(local + 8) != method)
            return QStringLiteral("has a local header that disagrees with the directory");
        const std::optional<ExtraFields> localExtra =
            parseExtraFields(bytes(local + localSize + localNameSize, u16(local + 28)));
        if (!localExtra)
            return QStringLiteral("has extra fields that run past their end");

        // unzip writes the Unicode path when there is one, and recodes names of other makers.
        const auto otherName = [&entry](QByteArrayView field) {
            return field.size() < 5 || field.sliced(5) != entry.name;
        };
        entry.nameIsExact =
            bytes(local + localSize, localNameSize) == entry.name &&
            std::none_of(extra->unicodePaths.cbegin(), extra->unicodePaths.cend(), otherName) &&
            std::none_of(localExtra->unicodePaths.cbegin(), localExtra->unicodePaths.cend(), otherName) &&
            (isAscii(entry.name) || (flags & utf8Flag) || madeBy >> 8 == unixMaker);

        if (!entry.isLink || (flags & encryptedFlags) || size > maxTargetSize || packedSize > maxPackedTargetSize ||
            (method != stored && method != deflated))
            return std::nullopt;
        const QByteArrayView packed = bytes(dataStart, packedSize);
        const std::optional<QByteArray> target =
            method == stored ? std::optional<QByteArray>(packed.toByteArray()) : inflateRaw(packed, size);
        if (!target || quint64(target->size()) != size)
            return QStringLiteral("is a link whose target cannot be unpacked");
        entry.linkTarget = target;
        return std::nullopt;
    }

    QByteArrayView m_file;
};

} // namespace

ZipDirectory ZipDirectory::read(const QString &path) {
    ZipDirectory directory;
    const auto fail = [&directory](int status, const QString &message) {
        directory.m_errorCode = status;
        directory.m_error = message;
        return directory;
    };
    // Not blocking, and only a regular file is read: a FIFO or a device in its place never holds the check.
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0)
        return fail(notAZipStatus, QStringLiteral("Cannot open the package: ") + qt_error_string(errno));
    const auto closeFile = qScopeGuard([file] { ::close(file); });
    struct stat info = {};
    if (::fstat(file, &info) != 0 || !S_ISREG(info.st_mode))
        return fail(notAZipStatus, QStringLiteral("The package is not a regular file."));

    const quint64 size = quint64(info.st_size);
    void *mapped = size == 0 ? nullptr : ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file, 0);
    if (mapped == MAP_FAILED)
        return fail(notAZipStatus, QStringLiteral("Cannot read the package: ") + qt_error_string(errno));
    const auto unmap = qScopeGuard([mapped, size] {
        if (mapped)
            ::munmap(mapped, size);
    });
    const ArchiveReader reader(QByteArrayView(static_cast<const char *>(mapped), qsizetype(size)));
    if (const std::optional<Failure> failure = reader.read(directory.m_entries)) {
        directory.m_entries.clear();
        return fail(failure->status, failure->message);
    }
    return directory;
}

} // namespace vistrel
