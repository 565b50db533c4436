#pragma once

#include <QStringList>

namespace vistrel::test {

// The home's launch agent plist, naming our label (the job is reached through it).
bool writeAgentPlist(const QString &home);

// A stand-in for the service manager's tool that records each call's arguments and exits with a
// fixed status.
class FakeLaunchctl {
public:
    FakeLaunchctl(const QString &folder, int exitCode);
    const QString &path() const { return m_path; }
    QStringList calls() const; // one line a call, the arguments joined by blanks

private:
    QString m_path;
    QString m_log;
};

} // namespace vistrel::test
