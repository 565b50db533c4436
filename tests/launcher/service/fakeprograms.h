#pragma once

#include <QString>

namespace vistrel::test {

// The home's launch agent plist, naming our label (the job is reached through it).
bool writeAgentPlist(const QString &home);

} // namespace vistrel::test
