#include "fakeprograms.h"

#include "testenv.h"

#include <QFile>

namespace vistrel::test {

QString writeScript(const QString &path, const QByteArray &body) {
    if (!writeFile(path, "#!/bin/bash\n" + body))
        return {};
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}

FakeLaunchctl::FakeLaunchctl(const QString &folder, int exitCode, double pauseSeconds)
    : m_log(folder + QStringLiteral("/launchctl-calls.log")) {
    QFile::remove(m_log);
    const QByteArray log = m_log.toUtf8();
    m_path = writeScript(folder + QStringLiteral("/fake-launchctl"),
                         "started=$(date +%s.%N)\n"
                         "sleep " +
                             QByteArray::number(pauseSeconds) +
                             "\n"
                             "ended=$(date +%s.%N)\n"
                             "{ printf '%s %s' \"$started\" \"$ended\"; printf '\\x1f%s' \"$@\"; printf '\\n'; } >> '" +
                             log +
                             "'\n"
                             "exit " +
                             QByteArray::number(exitCode) + "\n");
}

QList<FakeLaunchctl::Call> FakeLaunchctl::calls() const {
    QList<Call> calls;
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return calls;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        QStringList fields = QString::fromUtf8(line).split(QChar(0x1f));
        const QStringList times = fields.takeFirst().split(u' ');
        calls.append(Call{times.value(0).toDouble(), times.value(1).toDouble(), fields});
    }
    return calls;
}

} // namespace vistrel::test
