#include "launchagent.h"

#include "paths.h"
#include "pause.h"
#include "plist.h"
#include "smallfile.h"

namespace vistrel {

bool plistNamesOurLabel(const QString &plistPath) {
    // Ours is a few hundred bytes; whatever sits there is read without blocking and within bounds.
    const std::optional<QByteArray> bytes = readSmallFile(plistPath, 256 * 1024);
    const std::optional<QVariant> plist = bytes ? parsePlist(*bytes) : std::nullopt;
    const QVariant label = plist ? plist->toMap().value(QStringLiteral("Label")) : QVariant();
    return label.typeId() == QMetaType::QString && label.toString() == QStringView(paths::launchAgentLabel);
}

QString serviceTarget(const QString &uid) {
    return QStringLiteral("gui/") + uid + u'/' + QString::fromUtf16(paths::launchAgentLabel);
}

LaunchAgent::LaunchAgent(QString launchctlPath, QString plistPath, ChildOutput output,
                         std::chrono::milliseconds timeout)
    : m_launchctl(std::move(launchctlPath))
    , m_plist(std::move(plistPath))
    , m_output(output)
    , m_timeout(timeout) {}

LaunchAgent::Target LaunchAgent::reachableTarget() const {
    return plistNamesOurLabel(m_plist) ? Target::Plist : Target::Label;
}

QCoro::Task<LaunchctlCall> LaunchAgent::run(QStringList arguments) const {
    // A copy: the task may outlive the client that started it.
    const LaunchAgent self = *this;
    LaunchctlCall call;
    call.commandLine = (QStringList{self.m_launchctl} + arguments).join(u' ');
    call.timeout = self.m_timeout;
    call.result = co_await runProcess(self.m_launchctl, arguments, self.m_output, QString(), self.m_timeout);
    co_return call;
}

QCoro::Task<LaunchctlCall> LaunchAgent::bootstrap(QString uid) const {
    return run({QStringLiteral("bootstrap"), QStringLiteral("gui/") + uid, m_plist});
}

QCoro::Task<LaunchctlCall> LaunchAgent::bootout(QString uid, Target target) const {
    if (target == Target::Label)
        return run({QStringLiteral("bootout"), serviceTarget(uid)});
    return run({QStringLiteral("bootout"), QStringLiteral("gui/") + uid, m_plist});
}

QCoro::Task<LaunchctlCall> LaunchAgent::print(QString uid) const {
    return run({QStringLiteral("print"), serviceTarget(uid)});
}

QCoro::Task<LaunchctlCall> LaunchAgent::restart(QString uid, std::chrono::milliseconds gap) const {
    const LaunchAgent self = *this;
    co_await self.bootout(uid, self.reachableTarget());
    co_await pauseFor(gap);
    co_return co_await self.bootstrap(uid);
}

} // namespace vistrel
