#pragma once

#include <QString>

namespace vistrel {

// Whether the plist at path is there and names our label. Only then does addressing the job by
// its plist reach it; otherwise it is reached by label alone (serviceTarget).
bool plistNamesOurLabel(const QString &plistPath);

// "gui/<uid>/com.qelvo.vistrel": our job in the user's domain, whatever its plist says now.
QString serviceTarget(const QString &uid);

} // namespace vistrel
