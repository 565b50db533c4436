#include "servicestatewatcher.h"

#include "common/smallfile.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <sys/stat.h>

namespace vistrel {

namespace {
// Long enough to fold the writes of one change together, short beside any polling interval.
constexpr std::chrono::milliseconds settleTime{15};
// At most four changes a second, however fast the job changes.
constexpr std::chrono::milliseconds minimumGap{250};
// How soon a folder that appeared or was replaced is watched where its own folder cannot be.
constexpr std::chrono::milliseconds rearmInterval{2000};
// A state file is a few hundred bytes.
constexpr qint64 stateFileLimit = 64 * 1024;
} // namespace

ServiceStateWatcher::ServiceStateWatcher(QString stateFile, QObject *parent)
    : QObject(parent)
    , m_file(std::move(stateFile)) {
    if (m_file.isEmpty())
        return;
    m_folder = QFileInfo(m_file).path();
    m_watcher = new QFileSystemWatcher(this);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_rearm = new QTimer(this);
    m_rearm->setInterval(rearmInterval);
    connect(m_settle, &QTimer::timeout, this, &ServiceStateWatcher::settled);
    connect(m_rearm, &QTimer::timeout, this, &ServiceStateWatcher::rearm);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString &path) {
        // The folder's own folder tells when the folder comes, goes or is replaced.
        if (path != m_folder)
            return rearm();
        if (!m_settle->isActive())
            m_settle->start(settleTime);
    });
    m_content = readSmallFile(m_file, stateFileLimit);
    m_sinceChange.start();
    rearm();
    m_unreported = false; // nothing can have been missed yet
    m_rearm->start();
}

bool ServiceStateWatcher::isWatching() const {
    return m_watcher && m_watched && m_watcher->directories().contains(m_folder);
}

std::optional<std::pair<quint64, quint64>> ServiceStateWatcher::folderIdentity() const {
    struct stat st {};
    if (::stat(QFile::encodeName(m_folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return std::pair{quint64(st.st_dev), quint64(st.st_ino)};
}

void ServiceStateWatcher::rearm() {
    const QString parent = QFileInfo(m_folder).path();
    if (!m_watcher->directories().contains(parent))
        m_watcher->addPath(parent);
    const auto identity = folderIdentity();
    if (identity == m_watched && (!identity || m_watcher->directories().contains(m_folder)))
        return;
    // Gone, back, or another folder now: the watch follows the path, and while it was not on the
    // folder a change may have come and gone unseen.
    if (m_watcher->directories().contains(m_folder))
        m_watcher->removePath(m_folder);
    m_watched = identity && m_watcher->addPath(m_folder) ? identity : std::nullopt;
    m_unreported = true;
    if (!m_settle->isActive())
        m_settle->start(settleTime);
}

void ServiceStateWatcher::settled() {
    // Every change seen counts, also one undone before a change held back could be reported.
    if (std::optional<QByteArray> content = readSmallFile(m_file, stateFileLimit); content != m_content) {
        m_content = std::move(content);
        m_unreported = true;
    }
    if (!m_unreported)
        return;
    const auto since = std::chrono::milliseconds(m_sinceChange.elapsed());
    if (since < minimumGap) {
        m_settle->start(minimumGap - since);
        return;
    }
    m_unreported = false;
    m_sinceChange.restart();
    emit changed();
}

} // namespace vistrel
