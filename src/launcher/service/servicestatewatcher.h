#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <optional>

class QFileSystemWatcher;
class QTimer;

namespace vistrel {

// Tells when the service manager's published state of our job changes, where the platform shows
// it as a file; with no file it never does and polling alone follows the server.
//
// The file's folder is watched, and only a change of the file's content counts: other files
// there never do. Bursts are folded into one change and changes come at most a few times a
// second. A folder that comes, goes or is replaced (by a link to another folder, say) is watched
// again as soon as its own folder shows it (else within a rearm interval), and counts as a change.
class ServiceStateWatcher : public QObject {
    Q_OBJECT

public:
    explicit ServiceStateWatcher(QString stateFile, QObject *parent = nullptr);

    const QString &stateFile() const { return m_file; }
    bool isWatching() const;

signals:
    void changed();

private:
    void rearm();
    void settled();
    // The folder's identity as the path resolves now; nothing when there is no folder.
    std::optional<std::pair<quint64, quint64>> folderIdentity() const;

    QString m_file;
    QString m_folder;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr;
    QTimer *m_rearm = nullptr;
    std::optional<std::pair<quint64, quint64>> m_watched; // the folder the watch is on
    std::optional<QByteArray> m_content;                  // the file as last read
    bool m_unreported = false;                            // a change (or a gap in the watch) to report
    QElapsedTimer m_sinceChange;
};

} // namespace vistrel
