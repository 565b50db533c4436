#include "packageentries.h"

#include "common/commandrunner.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <chrono>
#include <deque>

#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {

using namespace std::chrono_literals;

constexpr auto listingTimeout = 10min;

QList<QByteArrayView> components(QByteArrayView path) {
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        // unzip turns backslashes of archives made elsewhere into separators.
        if (i == path.size() || path[i] == '/' || path[i] == '\\') {
            parts.append(path.sliced(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

PackageCheck unreadable(int exitCode, const QString &message) {
    return {PackageCheck::Outcome::Unreadable, exitCode, message};
}

PackageCheck unsafe(const QString &what) {
    return {PackageCheck::Outcome::Unsafe, 0, what};
}

// The components of a path below the root, without empty and "." ones.
QList<QByteArray> cleanParts(QByteArrayView path) {
    QList<QByteArray> parts;
    for (const QByteArrayView part : components(path)) {
        if (!part.isEmpty() && part != ".")
            parts.append(part.toByteArray());
    }
    return parts;
}

// The folder the package is unpacked into, as unzip will find it: the package's own links and
// the links already on disk (an earlier installation's), looked up in the order given.
class LinkView {
public:
    LinkView(const QHash<QByteArray, QByteArray> &packageLinks, const QString &root, bool diskFirst)
        : m_packageLinks(packageLinks)
        , m_root(QFile::encodeName(root))
        , m_realRoot(QFile::encodeName(QFileInfo(root).canonicalFilePath()))
        , m_diskFirst(diskFirst) {}

    // Where path (relative to base, a resolved folder below the root) leads once every link on
    // the way is followed; nothing when it leaves the root or links loop. followLast: whether a
    // link at the last component is followed too (a folder is entered, a file replaced).
    std::optional<QList<QByteArray>> resolve(QList<QByteArray> base, QByteArrayView path, bool followLast) const {
        std::deque<QByteArray> pending;
        for (const QByteArray &part : cleanParts(path))
            pending.push_back(part);
        int expansions = 0;
        while (!pending.empty()) {
            const QByteArray part = pending.front();
            pending.pop_front();
            if (part == "..") {
                if (base.isEmpty())
                    return std::nullopt;
                base.removeLast();
                continue;
            }
            base.append(part);
            if (pending.empty() && !followLast)
                break;
            std::optional<QByteArray> target = linkAt(base.join('/'));
            if (!target)
                continue;
            if (++expansions > 40) // as the system gives up on a loop
                return std::nullopt;
            base.removeLast();
            if (target->startsWith('/')) {
                // Only a link on disk may name the root absolutely; a package's never does.
                if (m_realRoot.isEmpty() || !(target->startsWith(m_realRoot + '/') || *target == m_realRoot))
                    return std::nullopt;
                base.clear();
                *target = target->mid(m_realRoot.size());
            }
            const QList<QByteArray> parts = cleanParts(*target);
            for (auto it = parts.crbegin(); it != parts.crend(); ++it)
                pending.push_front(*it);
        }
        return base;
    }

private:
    std::optional<QByteArray> linkAt(const QByteArray &relative) const {
        const auto inPackage = [&]() -> std::optional<QByteArray> {
            const auto it = m_packageLinks.constFind(relative);
            return it == m_packageLinks.cend() ? std::nullopt : std::optional<QByteArray>(*it);
        };
        const auto onDisk = [&]() -> std::optional<QByteArray> {
            if (m_root.isEmpty())
                return std::nullopt;
            const QByteArray path = m_root + '/' + relative;
            struct stat info = {};
            if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
                return std::nullopt;
            QByteArray target(PATH_MAX, '\0');
            const ssize_t size = ::readlink(path.constData(), target.data(), target.size());
            return size < 0 ? std::nullopt : std::optional<QByteArray>(target.left(size));
        };
        const std::optional<QByteArray> first = m_diskFirst ? onDisk() : inPackage();
        return first ? first : (m_diskFirst ? inPackage() : onDisk());
    }

    const QHash<QByteArray, QByteArray> &m_packageLinks;
    QByteArray m_root;
    QByteArray m_realRoot;
    bool m_diskFirst;
};

// The first entry that, with every link followed, lands outside the root; nothing when none does.
std::optional<QString> entryLeavingRoot(const QList<PackageEntry> &entries,
                                        const QHash<QByteArray, QByteArray> &packageLinks, const QString &root) {
    // unzip creates links last, but an earlier installation's are there from the start: each
    // entry must stay inside both ways.
    for (const bool diskFirst : {false, true}) {
        const LinkView view(packageLinks, root, diskFirst);
        for (const PackageEntry &entry : entries) {
            const QString name = QString::fromUtf8(entry.name);
            if (!entry.isSymlink) {
                // A folder entry is entered when it exists; a file replaces what is there.
                if (!view.resolve({}, entry.name, entry.name.endsWith('/')))
                    return name;
                continue;
            }
            const QList<QByteArray> parts = cleanParts(entry.name);
            const QByteArray folder = parts.mid(0, parts.size() - 1).join('/');
            const std::optional<QList<QByteArray>> parent = view.resolve({}, folder, true);
            const QByteArray target = packageLinks.value(cleanParts(entry.name).join('/'));
            if (!parent || target.startsWith('/') || !view.resolve(*parent, target, true))
                return name + QStringLiteral(" -> ") + QString::fromUtf8(target);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<QList<PackageEntry>> parseZipListing(const QByteArray &listing) {
    // "lrwxrwxrwx  2.0 unx  5 b- stor 19800101.000000 name": the name follows one space.
    static const QRegularExpression entryLine(
        QStringLiteral(R"(^(\S+)\s+\d+\.\d+\s+\S+\s+\d+\s+\S+\s+\S+\s+\d{8}\.\d{6} (.*)$)"));
    static const QRegularExpression countLine(QStringLiteral(R"(number of entries: (\d+))"));

    std::optional<qsizetype> declared;
    QList<PackageEntry> entries;
    for (const QByteArray &rawLine : listing.split('\n')) {
        // Latin-1 keeps every byte of a name as one character, whatever its encoding.
        const QString line = QString::fromLatin1(rawLine);
        if (!declared) {
            const QRegularExpressionMatch count = countLine.match(line);
            if (count.hasMatch())
                declared = count.captured(1).toLongLong();
            continue;
        }
        const QRegularExpressionMatch match = entryLine.match(line);
        if (match.hasMatch())
            entries.append({match.captured(2).toLatin1(), match.captured(1).startsWith(u'l')});
    }
    if (!declared || *declared != entries.size())
        return std::nullopt;
    return entries;
}

bool entryStaysInside(QByteArrayView name) {
    if (name.startsWith('/') || name.startsWith('\\'))
        return false;
    for (const QByteArrayView part : components(name)) {
        if (part == "..")
            return false;
    }
    return true;
}

bool linkStaysInside(QByteArrayView entryName, QByteArrayView target) {
    if (target.isEmpty() || target.startsWith('/') || target.startsWith('\\'))
        return false;
    // Depth of the folder that holds the link, then walk the target from there.
    qsizetype depth = 0;
    const QList<QByteArrayView> entryParts = components(entryName);
    for (qsizetype i = 0; i + 1 < entryParts.size(); ++i) {
        if (!entryParts[i].isEmpty() && entryParts[i] != ".")
            ++depth;
    }
    for (const QByteArrayView part : components(target)) {
        if (part.isEmpty() || part == ".")
            continue;
        depth += part == ".." ? -1 : 1;
        if (depth < 0)
            return false;
    }
    return true;
}

QString unzipLiteralPattern(const QByteArray &name) {
    QString pattern;
    for (const QChar c : QString::fromUtf8(name)) {
        if (c == u'[' || c == u']' || c == u'*' || c == u'?' || c == u'\\')
            pattern += u'\\';
        pattern += c;
    }
    return pattern;
}

QCoro::Task<PackageCheck> checkPackageEntries(QString unzipProgram, QString zipPath, QString root) {
    const QStringList listArguments{QStringLiteral("-Z"), QStringLiteral("-T"), QStringLiteral("-s"), zipPath};
    const ProcessResult listed =
        co_await runProcess(unzipProgram, listArguments, ChildOutput::CaptureMerged, QString(), listingTimeout);
    if (!listed.started)
        co_return unreadable(-1, listed.launchError);
    if (listed.exitCode != 0 || listed.crashed)
        co_return unreadable(listed.exitCode, QString::fromUtf8(listed.output));

    const std::optional<QList<PackageEntry>> entries = parseZipListing(listed.output);
    if (!entries) {
        const QString what = QStringLiteral("(an entry the listing does not show plainly)");
        co_return unsafe(what);
    }
    for (const PackageEntry &entry : *entries) {
        if (!entryStaysInside(entry.name))
            co_return unsafe(QString::fromUtf8(entry.name));
    }
    // A link is written as it is stored; unzip and later steps (chmod, the port file) follow it,
    // also through other links: each is judged with all of them in place.
    QHash<QByteArray, QByteArray> packageLinks;
    for (const PackageEntry &entry : *entries) {
        if (!entry.isSymlink)
            continue;
        const QStringList printArguments{QStringLiteral("-p"), zipPath, unzipLiteralPattern(entry.name)};
        const ProcessResult target =
            co_await runProcess(unzipProgram, printArguments, ChildOutput::CaptureStdout, QString(), listingTimeout);
        if (!target.started || target.exitCode != 0 || target.crashed || !linkStaysInside(entry.name, target.output)) {
            const QString what =
                QString::fromUtf8(entry.name) + QStringLiteral(" -> ") + QString::fromUtf8(target.output);
            co_return unsafe(what);
        }
        packageLinks.insert(cleanParts(entry.name).join('/'), target.output);
    }
    if (const std::optional<QString> leaving = entryLeavingRoot(*entries, packageLinks, root))
        co_return unsafe(*leaving);
    co_return PackageCheck();
}

} // namespace vistrel
