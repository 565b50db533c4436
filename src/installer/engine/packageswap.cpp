#include "packageswap.h"

#include "common/paths.h"

#include <QFile>

#include <filesystem>

namespace vistrel {

namespace {

namespace fs = std::filesystem;

fs::path fsPath(const QString &path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

QString qPath(const fs::path &path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

// The entry itself, a link never followed.
fs::file_type typeOf(const fs::path &path) {
    std::error_code error;
    return fs::symlink_status(path, error).type();
}

bool isFolder(const fs::path &path) {
    return typeOf(path) == fs::file_type::directory;
}

// The names in a folder; nothing when it cannot be read (then it may hold anything).
std::optional<QStringList> namesIn(const fs::path &folder) {
    QStringList names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.append(qPath(it->path().filename()));
    return error ? std::nullopt : std::optional(names);
}

bool isEmptyFolder(const fs::path &folder) {
    return namesIn(folder) == QStringList();
}

// True when everything in current has its place in staged: replacing current loses nothing.
bool holdsOnlyPackagePaths(const fs::path &current, const fs::path &staged) {
    const std::optional<QStringList> names = namesIn(current);
    if (!names)
        return false;
    for (const QString &name : *names) {
        const fs::path mine = current / fsPath(name);
        const fs::path theirs = staged / fsPath(name);
        const fs::file_type type = typeOf(theirs);
        if (type == fs::file_type::not_found)
            return false;
        if (isFolder(mine) &&
            !(type == fs::file_type::directory ? holdsOnlyPackagePaths(mine, theirs) : isEmptyFolder(mine)))
            return false;
    }
    return true;
}

} // namespace

PackageSwap::PackageSwap(QString staging, QString root, QString previous)
    : m_staging(std::move(staging))
    , m_root(std::move(root))
    , m_previous(std::move(previous)) {}

std::optional<QString> PackageSwap::plan() {
    m_moves.clear();
    return planFolder(QString());
}

std::optional<QString> PackageSwap::planFolder(const QString &relative) {
    const QString prefix = relative.isEmpty() ? QString() : relative + u'/';
    const std::optional<QStringList> names = namesIn(fsPath(m_staging + u'/' + relative));
    if (!names)
        return QStringLiteral("Could not read the unpacked folder %1").arg(m_staging + u'/' + relative);
    for (const QString &name : *names) {
        if (relative.isEmpty() &&
            (name == QStringView(paths::stagingFolderName) || name == QStringView(paths::previousFolderName)))
            return QStringLiteral("The package holds %1, a name the installer keeps for itself").arg(name);
        const QString path = prefix + name;
        const fs::path current = fsPath(m_root + u'/' + path);
        const fs::path staged = fsPath(m_staging + u'/' + path);
        if (typeOf(current) == fs::file_type::not_found) {
            m_moves.append({path, false});
        } else if (!isFolder(current) ||
                   (isFolder(staged) ? holdsOnlyPackagePaths(current, staged) : isEmptyFolder(current))) {
            m_moves.append({path, true});
        } else if (isFolder(staged)) {
            if (const std::optional<QString> refusal = planFolder(path))
                return refusal;
        } else {
            return QStringLiteral("The package would replace the folder %1, which holds files the package does not "
                                  "contain")
                .arg(qPath(current));
        }
    }
    return std::nullopt;
}

QList<UndoRecord> PackageSwap::undoRecords() const {
    // The previous folder's own folders go once what waits in them is back.
    QList<UndoRecord> records{UndoRecord::removeFolder(m_previous)};
    for (const Move &move : m_moves) {
        const QString current = m_root + u'/' + move.relative;
        records.append(move.replaces ? UndoRecord::putBack(current, m_previous + u'/' + move.relative)
                                     : UndoRecord::remove(current));
    }
    return records;
}

std::optional<QString> PackageSwap::swap() const {
    for (const Move &move : m_moves) {
        const fs::path current = fsPath(m_root + u'/' + move.relative);
        std::error_code error;
        if (move.replaces) {
            const fs::path aside = fsPath(m_previous + u'/' + move.relative);
            fs::create_directories(aside.parent_path(), error);
            if (!error)
                fs::rename(current, aside, error);
        }
        if (!error)
            fs::rename(fsPath(m_staging + u'/' + move.relative), current, error);
        if (error)
            return QStringLiteral("Could not move %1 into place: %2")
                .arg(qPath(current), QString::fromLocal8Bit(error.message()));
    }
    return std::nullopt;
}

} // namespace vistrel
