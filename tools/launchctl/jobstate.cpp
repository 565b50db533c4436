#include "jobstate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace launchctl {

QByteArray JobState::toJson() const {
    QJsonObject o;
    o.insert(QStringLiteral("label"), label);
    o.insert(QStringLiteral("plist"), plistPath);
    o.insert(QStringLiteral("program"), program);
    o.insert(QStringLiteral("arguments"), QJsonArray::fromStringList(arguments));
    o.insert(QStringLiteral("workingDirectory"), workingDirectory);
    o.insert(QStringLiteral("standardOutPath"), standardOutPath);
    o.insert(QStringLiteral("standardErrorPath"), standardErrorPath);
    o.insert(QStringLiteral("runAtLoad"), runAtLoad);
    o.insert(QStringLiteral("keepAlive"), keepAlive);
    o.insert(QStringLiteral("throttleInterval"), throttleInterval);
    o.insert(QStringLiteral("exitTimeOut"), exitTimeOut);
    o.insert(QStringLiteral("supervisorPid"), supervisorPid);
    o.insert(QStringLiteral("pid"), pid);
    o.insert(QStringLiteral("pidStartTime"), QString::number(pidStartTime));
    o.insert(QStringLiteral("pgid"), pgid);
    o.insert(QStringLiteral("state"), state);
    o.insert(QStringLiteral("runs"), runs);
    if (lastWaitStatus)
        o.insert(QStringLiteral("lastWaitStatus"), *lastWaitStatus);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

std::optional<JobState> JobState::fromJson(const QByteArray &json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    JobState s;
    s.label = o.value(QStringLiteral("label")).toString();
    if (s.label.isEmpty())
        return std::nullopt;
    s.plistPath = o.value(QStringLiteral("plist")).toString();
    s.program = o.value(QStringLiteral("program")).toString();
    for (const auto &a : o.value(QStringLiteral("arguments")).toArray())
        s.arguments.append(a.toString());
    s.workingDirectory = o.value(QStringLiteral("workingDirectory")).toString();
    s.standardOutPath = o.value(QStringLiteral("standardOutPath")).toString();
    s.standardErrorPath = o.value(QStringLiteral("standardErrorPath")).toString();
    s.runAtLoad = o.value(QStringLiteral("runAtLoad")).toBool();
    s.keepAlive = o.value(QStringLiteral("keepAlive")).toBool();
    s.throttleInterval = o.value(QStringLiteral("throttleInterval")).toInt();
    s.exitTimeOut = o.value(QStringLiteral("exitTimeOut")).toInt();
    s.supervisorPid = o.value(QStringLiteral("supervisorPid")).toInteger();
    s.pid = o.value(QStringLiteral("pid")).toInteger();
    s.pidStartTime = o.value(QStringLiteral("pidStartTime")).toString().toULongLong();
    s.pgid = o.value(QStringLiteral("pgid")).toInteger();
    s.state = o.value(QStringLiteral("state")).toString();
    s.runs = o.value(QStringLiteral("runs")).toInt();
    if (o.contains(QStringLiteral("lastWaitStatus")))
        s.lastWaitStatus = o.value(QStringLiteral("lastWaitStatus")).toInt();
    return s;
}

} // namespace launchctl
