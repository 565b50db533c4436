#pragma once

#include "exitreason.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <optional>

namespace vistrel {

class LauncherLocalizationManager;
class Platform;

// What the service manager says about the launch agent while the server does not answer: why it
// last stopped and how often it was restarted, with the last lines of the server's error log.
// Added detail beside ServiceManager's status, never a state of its own.
class JobAccount : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasExitReason READ hasExitReason NOTIFY changed)
    Q_PROPERTY(QString exitReasonText READ exitReasonText NOTIFY changed)
    Q_PROPERTY(QStringList errorLogTail READ errorLogTail NOTIFY changed)

public:
    JobAccount(Platform &platform, LauncherLocalizationManager &localization, QObject *parent = nullptr);

    const ExitReason &exitReason() const { return m_reason; }
    bool hasExitReason() const { return m_reason.kind != ExitReason::Kind::None; }
    QString exitReasonText() const;
    const QStringList &errorLogTail() const { return m_logTail; }

    void setIdProgram(const QString &program) { m_idProgram = program; }

    // After each check: a server that answers needs no explanation; otherwise the account is read.
    void followCheck(bool answered);
    // Reads the account afresh and publishes what it says; done once published.
    QCoro::Task<void> update();
    void clear();

    // The server's error log with the desktop's default application, or its folder when missing.
    Q_INVOKABLE void showLogs();

    // Up to count lines from the end of a text file, oldest first, each fit for one row (see
    // printableExcerpt), trimmed and cut to a few hundred characters; lines of only white space
    // are passed over. A line whose start lies too far back shows as its end, cut. Nothing for a
    // file that cannot be read or is not a regular file; the caller never waits on one.
    static QStringList lastLines(const QString &path, int count);

signals:
    void changed();

private:
    QCoro::Task<std::optional<JobRecord>> read();
    void apply(const std::optional<JobRecord> &record);
    int restartsWithinMinute(int runs);

    Platform &m_platform;
    LauncherLocalizationManager &m_localization;
    QString m_idProgram;
    std::optional<QString> m_uid;
    ExitReason m_reason;
    QStringList m_logTail;
    // When each runs count was seen, oldest first, for the restarts of the last minute; kept while
    // the server answers, dropped when the job is loaded afresh or no longer.
    QList<std::pair<qint64, int>> m_seen;
    QElapsedTimer m_clock;
    quint64 m_generation = 0; // a clear() outdates reads under way
    bool m_reading = false;
    bool m_readAgain = false;
};

} // namespace vistrel
