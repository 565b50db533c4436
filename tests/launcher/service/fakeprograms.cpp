#include "fakeprograms.h"

#include "testenv.h"

namespace vistrel::test {

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
