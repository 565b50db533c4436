#include "packageentries.h"

#include "zipdirectory.h"

#include <QCoro/QCoroFuture>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QtConcurrent/QtConcurrentRun>

#include <climits>
#include <deque>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {

constexpr int maxLinksFollowed = 40; // as the system gives up on a loop
// Beyond these a package counts as too tangled to check: where one path may lead, the places
// known and the steps taken for all entries together (a real package of 23,000 entries knows
// about 800 places and takes about 1,200 steps).
constexpr qsizetype maxPlaces = 16;
constexpr size_t maxKnownPlaces = 250'000;
constexpr qint64 maxSteps = 20'000'000;

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

// The components of a path below the root, without empty and "." ones.
QList<QByteArray> cleanParts(QByteArrayView path) {
    QList<QByteArray> parts;
    for (const QByteArrayView part : components(path)) {
        if (!part.isEmpty() && part != ".")
            parts.append(part.toByteArray());
    }
    return parts;
}

PackageCheck unsafe(const QString &what) {
    return {PackageCheck::Outcome::Unsafe, 0, what, 0};
}

// A name unzip and this check read alike: UTF-8 text without control characters.
bool isPlainName(QByteArrayView name) {
    return !name.isEmpty() && name.isValidUtf8() &&
           std::none_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x20 || c == 0x7f; });
}

// A name for the log, every byte that is not printable ASCII written as \xNN.
QString escapedName(QByteArrayView name) {
    QString text;
    for (const char c : name)
        text += uchar(c) >= 0x20 && uchar(c) < 0x7f ? QString(QChar(c))
                                                    : QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QChar(u'0'));
    return text;
}

// A folder or file below the root, as unzip and the later steps will meet it.
struct Place {
    enum class Disk { Unknown, Absent, Folder, Link, Other, Unreadable };

    Place *parent = nullptr;
    QByteArray name;
    QList<QByteArray> packageTargets; // the package's links stored here
    Disk disk = Disk::Unknown;        // what an earlier installation left here
    QByteArray diskTarget;
    std::optional<QList<Place *>> entered;  // where entering it leads, every link followed
    std::optional<QList<Place *>> asFolder; // where the package's folder of this name lies
    bool following = false;                 // its links are being followed: met again, they loop
};

using Places = QList<Place *>;

void unite(Places &places, const Places &more) {
    for (Place *place : more) {
        if (!places.contains(place))
            places.append(place);
    }
}

// The folder the package is unpacked into. unzip makes the package's links last, an earlier
// installation's are there from the start, and a link of either may be the one in place when
// unzip or a later step passes (chmod, the port file): a path leads to every place any mix of them
// gives, and each must stay inside.
class LinkResolver {
public:
    explicit LinkResolver(const QString &root)
        : m_root(QFile::encodeName(root))
        , m_realRoot(QFile::encodeName(QFileInfo(root).canonicalFilePath())) {
        Place &top = m_places.emplace_back();
        top.disk = !root.isEmpty() && QFileInfo(root).isDir() ? Place::Disk::Folder : Place::Disk::Absent;
    }

    Place *top() { return &m_places.front(); }
    bool isTooTangled() const { return m_places.size() > maxKnownPlaces || m_steps > maxSteps; }

    // The place named by clean parts, as written, no link followed.
    Place *placeAt(const QList<QByteArray> &parts, qsizetype count) {
        Place *place = top();
        for (qsizetype i = 0; i < count; ++i)
            place = child(place, parts[i]);
        return place;
    }

    // Where the package's folder of the first count clean parts lies, every link followed.
    std::optional<Places> folder(const QList<QByteArray> &parts, qsizetype count) {
        Place *named = top();
        Places places{top()};
        for (qsizetype i = 0; i < count; ++i) {
            named = child(named, parts[i]);
            if (!named->asFolder) {
                named->asFolder = isTooTangled() ? std::nullopt : step(places, parts[i]);
                if (!named->asFolder)
                    return std::nullopt;
            }
            places = *named->asFolder;
        }
        return places;
    }

    // Where path leads from each of bases, every link on the way and at its end followed; nothing
    // when a way leaves the root or loops.
    std::optional<Places> walk(const Places &bases, QByteArrayView path) {
        Places places = bases;
        for (const QByteArray &part : cleanParts(path)) {
            const std::optional<Places> next = step(places, part);
            if (!next)
                return std::nullopt;
            places = *next;
        }
        return places;
    }

private:
    std::optional<Places> step(const Places &places, const QByteArray &name) {
        Places next;
        for (Place *place : places) {
            const std::optional<Places> reached = enter(place, name);
            m_steps += 1 + next.size() * (reached ? reached->size() : 0);
            if (!reached || isTooTangled())
                return std::nullopt;
            unite(next, *reached);
        }
        if (next.size() > maxPlaces)
            return std::nullopt;
        return next;
    }

    std::optional<Places> enter(Place *place, const QByteArray &name) {
        if (name == "..")
            return place->parent ? std::optional<Places>(Places{place->parent}) : std::nullopt;
        Place *next = child(place, name);
        if (next->entered)
            return next->entered;
        lookOnDisk(next);
        if (next->disk == Place::Disk::Unreadable)
            return std::nullopt;

        // As it is until the package's link takes its place, unless it is a link already.
        Places places;
        if (next->disk != Place::Disk::Link)
            places.append(next);
        QList<QByteArray> targets = next->packageTargets;
        if (next->disk == Place::Disk::Link && !targets.contains(next->diskTarget))
            targets.append(next->diskTarget);
        if (!targets.isEmpty()) {
            if (next->following || m_linksFollowed >= maxLinksFollowed)
                return std::nullopt;
            next->following = true;
            ++m_linksFollowed;
            const auto done = qScopeGuard([&] {
                next->following = false;
                --m_linksFollowed;
            });
            for (const QByteArray &target : targets) {
                Places from{place};
                QByteArrayView rest = target;
                if (target.startsWith('/')) {
                    // Only a link on disk may name the root absolutely; a package's never does.
                    if (m_realRoot.isEmpty() || !(target.startsWith(m_realRoot + '/') || target == m_realRoot))
                        return std::nullopt;
                    from = {top()};
                    rest = rest.sliced(m_realRoot.size());
                }
                const std::optional<Places> reached = walk(from, rest);
                if (!reached)
                    return std::nullopt;
                unite(places, *reached);
            }
        }
        if (places.size() > maxPlaces)
            return std::nullopt;
        next->entered = places;
        return places;
    }

    Place *child(Place *place, const QByteArray &name) {
        Place *&found = m_children[{place, name}];
        if (!found) {
            found = &m_places.emplace_back();
            found->parent = place;
            found->name = name;
        }
        return found;
    }

    // What an earlier installation left at a place whose folder has been entered.
    void lookOnDisk(Place *place) {
        if (place->disk != Place::Disk::Unknown)
            return;
        if (place->parent->disk != Place::Disk::Folder) {
            place->disk = Place::Disk::Absent;
            return;
        }
        QByteArray path = place->name;
        for (const Place *above = place->parent; above->parent; above = above->parent)
            path = above->name + '/' + path;
        path = m_root + '/' + path;
        struct stat info = {};
        if (::lstat(path.constData(), &info) != 0) {
            place->disk = Place::Disk::Absent;
        } else if (S_ISDIR(info.st_mode)) {
            place->disk = Place::Disk::Folder;
        } else if (!S_ISLNK(info.st_mode)) {
            place->disk = Place::Disk::Other;
        } else {
            QByteArray target(PATH_MAX, '\0');
            const ssize_t size = ::readlink(path.constData(), target.data(), target.size());
            place->disk = size < 0 || size == target.size() ? Place::Disk::Unreadable : Place::Disk::Link;
            place->diskTarget = target.left(size < 0 ? 0 : size);
        }
    }

    QByteArray m_root;
    QByteArray m_realRoot;
    std::deque<Place> m_places; // stays where it is as it grows
    QHash<std::pair<const Place *, QByteArray>, Place *> m_children;
    int m_linksFollowed = 0;
    qint64 m_steps = 0;
};

PackageCheck inspectPackage(const QString &zipPath, const QString &root) {
    const ZipDirectory directory = ZipDirectory::read(zipPath);
    if (!directory.isReadable())
        return {PackageCheck::Outcome::Unreadable, directory.errorCode(), directory.error(), 0};

    // Each entry alone, and every link in place before any is followed.
    PackageCheck verdict;
    LinkResolver resolver(root);
    for (const ZipEntry &entry : directory.entries()) {
        const QString name = QString::fromUtf8(entry.name);
        if (!entry.nameIsExact || !isPlainName(entry.name))
            return unsafe(QStringLiteral("%1 (a name that is not plain text)").arg(escapedName(entry.name)));
        if (!entryStaysInside(entry.name))
            return unsafe(name);
        if (entry.isLink) {
            const QByteArray target = entry.linkTarget.value_or(QByteArray());
            const QList<QByteArray> parts = cleanParts(entry.name);
            // A target the check cannot read, or that the system would cut at a NUL, is not guessed at.
            if (!entry.linkTarget || target.contains('\0') || parts.isEmpty() || !linkStaysInside(entry.name, target))
                return unsafe(name + QStringLiteral(" -> ") + escapedName(target));
            resolver.placeAt(parts, parts.size())->packageTargets.append(target);
            if (resolver.isTooTangled())
                return unsafe(name);
        }
        const quint64 room = quint64(std::numeric_limits<qint64>::max() - verdict.unpackedBytes);
        verdict.unpackedBytes += qint64(std::min(entry.size, room));
    }
    // Then each entry once, with the links it meets.
    for (const ZipEntry &entry : directory.entries()) {
        const QList<QByteArray> parts = cleanParts(entry.name);
        const qsizetype folderParts = std::max<qsizetype>(0, parts.size() - 1);
        if (!entry.isLink) {
            // A folder entry is entered when it exists; a file replaces what is there.
            if (!resolver.folder(parts, entry.name.endsWith('/') ? parts.size() : folderParts))
                return unsafe(QString::fromUtf8(entry.name));
            continue;
        }
        // A link is made in its folder as written: one reached through another link would land
        // where nothing looks it up.
        const std::optional<Places> folder = resolver.folder(parts, folderParts);
        if (!folder || *folder != Places{resolver.placeAt(parts, folderParts)} ||
            !resolver.walk(*folder, *entry.linkTarget))
            return unsafe(QString::fromUtf8(entry.name) + QStringLiteral(" -> ") + escapedName(*entry.linkTarget));
    }
    return verdict;
}

} // namespace

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

QCoro::Task<PackageCheck> checkPackageEntries(QString zipPath, QString root) {
    // Thousands of entries and a look at the disk for each folder: off the main thread, so the
    // window keeps drawing.
    QFuture<PackageCheck> check = QtConcurrent::run(&inspectPackage, zipPath, root);
    co_return co_await check;
}

} // namespace vistrel
