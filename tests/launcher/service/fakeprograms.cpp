#include "fakeprograms.h"

#include "common/paths.h"
#include "testenv.h"

namespace vistrel::test {

bool writeAgentPlist(const QString &home) {
    return writeFile(paths::launchAgentPlist(home),
                     "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>Label</key>"
                     "<string>com.qelvo.vistrel</string></dict></plist>\n");
}

FakeLaunchctl::FakeLaunchctl(const QString &folder, int exitCode)
    : m_path(folder + QStringLiteral("/fake-launchctl"))
    , m_log(folder + QStringLiteral("/launchctl-calls.log")) {
    // The launcher's reading of the job's account (print) changes nothing and is not recorded.
    writeScript(m_path, "[ \"$1\" = print ] || echo \"$*\" >> '" + m_log.toUtf8() + "'\nexit " +
                            QByteArray::number(exitCode) + "\n");
}

QStringList FakeLaunchctl::calls() const {
    return QString::fromUtf8(readFile(m_log)).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace vistrel::test
