#include "singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vistrel {

namespace {

constexpr int connectTimeoutMs = 1000;
const QByteArray raiseRequest = QByteArrayLiteral("raise\n");

// Holds an exclusive lock on a file for its lifetime: two programs starting at the same moment
// must not both find nobody and both listen.
class FileLock {
public:
    explicit FileLock(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~FileLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

private:
    int m_fd;
};

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_socketPath = folder + QStringLiteral("/") + name + QStringLiteral(".instance");
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::handOverToRunningInstance() {
    const FileLock lock(m_socketPath + QStringLiteral(".lock"));
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (socket.waitForConnected(connectTimeoutMs)) {
        socket.write(raiseRequest);
        socket.waitForBytesWritten(connectTimeoutMs);
        socket.disconnectFromServer();
        return true;
    }
    // Nobody answers: whatever socket file is there was left by a program that is gone.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath))
        return false; // without the socket, this one still runs; only a later start cannot find it
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains(raiseRequest.trimmed()))
                    emit activationRequested();
            });
        }
    });
    return false;
}

} // namespace vistrel
