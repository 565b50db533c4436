#pragma once

#include <chrono>

namespace vistrel {

using namespace std::chrono_literals;

// Every fixed wait and count of both programs. The defaults are the product's behaviour; tests
// hand the models a shortened copy instead of editing these.
struct Timing {
    // launcher: service monitor and control
    std::chrono::milliseconds pollingInterval = 5000ms;
    std::chrono::milliseconds quickPollingInterval = 1000ms;
    std::chrono::milliseconds probeTimeout = 2000ms;
    std::chrono::milliseconds restartGap = 500ms; // between bootout and bootstrap (also the installer's)
    std::chrono::milliseconds quitDelay = 500ms;  // before quitting after handing work to another program
    // both: pause after each successful installation or uninstall step
    std::chrono::milliseconds stepPause = 250ms;
    // installer
    std::chrono::milliseconds settleAfterStop = 500ms;
    std::chrono::milliseconds verifyRequestTimeout = 1000ms;
    std::chrono::milliseconds verifyPause = 3000ms;
    int verifyAttempts = 20;
    // A transfer (location request, package) with no byte for this long has stalled.
    std::chrono::milliseconds transferInactivity = 30000ms;
    // The limit of each command; unpacking adds one second per MiB of package to it.
    std::chrono::milliseconds commandTimeout = 60000ms;

    // A copy with every wait divided by factor (at least 1 ms), for fast tests. The two limits
    // above stay: a slow machine must not turn into a stalled transfer or a hung command.
    Timing scaled(int factor) const {
        Timing t = *this;
        for (auto *d : {&t.pollingInterval, &t.quickPollingInterval, &t.probeTimeout, &t.restartGap, &t.quitDelay,
                        &t.stepPause, &t.settleAfterStop, &t.verifyRequestTimeout, &t.verifyPause})
            *d = std::max<std::chrono::milliseconds>(*d / factor, 1ms);
        return t;
    }
};

} // namespace vistrel
