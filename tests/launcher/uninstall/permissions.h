#pragma once

#include <QFile>
#include <QString>

namespace vistrel::test {

// While alive, permission bits bind this process even when it runs as root: the capabilities
// that let root ignore them are taken out of the effective set. Capabilities belong to threads,
// so the thread pool is emptied first; its new workers inherit the reduced set from the main
// thread, where this is made.
class PermissionsEnforced {
public:
    PermissionsEnforced();
    ~PermissionsEnforced();
    PermissionsEnforced(const PermissionsEnforced &) = delete;
    PermissionsEnforced &operator=(const PermissionsEnforced &) = delete;

    // False when running as root and the capabilities could not be dropped.
    bool isActive() const { return m_active; }

private:
    bool m_active = false;
    bool m_dropped = false;
    unsigned m_savedEffective[2] = {0, 0};
};

// A folder made read-only (entries can be neither added nor removed) until destruction.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(QString path)
        : m_path(std::move(path))
        , m_previous(QFile::permissions(m_path)) {
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::ExeOther);
    }
    ~ReadOnlyFolder() { QFile::setPermissions(m_path, m_previous); }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

private:
    QString m_path;
    QFile::Permissions m_previous;
};

} // namespace vistrel::test
