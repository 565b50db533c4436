#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

namespace launchctl {

// One job as its property list describes it, checked and ready to hand to a supervisor.
struct JobSpec {
    QString label;
    QString plistPath; // absolute
    QString program;   // Program when given, else the first of ProgramArguments
    QStringList arguments;
    QList<QPair<QString, QString>> environment; // applied over the inherited environment
    QString workingDirectory;
    QString standardOutPath;
    QString standardErrorPath;
    bool runAtLoad = false;
    bool keepAlive = false;
    std::optional<int> nice;
    int exitTimeOut = 20;      // seconds between SIGTERM and SIGKILL when stopping
    int throttleInterval = 10; // seconds between two starts at least
};

// Reads and checks the property list at path. Unknown keys are ignored; a missing, unreadable or
// malformed file, a missing Label or ProgramArguments, or a known key of the wrong type gives
// nothing and one line naming the reason in *reason.
std::optional<JobSpec> loadJobSpec(const QString &path, QString *reason);

// Only the Label of the property list at path, with the same failure reasons.
std::optional<QString> loadJobLabel(const QString &path, QString *reason);

} // namespace launchctl
