#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace vistrel {

// One window of a program per user: the first start holds a lock for as long as it lives and
// listens on a socket, both in the user's private runtime folder; a later start finds the lock
// held, asks the first through the socket to come to the front, and exits. The kernel drops the
// lock with its process, so a socket left by a killed program is taken over, and whatever else is
// in the socket's place can never let two windows run.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // name: the program's own, used in the socket's file name.
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another instance runs (it has been asked to come to the front): this one should
    // exit. False when this one is now the instance the next start will find (or, with the runtime
    // folder or the lock unusable, runs on its own after saying why on standard output).
    bool handOverToRunningInstance();

    // Where the socket lives; empty when there is no private runtime folder.
    QString socketPath() const { return m_socketPath; }

signals:
    // A later start asked this instance to bring its window to the front.
    void activationRequested();

private:
    void listen();

    QString m_name;
    QString m_socketPath;
    QString m_problem;
    int m_lockFd = -1;
    QLocalServer *m_server = nullptr;
};

} // namespace vistrel
