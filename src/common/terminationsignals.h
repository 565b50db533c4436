#pragma once

namespace vistrel {

// SIGTERM, SIGINT and SIGHUP end the application through its event loop (exit status 128 plus
// the signal's number), so that what runs on quitting runs: children end, temporary files go.
// Call once, after the application object exists.
void quitOnTerminationSignals();

} // namespace vistrel
