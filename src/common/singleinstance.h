#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace vistrel {

// One window of a program per user: the first start listens on a socket in the user's runtime
// folder; a later start asks it to come to the front and then exits. A socket left by a killed
// program answers nobody and is taken over.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // name: the program's own, used in the socket's file name.
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another instance runs (it has been asked to come to the front): this one should
    // exit. False when this one is now the instance the next start will find.
    bool handOverToRunningInstance();

    // Where the socket lives.
    QString socketPath() const { return m_socketPath; }

signals:
    // A later start asked this instance to bring its window to the front.
    void activationRequested();

private:
    QString m_socketPath;
    QLocalServer *m_server = nullptr;
};

} // namespace vistrel
