#include "jobaccount.h"

#include "common/commandrunner.h"
#include "common/launchagent.h"
#include "common/paths.h"
#include "launcher/localization/launcherlocalizationmanager.h"
#include "platform/platform.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>

namespace vistrel {

namespace {
constexpr qint64 restartWindowMs = 60 * 1000;
constexpr int logLines = 5;
constexpr qint64 logTailBytes = 16 * 1024;
constexpr std::chrono::milliseconds printTimeout{5000};
} // namespace

JobAccount::JobAccount(Platform &platform, LauncherLocalizationManager &localization, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_localization(localization)
    , m_idProgram(QStringLiteral("/usr/bin/id")) {
    m_clock.start();
    connect(&m_localization, &LauncherLocalizationManager::currentLanguageChanged, this, &JobAccount::changed);
}

QString JobAccount::exitReasonText() const {
    return m_reason.text(m_localization);
}

void JobAccount::followCheck(bool answered) {
    if (answered) {
        clear();
        return;
    }
    // Later, from the event loop: the check's result arrives inside the probe's own signals.
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == m_generation)
                update();
        },
        Qt::QueuedConnection);
}

void JobAccount::clear() {
    ++m_generation;
    m_seen.clear();
    if (!hasExitReason() && m_logTail.isEmpty())
        return;
    m_reason = {};
    m_logTail.clear();
    emit changed();
}

QCoro::Task<void> JobAccount::update() {
    // One read at a time; a request meanwhile reads once more afterwards.
    if (m_reading) {
        m_readAgain = true;
        co_return;
    }
    QPointer<JobAccount> self(this);
    m_reading = true;
    do {
        m_readAgain = false;
        const quint64 generation = m_generation;
        const std::optional<JobRecord> record = co_await read();
        if (!self)
            co_return;
        if (generation == m_generation)
            apply(record);
    } while (m_readAgain);
    m_reading = false;
}

QCoro::Task<std::optional<JobRecord>> JobAccount::read() {
    QPointer<JobAccount> self(this);
    if (!m_uid) {
        const std::optional<QString> uid = co_await currentUserID(m_idProgram);
        if (!self || !uid)
            co_return std::nullopt;
        m_uid = uid;
    }
    const LaunchAgent agent(m_platform.launchctlPath(), QString(), ChildOutput::CaptureMerged, printTimeout);
    const ProcessResult result = (co_await agent.print(*m_uid)).result;
    // A job that is not loaded has no account (and its reason went with it).
    if (!result.started || result.crashed || result.exitCode != 0)
        co_return std::nullopt;
    co_return JobRecord::parse(result.output);
}

int JobAccount::restartsWithinMinute(int runs) {
    const qint64 now = m_clock.elapsed();
    // A job loaded afresh counts its runs from one again.
    if (!m_seen.isEmpty() && runs < m_seen.constLast().second)
        m_seen.clear();
    m_seen.append({now, runs});
    while (m_seen.size() > 1 && now - m_seen.constFirst().first > restartWindowMs)
        m_seen.removeFirst();
    return runs - m_seen.constFirst().second;
}

void JobAccount::apply(const std::optional<JobRecord> &record) {
    const ExitReason reason = record ? ExitReason::from(*record, restartsWithinMinute(record->runs)) : ExitReason{};
    if (!record)
        m_seen.clear();
    const QStringList tail = reason.kind == ExitReason::Kind::None
                                 ? QStringList()
                                 : lastLines(paths::serverErrorLog(m_platform.homeDirectory()), logLines);
    if (reason == m_reason && tail == m_logTail)
        return;
    m_reason = reason;
    m_logTail = tail;
    emit changed();
}

void JobAccount::showLogs() {
    const QString log = paths::serverErrorLog(m_platform.homeDirectory());
    m_platform.openUrl(QUrl::fromLocalFile(QFileInfo::exists(log) ? log : QFileInfo(log).absolutePath()));
}

QStringList JobAccount::lastLines(const QString &path, int count) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Only the end is read: the log of a crashing server grows without bound.
    const qint64 start = std::max<qint64>(file.size() - logTailBytes, 0);
    if (!file.seek(start))
        return {};
    QList<QByteArray> lines = file.read(logTailBytes).split('\n');
    if (start > 0 && !lines.isEmpty())
        lines.removeFirst(); // cut in the middle
    QStringList tail;
    for (auto line = lines.crbegin(); line != lines.crend() && tail.size() < count; ++line) {
        const QString text = QString::fromUtf8(*line).trimmed();
        if (!text.isEmpty())
            tail.prepend(text);
    }
    return tail;
}

} // namespace vistrel
