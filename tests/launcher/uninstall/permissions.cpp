#include "permissions.h"

#include <QThreadPool>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vistrel::test {

namespace {

constexpr unsigned overrideCapabilities = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

bool readCapabilities(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, data) == 0;
}

bool writeCapabilities(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

PermissionsEnforced::PermissionsEnforced() {
    if (::geteuid() != 0) {
        m_active = true;
        return;
    }
    QThreadPool::globalInstance()->waitForDone();
    __user_cap_data_struct data[2]{};
    if (!readCapabilities(data))
        return;
    m_savedEffective[0] = data[0].effective;
    m_savedEffective[1] = data[1].effective;
    data[0].effective &= ~overrideCapabilities;
    m_dropped = writeCapabilities(data);
    m_active = m_dropped;
}

PermissionsEnforced::~PermissionsEnforced() {
    if (!m_dropped)
        return;
    QThreadPool::globalInstance()->waitForDone();
    __user_cap_data_struct data[2]{};
    if (!readCapabilities(data))
        return;
    data[0].effective = m_savedEffective[0];
    data[1].effective = m_savedEffective[1];
    writeCapabilities(data);
}

ReadOnlyFolder::ReadOnlyFolder(QString path)
    : m_path(std::move(path))
    , m_previous(QFile::permissions(m_path)) {
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::ExeOther);
}

ReadOnlyFolder::~ReadOnlyFolder() {
    QFile::setPermissions(m_path, m_previous);
}

} // namespace vistrel::test
