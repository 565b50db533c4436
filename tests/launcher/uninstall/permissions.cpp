#include "permissions.h"

#include <QThreadPool>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vistrel::test {

namespace {

constexpr unsigned overrideCapabilities = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

bool capabilities(long call, __user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(call, &header, data) == 0;
}

} // namespace

PermissionsEnforced::PermissionsEnforced() {
    if (::geteuid() != 0) {
        m_active = true;
        return;
    }
    QThreadPool::globalInstance()->waitForDone();
    __user_cap_data_struct data[2]{};
    if (!capabilities(SYS_capget, data))
        return;
    m_savedEffective[0] = data[0].effective;
    m_savedEffective[1] = data[1].effective;
    data[0].effective &= ~overrideCapabilities;
    m_active = m_dropped = capabilities(SYS_capset, data);
}

PermissionsEnforced::~PermissionsEnforced() {
    if (!m_dropped)
        return;
    QThreadPool::globalInstance()->waitForDone();
    __user_cap_data_struct data[2]{};
    if (!capabilities(SYS_capget, data))
        return;
    data[0].effective = m_savedEffective[0];
    data[1].effective = m_savedEffective[1];
    capabilities(SYS_capset, data);
}

} // namespace vistrel::test
