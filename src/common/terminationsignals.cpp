#include "terminationsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <utility>

#include <sys/socket.h>
#include <unistd.h>

namespace vistrel {

namespace {

int signalPipe[2] = {-1, -1};
std::function<void(int)> &terminationHandler() {
    static std::function<void(int)> handler;
    return handler;
}

void onSignal(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void quitOnTerminationSignals() {
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    // Only a byte is written in the handler; the rest happens on the event loop.
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        unsigned char byte = 0;
        if (::read(signalPipe[0], &byte, 1) != 1)
            return;
        if (const std::function<void(int)> handler = std::exchange(terminationHandler(), nullptr))
            handler(byte);
        else
            QCoreApplication::exit(128 + byte);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void setTerminationHandler(std::function<void(int signal)> handler) {
    terminationHandler() = std::move(handler);
}

} // namespace vistrel
