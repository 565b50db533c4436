#include "jobspec.h"

#include "common/plist.h"
#include "common/smallfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVariantMap>

#include <sys/stat.h>

namespace launchctl {

namespace {

// Longest wait a plist may ask for; keeps the arithmetic on milliseconds far from overflow.
constexpr qint64 maxSeconds = 24 * 3600;

std::optional<QVariantMap> readTopDictionary(const QString &path, QString *reason) {
    // Without blocking: a FIFO or a device in the plist's place is refused, not waited on.
    QString why;
    const std::optional<QByteArray> bytes = vistrel::readSmallFile(path, vistrel::maxPlistBytes, &why);
    if (!bytes) {
        *reason = QStringLiteral("The property list %1 %2").arg(path, why);
        return std::nullopt;
    }
    const auto value = vistrel::parsePlist(*bytes, &why);
    if (!value) {
        *reason = QStringLiteral("Malformed property list %1: %2").arg(path, why);
        return std::nullopt;
    }
    if (value->typeId() != QMetaType::QVariantMap) {
        *reason = QStringLiteral("Malformed property list %1: the top level is not a dictionary").arg(path);
        return std::nullopt;
    }
    return value->toMap();
}

bool isString(const QVariant &v) {
    return v.typeId() == QMetaType::QString;
}

std::optional<QString> labelOf(const QVariantMap &dict, const QString &path, QString *reason) {
    const QVariant label = dict.value(QStringLiteral("Label"));
    if (!label.isValid()) {
        *reason = QStringLiteral("No Label in %1").arg(path);
        return std::nullopt;
    }
    if (!isString(label) || label.toString().isEmpty()) {
        *reason = QStringLiteral("Label in %1 is not a non-empty string").arg(path);
        return std::nullopt;
    }
    return label.toString();
}

QString absolute(const QString &path) {
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

std::optional<QString> loadJobLabel(const QString &givenPath, QString *reason) {
    const QString path = absolute(givenPath);
    const auto dict = readTopDictionary(path, reason);
    if (!dict)
        return std::nullopt;
    return labelOf(*dict, path, reason);
}

std::optional<JobSpec> loadJobSpec(const QString &givenPath, QString *reason) {
    JobSpec job;
    job.plistPath = absolute(givenPath);
    const QString &path = job.plistPath;
    const auto dictOpt = readTopDictionary(path, reason);
    if (!dictOpt)
        return std::nullopt;
    const QVariantMap &dict = *dictOpt;
    const auto label = labelOf(dict, path, reason);
    if (!label)
        return std::nullopt;
    job.label = *label;

    auto fail = [&](const QString &key, const char *what) {
        *reason = QStringLiteral("%1 in %2 is not %3").arg(key, path, QString::fromLatin1(what));
        return std::nullopt;
    };

    const QVariant args = dict.value(QStringLiteral("ProgramArguments"));
    if (!args.isValid()) {
        *reason = QStringLiteral("No ProgramArguments in %1").arg(path);
        return std::nullopt;
    }
    if (args.typeId() != QMetaType::QVariantList)
        return fail(QStringLiteral("ProgramArguments"), "an array of strings");
    for (const QVariant &a : args.toList()) {
        if (!isString(a))
            return fail(QStringLiteral("ProgramArguments"), "an array of strings");
        job.arguments.append(a.toString());
    }
    if (job.arguments.isEmpty() || job.arguments.first().isEmpty())
        return fail(QStringLiteral("ProgramArguments"), "a non-empty array starting with the program");
    job.program = job.arguments.first();
    if (dict.contains(QStringLiteral("Program"))) {
        const QVariant program = dict.value(QStringLiteral("Program"));
        if (!isString(program) || program.toString().isEmpty())
            return fail(QStringLiteral("Program"), "a non-empty string");
        job.program = program.toString();
    }

    const QVariant env = dict.value(QStringLiteral("EnvironmentVariables"));
    if (env.isValid()) {
        if (env.typeId() != QMetaType::QVariantMap)
            return fail(QStringLiteral("EnvironmentVariables"), "a dictionary of strings");
        const QVariantMap vars = env.toMap();
        for (auto it = vars.cbegin(); it != vars.cend(); ++it) {
            if (!isString(it.value()) || it.key().isEmpty() || it.key().contains(u'='))
                return fail(QStringLiteral("EnvironmentVariables"), "a dictionary of strings");
            job.environment.append({it.key(), it.value().toString()});
        }
    }

    const std::pair<const char *, QString *> strings[] = {
        {"WorkingDirectory", &job.workingDirectory},
        {"StandardOutPath", &job.standardOutPath},
        {"StandardErrorPath", &job.standardErrorPath},
    };
    for (const auto &[key, target] : strings) {
        const QVariant v = dict.value(QString::fromLatin1(key));
        if (!v.isValid())
            continue;
        if (!isString(v))
            return fail(QString::fromLatin1(key), "a string");
        *target = v.toString();
    }

    // A log is appended to: a FIFO there would hold the job before it runs, a folder cannot be
    // written. A device (/dev/null) is fine; a path that does not exist yet is created.
    const std::pair<const char *, QString> logs[] = {{"StandardOutPath", job.standardOutPath},
                                                     {"StandardErrorPath", job.standardErrorPath}};
    for (const auto &[key, log] : logs) {
        if (log.isEmpty())
            continue;
        const QString resolved =
            QDir(job.workingDirectory.isEmpty() ? QStringLiteral("/") : job.workingDirectory).absoluteFilePath(log);
        struct stat st {};
        if (::stat(QFile::encodeName(resolved).constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode)) {
            *reason = QStringLiteral("%1 in %2 names %3, which is not a regular file")
                          .arg(QString::fromLatin1(key), path, resolved);
            return std::nullopt;
        }
    }

    const QVariant runAtLoad = dict.value(QStringLiteral("RunAtLoad"));
    if (runAtLoad.isValid()) {
        if (runAtLoad.typeId() != QMetaType::Bool)
            return fail(QStringLiteral("RunAtLoad"), "a boolean");
        job.runAtLoad = runAtLoad.toBool();
    }
    const QVariant keepAlive = dict.value(QStringLiteral("KeepAlive"));
    if (keepAlive.isValid()) {
        // A dictionary of conditions is taken as "always": no condition is modelled here.
        if (keepAlive.typeId() == QMetaType::Bool)
            job.keepAlive = keepAlive.toBool();
        else if (keepAlive.typeId() == QMetaType::QVariantMap)
            job.keepAlive = true;
        else
            return fail(QStringLiteral("KeepAlive"), "a boolean or a dictionary");
    }

    const QVariant nice = dict.value(QStringLiteral("Nice"));
    if (nice.isValid()) {
        if (nice.typeId() != QMetaType::LongLong || nice.toLongLong() < -20 || nice.toLongLong() > 20)
            return fail(QStringLiteral("Nice"), "an integer from -20 to 20");
        job.nice = int(nice.toLongLong());
    }
    const std::pair<const char *, int *> seconds[] = {
        {"ExitTimeOut", &job.exitTimeOut},
        {"ThrottleInterval", &job.throttleInterval},
    };
    for (const auto &[key, target] : seconds) {
        const QVariant v = dict.value(QString::fromLatin1(key));
        if (!v.isValid())
            continue;
        if (v.typeId() != QMetaType::LongLong || v.toLongLong() < 0 || v.toLongLong() > maxSeconds)
            return fail(QString::fromLatin1(key), "a number of seconds");
        *target = int(v.toLongLong());
    }
    // Zero would mean "wait forever" for SIGTERM, which leaves bootout hanging on a stuck job.
    if (job.exitTimeOut == 0)
        job.exitTimeOut = JobSpec{}.exitTimeOut;
    return job;
}

} // namespace launchctl
