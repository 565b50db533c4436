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
    : FakeLaunchctl(folder,
                    "sleep " + QByteArray::number(pauseSeconds) + "\n(exit " + QByteArray::number(exitCode) + ")\n") {}

FakeLaunchctl FakeLaunchctl::wrapping(const QString &folder, const QString &program) {
    return FakeLaunchctl(folder, "'" + program.toUtf8() + "' \"$@\"\n");
}

FakeLaunchctl::FakeLaunchctl(const QString &folder, const QByteArray &work)
    : m_log(folder + QStringLiteral("/launchctl-calls.log")) {
    QFile::remove(m_log);
    m_path = writeScript(folder + QStringLiteral("/fake-launchctl"),
                         "started=$(date +%s.%N)\n" + work +
                             "code=$?\n"
                             "ended=$(date +%s.%N)\n"
                             "{ printf '%s %s %s' \"$started\" \"$ended\" \"$code\"; printf '\\x1f%s' \"$@\"; "
                             "printf '\\n'; } >> '" +
                             m_log.toUtf8() +
                             "'\n"
                             "exit $code\n");
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
        calls.append(Call{times.value(0).toDouble(), times.value(1).toDouble(), times.value(2).toInt(), fields});
    }
    return calls;
}

} // namespace vistrel::test
