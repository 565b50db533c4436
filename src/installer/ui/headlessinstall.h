#pragma once

namespace vistrel {

// True when the command line asks for the installer without its window (or for its help).
bool wantsHeadlessInstaller(int argc, char *argv[]);

// The installation without a window, for administrators' scripts:
//   VistrelInstaller --headless [--port N] [--language CODE] [--beta] [--download-service ORIGIN]
// Log lines go to standard output, the error to standard error; exit status 0 when the
// installation completed, 1 when it failed, 2 for a command line it cannot run.
int runHeadlessInstaller(int argc, char *argv[]);

} // namespace vistrel
