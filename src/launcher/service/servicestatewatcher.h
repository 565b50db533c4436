#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

namespace vistrel {

// Tells when the service manager's published job states change, where the platform shows them
// as a folder; with no folder it never does and polling alone follows the server.
class ServiceStateWatcher : public QObject {
    Q_OBJECT

public:
    explicit ServiceStateWatcher(QString folder, QObject *parent = nullptr);

    const QString &folder() const { return m_folder; }
    bool isWatching() const;

signals:
    // Once per burst of changes (a state file is written as a new file renamed into place).
    void changed();

private:
    void watch();

    QString m_folder;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr;
    QTimer *m_retry = nullptr;
};

} // namespace vistrel
