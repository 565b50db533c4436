#pragma once

namespace vistrel {

// True when the command line asks for the uninstaller without a window (or for the help).
bool wantsHeadlessUninstall(int argc, char *argv[]);

// `Vistrel --uninstall --yes`: the uninstaller without a window. Its log goes to standard output,
// the error to standard error; exit status 0 when it completed, 1 when a step failed, 2 for a
// command line it does not run (--uninstall without --yes among them).
int runHeadlessUninstall(int argc, char *argv[]);

} // namespace vistrel
