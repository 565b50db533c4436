#pragma once

#include <QString>

#include <QCoro/QCoroTask>

namespace vistrel {

class StepContext;

// The service step: writes the launch agent's plist and loads it, reloading an agent that is
// still loaded, and has it loaded again at each login. The plist's and the login entry's previous
// bytes, and the loading itself, are journaled first.
class LaunchAgentSetup {
public:
    explicit LaunchAgentSetup(StepContext &context)
        : m_context(context) {}

    QCoro::Task<void> run();

    // The launch agent plist, byte for byte; every inserted path is XML-escaped (a home folder
    // without & < > " ' gives the paths exactly as they are).
    static QString plistText(const QString &executable, const QString &installRoot, const QString &executableFolder,
                             const QString &home);

private:
    StepContext &m_context;
};

} // namespace vistrel
