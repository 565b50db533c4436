#pragma once

#include <QString>

#include <QCoro/QCoroTask>

namespace vistrel {

class StepContext;

// The launcher step: copies the launcher from the installer bundle to ~/Applications, with its
// application menu entry. An earlier launcher is moved aside, not removed, until the run commits.
class LauncherInstallation {
public:
    LauncherInstallation(StepContext &context, QString installerBundle)
        : m_context(context)
        , m_installerBundle(std::move(installerBundle)) {}

    QCoro::Task<void> run();

private:
    StepContext &m_context;
    QString m_installerBundle;
};

} // namespace vistrel
