#include "servicecleanup.h"

#include "stepcontext.h"

#include "common/paths.h"

namespace vistrel {

QCoro::Task<void> ServiceCleanup::run() {
    m_context.log(QStringLiteral("Stopping existing Vistrel services..."));
    const std::optional<QString> uid = co_await currentUserID();
    m_context.checkpoint();
    const LaunchAgent agent = m_context.launchAgent();
    // Only our own job is stopped: a plist at our path that names another label is not followed.
    const LaunchAgent::Target target = agent.reachableTarget();
    // The service that ran before comes back when the run is undone (the second stop finds none),
    // from our plist only: loading another one would start what was never ours.
    if (uid && target == LaunchAgent::Target::Plist && !m_context.journal().contains(UndoRecord::Kind::Load) &&
        !(co_await agent.print(*uid)).failure()) {
        m_context.checkpoint();
        m_context.record({UndoRecord::load(paths::launchAgentPlist(m_context.home()), *uid)});
    }
    // Nothing to stop is the usual case; no outcome of these matters.
    co_await agent.bootout(uid.value_or(QString()), target);
    const QString pkill = QStringLiteral("/usr/bin/pkill");
    const QStringList kill{QStringLiteral("-9"), QStringLiteral("Tarvik")};
    co_await m_context.process(pkill, kill, ChildOutput::CaptureMerged, m_context.timing().commandTimeout);
    co_await m_context.pause(m_context.timing().settleAfterStop);
}

} // namespace vistrel
