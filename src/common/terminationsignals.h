#pragma once

#include <functional>

namespace vistrel {

// SIGTERM, SIGINT and SIGHUP call onSignal with the signal's number on the event loop, never
// inside the signal handler. With secondEndsAtOnce, a second signal of a kind takes its default
// action at once (the program ends), for when the event loop does not get round to the first.
// Call after the application object exists; a later call replaces the earlier handling.
void handleTerminationSignals(std::function<void(int)> onSignal, bool secondEndsAtOnce = false);

// The signals take their default actions again.
void stopHandlingTerminationSignals();

// SIGTERM, SIGINT and SIGHUP end the application through its event loop (exit status 128 plus
// the signal's number), so that what runs on quitting runs: children end, temporary files go.
// Call once, after the application object exists.
void quitOnTerminationSignals();

// From now on the first of those signals calls handler with its number instead, which ends the
// application itself once it has wound up; a second one quits at once as above.
void setTerminationHandler(std::function<void(int signal)> handler);

} // namespace vistrel
