#pragma once

namespace launchctl {

// What the session runs at login: loads every agent in ~/Library/LaunchAgents whose RunAtLoad is
// true, in name order, leaving alone any that is already loaded. A plist that cannot be read or
// loaded is reported and skipped. Exit status 0 when every such agent is loaded afterwards.
int autostart();

} // namespace launchctl
