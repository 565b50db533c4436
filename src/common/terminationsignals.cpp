#include "terminationsignals.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace vistrel {

namespace {

constexpr int handledSignals[] = {SIGTERM, SIGINT, SIGHUP};
// The handler only writes the signal's number here; the event loop reads it.
int signalPipe[2] = {-1, -1};
// A run's own winding-up: called once, for the first signal (setTerminationHandler).
std::function<void(int)> &terminationHandler() {
    static std::function<void(int)> handler;
    return handler;
}

std::function<void(int)> &currentHandler() {
    static std::function<void(int)> handler;
    return handler;
}

extern "C" void onTerminationSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

bool openSignalPipe() {
    if (signalPipe[0] >= 0)
        return true;
    if (::pipe(signalPipe) != 0)
        return false;
    // Neither end may block: a full pipe must not stall the handler, nor an empty one the loop.
    for (const int fd : signalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

void deliverSignals() {
    unsigned char bytes[16];
    ssize_t n = 0;
    while ((n = ::read(signalPipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            // A copy: the handler may replace itself.
            const std::function<void(int)> handler = currentHandler();
            if (handler)
                handler(bytes[i]);
        }
    }
}

} // namespace

void handleTerminationSignals(std::function<void(int)> onSignal, bool secondEndsAtOnce) {
    static QPointer<QSocketNotifier> notifier;
    if (!openSignalPipe())
        return;
    currentHandler() = std::move(onSignal);
    if (!notifier) {
        notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, &deliverSignals);
    }
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | (secondEndsAtOnce ? SA_RESETHAND : 0);
    for (const int signal : handledSignals)
        ::sigaction(signal, &action, nullptr);
}

void stopHandlingTerminationSignals() {
    for (const int signal : handledSignals)
        std::signal(signal, SIG_DFL);
    currentHandler() = nullptr;
}

void quitOnTerminationSignals() {
    handleTerminationSignals([](int signal) {
        if (const std::function<void(int)> handler = std::exchange(terminationHandler(), nullptr))
            handler(signal);
        else
            QCoreApplication::exit(128 + signal);
    });
}

void setTerminationHandler(std::function<void(int signal)> handler) {
    terminationHandler() = std::move(handler);
}

} // namespace vistrel
