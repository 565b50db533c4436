#include "singleinstance.h"

#include "diagnostics.h"
#include "privatefiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {

constexpr int connectTimeoutMs = 1000;
const QByteArray raiseRequest = QByteArrayLiteral("raise\n");

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name) {
    const QString folder = userRuntimeFolder(&m_problem);
    if (!folder.isEmpty())
        m_socketPath = folder + QStringLiteral("/") + name + QStringLiteral(".instance");
}

SingleInstance::~SingleInstance() {
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool SingleInstance::handOverToRunningInstance() {
    if (!m_socketPath.isEmpty())
        m_lockFd = openLockFile(m_socketPath + QStringLiteral(".lock"), &m_problem);
    if (m_lockFd < 0) {
        printLine(QStringLiteral("%1; a second start of %2 will not find this one").arg(m_problem, m_name));
        return false;
    }
    const bool locked = ::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0;
    const int error = errno;
    if (locked) {
        listen();
        return false;
    }
    ::close(m_lockFd);
    m_lockFd = -1;
    if (error != EWOULDBLOCK) {
        printLine(QStringLiteral("Could not lock %1.lock: %2; a second start of %3 will not find this one")
                      .arg(m_socketPath, QString::fromLocal8Bit(std::strerror(error)), m_name));
        return false;
    }
    // The instance holding the lock may be a moment away from listening.
    QElapsedTimer clock;
    clock.start();
    do {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(connectTimeoutMs)) {
            socket.write(raiseRequest);
            socket.waitForBytesWritten(connectTimeoutMs);
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(50);
    } while (clock.elapsed() < connectTimeoutMs);
    printLine(QStringLiteral("%1 is already running, but it could not be asked to come to the front through %2")
                  .arg(m_name, m_socketPath));
    return true;
}

void SingleInstance::listen() {
    // With the lock held nobody listens: a socket in the way was left by a program that is gone.
    // Anything else there is not ours to remove.
    const QByteArray native = QFile::encodeName(m_socketPath);
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            printLine(QStringLiteral("%1 is not a socket; a second start of %2 cannot bring this window to the front")
                          .arg(m_socketPath, m_name));
            return;
        }
        ::unlink(native.constData());
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        printLine(QStringLiteral("Could not listen on %1: %2").arg(m_socketPath, m_server->errorString()));
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains(raiseRequest.trimmed()))
                    emit activationRequested();
            });
        }
    });
}

} // namespace vistrel
