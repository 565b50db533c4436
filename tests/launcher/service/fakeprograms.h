#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vistrel::test {

// Writes an executable bash script; its path, empty on failure.
QString writeScript(const QString &path, const QByteArray &body);

// The home's launch agent plist, naming our label (the job is reached through it).
bool writeAgentPlist(const QString &home);

// A stand-in for the service manager's tool that records every call (start and end time, exit
// status, the arguments) and exits with a fixed status, or hands the call to a real program.
class FakeLaunchctl {
public:
    struct Call {
        double started = 0; // seconds since the epoch
        double ended = 0;
        int exitCode = 0;
        QStringList arguments;
    };

    FakeLaunchctl(const QString &folder, int exitCode);
    static FakeLaunchctl wrapping(const QString &folder, const QString &program);

    const QString &path() const { return m_path; }
    QList<Call> calls() const;

private:
    FakeLaunchctl(const QString &folder, const QByteArray &work);
    QString m_path;
    QString m_log;
};

} // namespace vistrel::test
