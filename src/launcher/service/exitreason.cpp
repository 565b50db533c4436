#include "exitreason.h"

#include "launcher/localization/launcherlocalizationmanager.h"

#include <QList>

#include <csignal>

namespace vistrel {

namespace {

// "<key> = <value>" at the account's first level (one tab deep), the last one of each key: the
// arguments block, two tabs deep and printed earlier, cannot pass for a field.
std::optional<QString> field(const QList<QByteArray> &lines, const QByteArray &key) {
    std::optional<QString> value;
    const QByteArray prefix = '\t' + key + " = ";
    for (const QByteArray &line : lines) {
        if (line.startsWith(prefix))
            value = QString::fromUtf8(line.mid(prefix.size())).trimmed();
    }
    return value;
}

// The number that opens "78: EX_CONFIG" or closes "Killed: 9".
std::optional<int> leadingNumber(const QString &text) {
    bool ok = false;
    const int n = text.section(u':', 0, 0).trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

std::optional<int> trailingNumber(const QString &text) {
    bool ok = false;
    const int n = text.section(u':', -1).trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace

std::optional<JobRecord> JobRecord::parse(const QByteArray &printed) {
    const QList<QByteArray> lines = printed.split('\n');
    if (lines.isEmpty() || !lines.constFirst().trimmed().endsWith(" = {"))
        return std::nullopt;
    JobRecord record;
    record.state = field(lines, "state").value_or(QString());
    if (const auto pid = field(lines, "pid")) {
        bool ok = false;
        const qint64 value = pid->toLongLong(&ok);
        if (ok && value > 0)
            record.pid = value;
    }
    const auto runs = field(lines, "runs");
    if (!runs)
        return std::nullopt;
    record.runs = runs->toInt();
    if (const auto code = field(lines, "last exit code"))
        record.lastExitCode = leadingNumber(*code); // "(never exited)" gives none
    if (const auto signal = field(lines, "last terminating signal")) {
        record.lastSignal = trailingNumber(*signal);
        if (record.lastSignal)
            record.lastExitCode.reset();
    }
    return record;
}

ExitReason ExitReason::from(const JobRecord &record, int restartsWithinMinute) {
    ExitReason reason;
    reason.restarts = std::max(record.runs - 1, 0);
    if (record.lastSignal) {
        reason.kind = Kind::Signal;
        reason.signal = *record.lastSignal;
    } else if (record.lastExitCode.value_or(0) != 0) {
        reason.kind = Kind::ExitCode;
        reason.exitCode = *record.lastExitCode;
    } else if (restartsWithinMinute > 1) {
        reason.kind = Kind::Restarting;
    }
    if (reason.kind == Kind::None)
        reason.restarts = 0;
    return reason;
}

QString ExitReason::signalName(int signal) {
    // By the platform's own numbers, which differ between systems.
    static const QList<std::pair<int, const char *>> names = {
        {SIGHUP, "SIGHUP"},   {SIGINT, "SIGINT"},   {SIGQUIT, "SIGQUIT"}, {SIGILL, "SIGILL"},   {SIGTRAP, "SIGTRAP"},
        {SIGABRT, "SIGABRT"}, {SIGBUS, "SIGBUS"},   {SIGFPE, "SIGFPE"},   {SIGKILL, "SIGKILL"}, {SIGUSR1, "SIGUSR1"},
        {SIGSEGV, "SIGSEGV"}, {SIGUSR2, "SIGUSR2"}, {SIGPIPE, "SIGPIPE"}, {SIGALRM, "SIGALRM"}, {SIGTERM, "SIGTERM"},
        {SIGXCPU, "SIGXCPU"}, {SIGXFSZ, "SIGXFSZ"}, {SIGSYS, "SIGSYS"},
    };
    for (const auto &[number, name] : names) {
        if (number == signal)
            return QString::fromLatin1(name);
    }
    return QStringLiteral("signal %1").arg(signal);
}

QString ExitReason::text(const LauncherLocalizationManager &localization) const {
    QString sentence;
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::ExitCode:
        sentence = localization.formatWithInteger(QStringLiteral("service.exitReason.code"), exitCode);
        break;
    case Kind::Signal:
        sentence = localization.formatWithText(QStringLiteral("service.exitReason.signal"), signalName(signal));
        break;
    case Kind::Restarting:
        sentence = localization.localizedString(QStringLiteral("service.exitReason.restarting"));
        break;
    }
    if (restarts == 1)
        sentence += u' ' + localization.localizedString(QStringLiteral("service.exitReason.restartedOnce"));
    else if (restarts > 1)
        sentence += u' ' + localization.formatWithInteger(QStringLiteral("service.exitReason.restarted"), restarts);
    return sentence;
}

} // namespace vistrel
