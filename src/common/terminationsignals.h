#pragma once

#include <functional>

namespace vistrel {

// SIGTERM, SIGINT and SIGHUP end the application through its event loop (exit status 128 plus
// the signal's number), so that what runs on quitting runs: children end, temporary files go.
// Call once, after the application object exists.
void quitOnTerminationSignals();

// From now on the first of those signals calls handler with its number instead, which ends the
// application itself once it has wound up; a second one quits at once as above.
void setTerminationHandler(std::function<void(int signal)> handler);

} // namespace vistrel
