#include "servicestatewatcher.h"

#include <QFileSystemWatcher>
#include <QTimer>

namespace vistrel {

namespace {
// Long enough to fold the writes of one change together, short beside any polling interval.
constexpr std::chrono::milliseconds settleTime{15};
// The folder appears with the first job the service manager loads.
constexpr std::chrono::milliseconds retryInterval{2000};
} // namespace

ServiceStateWatcher::ServiceStateWatcher(QString folder, QObject *parent)
    : QObject(parent)
    , m_folder(std::move(folder)) {
    if (m_folder.isEmpty())
        return;
    m_watcher = new QFileSystemWatcher(this);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(settleTime);
    m_retry = new QTimer(this);
    m_retry->setInterval(retryInterval);
    connect(m_settle, &QTimer::timeout, this, &ServiceStateWatcher::changed);
    connect(m_retry, &QTimer::timeout, this, &ServiceStateWatcher::watch);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!m_settle->isActive())
            m_settle->start();
        // A removed folder drops out of the watch; wait for it to come back.
        if (!isWatching())
            m_retry->start();
    });
    watch();
}

bool ServiceStateWatcher::isWatching() const {
    return m_watcher && m_watcher->directories().contains(m_folder);
}

void ServiceStateWatcher::watch() {
    if (isWatching())
        return;
    if (m_watcher->addPath(m_folder)) {
        // Found late: something has changed there since the last look.
        if (m_retry->isActive())
            m_settle->start();
        m_retry->stop();
        return;
    }
    if (!m_retry->isActive())
        m_retry->start();
}

} // namespace vistrel
