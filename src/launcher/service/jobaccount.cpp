#include "jobaccount.h"

#include "common/commandrunner.h"
#include "common/launchagent.h"
#include "common/paths.h"
#include "common/regularfile.h"
#include "common/smallfile.h"
#include "launcher/localization/launcherlocalizationmanager.h"
#include "platform/platform.h"

#include <QFileInfo>
#include <QPointer>
#include <QStringDecoder>
#include <QUrl>

namespace vistrel {

namespace {
constexpr qint64 restartWindowMs = 60 * 1000;
constexpr int logLines = 5;
constexpr qint64 logBlockBytes = 16 * 1024;
constexpr qint64 logScanBytes = 1024 * 1024; // how far back a line's start is looked for
constexpr qint64 logLineBytes = 1024;        // what is read of one line
constexpr qsizetype logLineChars = 300;      // what is kept of it; the window elides it further
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
    // The runs seen stay: a server that answers between its restarts still keeps restarting.
    ++m_generation;
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
    RegularFile file;
    if (!file.open(path))
        return {};
    // Read backwards block by block, as far as the lines need and no further than a bound: the log
    // of a crashing server grows without bound, and one line of it may too.
    const qint64 floor = std::max<qint64>(file.size() - logScanBytes, 0);
    QStringList newestFirst;
    auto take = [&](qint64 start, qint64 end, bool cutAtStart) {
        // A stateful decoder keeps back a character cut at the end instead of showing U+FFFD.
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString line = utf8(file.read(start, std::min(end - start, logLineBytes)).value_or(QByteArray()));
        line = printableExcerpt(line, logLineChars).trimmed();
        if (line.isEmpty())
            return;
        if (cutAtStart)
            line.prepend(u'\u2026');
        if (end - start > logLineBytes && !line.endsWith(u'\u2026'))
            line.append(u'\u2026');
        newestFirst.append(line);
    };
    qint64 lineEnd = file.size();
    qint64 pos = file.size();
    while (newestFirst.size() < count && pos > floor) {
        const qint64 from = std::max(pos - logBlockBytes, floor);
        const std::optional<QByteArray> block = file.read(from, pos - from);
        if (!block || block->size() != pos - from)
            return {};
        for (qsizetype i = block->size() - 1; i >= 0 && newestFirst.size() < count; --i) {
            if (block->at(i) == '\n') {
                take(from + i + 1, lineEnd, false);
                lineEnd = from + i;
            }
        }
        pos = from;
    }
    if (newestFirst.size() < count && lineEnd > floor) {
        // The oldest line read: complete at the file's start, else cut where the reading stopped
        // (past any partial character there).
        qint64 start = floor;
        const QByteArray head = file.read(floor, 4).value_or(QByteArray());
        for (qsizetype i = 0; floor > 0 && i < head.size() && (uchar(head[i]) & 0xC0) == 0x80; ++i)
            ++start;
        take(start, lineEnd, floor > 0);
    }
    std::reverse(newestFirst.begin(), newestFirst.end());
    return newestFirst;
}

} // namespace vistrel
