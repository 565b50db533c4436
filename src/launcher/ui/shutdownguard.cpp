#include "shutdownguard.h"

#include "launcher/service/servicemanager.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace vistrel {

namespace {

constexpr int handledSignals[] = {SIGTERM, SIGINT, SIGHUP};
int wakeFds[2] = {-1, -1};

extern "C" void onTerminationSignal(int signal) {
    // Only async-signal-safe work here: the next signal of this kind takes the default action.
    const int saved = errno;
    std::signal(signal, SIG_DFL);
    const char byte = 1;
    (void)!::write(wakeFds[1], &byte, 1);
    errno = saved;
}

} // namespace

ShutdownGuard::ShutdownGuard(ServiceManager &serviceManager, QObject *parent)
    : QObject(parent)
    , m_serviceManager(serviceManager) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeFds) != 0)
        return;
    m_notifier = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ShutdownGuard::signalArrived);
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : handledSignals)
        ::sigaction(signal, &action, nullptr);
}

ShutdownGuard::~ShutdownGuard() {
    for (int signal : handledSignals)
        std::signal(signal, SIG_DFL);
    delete m_notifier;
    for (int &fd : wakeFds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void ShutdownGuard::signalArrived() {
    char buffer[16];
    while (::read(wakeFds[0], buffer, sizeof buffer) > 0) {
    }
    QCoreApplication::quit();
}

void ShutdownGuard::settle() {
    if (m_serviceManager.restartsUnderWay() == 0)
        return;
    QEventLoop loop;
    connect(&m_serviceManager, &ServiceManager::restartsFinished, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace vistrel
