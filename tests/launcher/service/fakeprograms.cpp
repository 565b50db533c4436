#include "fakeprograms.h"

#include "common/paths.h"
#include "testenv.h"

#include <QFile>

namespace vistrel::test {

bool writeAgentPlist(const QString &home) {
    return writeFile(paths::launchAgentPlist(home),
                     "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>Label</key>"
                     "<string>com.qelvo.vistrel</string></dict></plist>\n");
}

QString writeScript(const QString &path, const QByteArray &body) {
    if (!writeFile(path, "#!/bin/bash\n" + body))
        return {};
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}

FakeLaunchctl::FakeLaunchctl(const QString &folder, int exitCode)
    : FakeLaunchctl(folder, "(exit " + QByteArray::number(exitCode) + ")\n") {}

FakeLaunchctl FakeLaunchctl::wrapping(const QString &folder, const QString &program) {
    return FakeLaunchctl(folder, "'" + program.toUtf8() + "' \"$@\"\n");
}

FakeLaunchctl::FakeLaunchctl(const QString &folder, const QByteArray &work)
    : m_log(folder + QStringLiteral("/launchctl-calls.log")) {
    QFile::remove(m_log);
    // One line a call: start, end and status, then each argument after a unit separator.
    m_path = writeScript(folder + QStringLiteral("/fake-launchctl"),
                         "started=$(date +%s.%N)\n" + work + "code=$?\nended=$(date +%s.%N)\n" +
                             "{ printf '%s %s %s' \"$started\" \"$ended\" \"$code\"; printf '\\x1f%s' \"$@\"; "
                             "printf '\\n'; } >> '" +
                             m_log.toUtf8() + "'\nexit $code\n");
}

QList<FakeLaunchctl::Call> FakeLaunchctl::calls() const {
    QList<Call> calls;
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return calls;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList fields = QString::fromUtf8(line).split(QChar(0x1f));
        const QStringList times = fields.takeFirst().split(u' ');
        calls.append(Call{times.value(0).toDouble(), times.value(1).toDouble(), times.value(2).toInt(), fields});
    }
    return calls;
}

} // namespace vistrel::test
