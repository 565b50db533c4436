#include "fakeprograms.h"

#include "common/paths.h"
#include "testenv.h"

namespace vistrel::test {

bool writeAgentPlist(const QString &home) {
    return writeFile(paths::launchAgentPlist(home),
                     "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>Label</key>"
                     "<string>com.qelvo.vistrel</string></dict></plist>\n");
}

} // namespace vistrel::test
