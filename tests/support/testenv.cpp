#include "testenv.h"

#include "common/paths.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>

#include <filesystem>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace vistrel::test {

QString launchctlTool() {
    return QStringLiteral(VISTREL_TEST_LAUNCHCTL);
}
QString demoServerProgram() {
    return QStringLiteral(VISTREL_TEST_DEMO_SERVER);
}
QString demoPackage() {
    return QStringLiteral(VISTREL_TEST_DEMO_PACKAGE);
}
QString launcherBundle() {
    return QStringLiteral(VISTREL_TEST_LAUNCHER_BUNDLE);
}
QString installerBundle() {
    return QStringLiteral(VISTREL_TEST_INSTALLER_BUNDLE);
}

quint16 freePort() {
    // Bind both loopbacks' port 0 and hand out what the kernel chose; retry when the IPv6 side is taken.
    for (int attempt = 0; attempt < 50; ++attempt) {
        QTcpServer v4;
        if (!v4.listen(QHostAddress::LocalHost, 0))
            continue;
        const quint16 port = v4.serverPort();
        QTcpServer v6;
        if (v6.listen(QHostAddress::LocalHostIPv6, port) || v6.serverError() != QAbstractSocket::AddressInUseError)
            return port;
    }
    return 0;
}

HeldPort::HeldPort() {
    // Without SO_REUSEADDR on our side, nobody else can bind the port, listening or not.
    const auto bindTo = [](int family, quint16 port) {
        const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_storage address = {};
        socklen_t size = 0;
        if (family == AF_INET) {
            auto *v4 = reinterpret_cast<sockaddr_in *>(&address);
            *v4 = {AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
            size = sizeof(sockaddr_in);
        } else {
            auto *v6 = reinterpret_cast<sockaddr_in6 *>(&address);
            v6->sin6_family = AF_INET6;
            v6->sin6_port = htons(port);
            v6->sin6_addr = in6addr_loopback;
            size = sizeof(sockaddr_in6);
        }
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0)
            return fd;
        if (fd >= 0)
            ::close(fd);
        return -1;
    };
    for (int attempt = 0; attempt < 50 && m_port == 0; ++attempt) {
        m_sockets[0] = bindTo(AF_INET, 0);
        sockaddr_in bound = {};
        socklen_t size = sizeof(bound);
        if (m_sockets[0] < 0 || ::getsockname(m_sockets[0], reinterpret_cast<sockaddr *>(&bound), &size) != 0)
            break;
        m_sockets[1] = bindTo(AF_INET6, ntohs(bound.sin_port));
        if (m_sockets[1] >= 0)
            m_port = ntohs(bound.sin_port);
        else
            ::close(std::exchange(m_sockets[0], -1));
    }
}

HeldPort::~HeldPort() {
    for (const int fd : m_sockets) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool portIsOpen(quint16 port) {
    for (const auto &address : {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)}) {
        QTcpSocket socket;
        socket.connectToHost(address, port);
        if (socket.waitForConnected(1000))
            return true;
    }
    return false;
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QString writeScript(const QString &path, const QByteArray &body) {
    if (!writeFile(path, "#!/bin/bash\n" + body) ||
        !QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser))
        return {};
    return path;
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TestHome::TestHome(const QString &nameWithSpecialCharacters) {
    if (!m_root.isValid())
        return;
    m_home = m_root.path() + QStringLiteral("/") +
             (nameWithSpecialCharacters.isEmpty() ? QStringLiteral("home") : nameWithSpecialCharacters);
    m_valid = QDir().mkpath(m_home) && QDir().mkpath(runtimeDir());
    QFile::setPermissions(runtimeDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_previousRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtimeDir().toLocal8Bit());
}

TestHome::~TestHome() {
    if (m_valid) {
        // Unload whatever the test left in this private domain (quietly: usually nothing is loaded).
        QProcess bootout;
        bootout.setStandardOutputFile(QProcess::nullDevice());
        bootout.setStandardErrorFile(QProcess::nullDevice());
        bootout.start(launchctlTool(), {QStringLiteral("bootout"), QStringLiteral("gui/%1").arg(::getuid()),
                                        paths::launchAgentPlist(m_home)});
        bootout.waitForFinished(60000);
    }
    if (m_previousRuntime.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", m_previousRuntime);
}

DemoVendor::DemoVendor(const QStringList &extraArguments)
    : m_process(std::make_unique<QProcess>()) {
    QStringList args{QStringLiteral("--package"), demoPackage(), QStringLiteral("--port"), QStringLiteral("0")};
    args += extraArguments;
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QStringLiteral(VISTREL_TEST_DEMO_VENDOR), args);
    if (!m_process->waitForStarted(5000))
        return;
    // The vendor prints its origin on its first line once it listens.
    QElapsedTimer timer;
    timer.start();
    while (!m_process->canReadLine() && timer.elapsed() < 10000)
        m_process->waitForReadyRead(200);
    if (m_process->canReadLine())
        m_origin = QString::fromUtf8(m_process->readLine()).trimmed();
}

DemoVendor::~DemoVendor() {
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(3000))
            m_process->kill();
        m_process->waitForFinished(3000);
    }
}

std::unique_ptr<QProcess> startIn(const QString &home, const QString &tmp, const QString &program,
                                  const QStringList &arguments) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("TMPDIR"), tmp);
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    return process;
}

qint64 newestChild(qint64 pid) {
    return procFile(pid, QStringLiteral("task/%1/children").arg(pid)).trimmed().split(' ').last().toLongLong();
}

QByteArray procFile(qint64 pid, const QString &name) {
    return readFile(QStringLiteral("/proc/%1/").arg(pid) + name);
}

QMap<QString, QByteArray> snapshot(const QString &folder, const QStringList &skipped) {
    QMap<QString, QByteArray> entries;
    const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    for (QDirIterator it(folder, all, QDirIterator::Subdirectories); it.hasNext();) {
        const QFileInfo info(it.next());
        const QString path = QDir(folder).relativeFilePath(info.filePath());
        if (std::any_of(skipped.begin(), skipped.end(), [&](const QString &s) { return path.startsWith(s); }))
            continue;
        if (info.isSymLink())
            entries[path] = "-> " + QByteArray::fromStdString(std::filesystem::read_symlink(
                                        QFile::encodeName(info.filePath()).toStdString()));
        else if (!info.isDir())
            entries[path] = readFile(info.filePath());
        else if (QDir(info.filePath()).isEmpty(all))
            entries[path] = "<empty folder>";
    }
    return entries;
}

} // namespace vistrel::test
