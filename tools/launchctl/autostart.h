#pragma once

namespace launchctl {

// What the session runs at login: loads every agent in ~/Library/LaunchAgents whose RunAtLoad is
// true, in name order, leaving alone any that is already loaded. Anything there that is not a
// regular file (a FIFO, a device, a folder, a link to one) is skipped with a line saying so; a plist
// that cannot be read or loaded is reported and skipped. Exit status 0 when every agent whose plist
// is a regular file and asks to run at load is loaded afterwards.
int autostart();

} // namespace launchctl
