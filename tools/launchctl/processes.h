#pragma once

#include <QtGlobal>

#include <optional>

namespace launchctl {

// Start time of a live (not zombie) process in clock ticks since boot; nothing when there is none.
std::optional<quint64> processStartTime(qint64 pid);

// Whether any live process belongs to the process group.
bool processGroupExists(qint64 pgid);

// Closes every descriptor from `from` upwards.
void closeDescriptorsFrom(int from);

} // namespace launchctl
