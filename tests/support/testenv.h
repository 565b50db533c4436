#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace vistrel::test {

// Paths of what the build made, for tests that run the real pieces.
QString launchctlTool();     // the service-manager stand-in
QString demoServerProgram(); // the stand-in server executable
QString demoPackage();       // the zip the vendor serves
QString launcherBundle();    // Vistrel.app as built
QString installerBundle();   // VistrelInstaller.app as built

// A TCP port on 127.0.0.1 that nothing listens on right now.
quint16 freePort();

// A loopback port kept for one test: bound on 127.0.0.1 and ::1 without listening, so that
// connections to it are refused and no other program can take it meanwhile. port() is 0 when
// none could be had.
class HeldPort {
public:
    HeldPort();
    ~HeldPort();
    HeldPort(const HeldPort &) = delete;
    HeldPort &operator=(const HeldPort &) = delete;
    quint16 port() const { return m_port; }

private:
    int m_sockets[2] = {-1, -1};
    quint16 m_port = 0;
};

// True when something accepts connections on localhost:port.
bool portIsOpen(quint16 port);

// Writes text to a file, creating its folders. Returns false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);
// Writes an executable bash script; its path, empty on failure.
QString writeScript(const QString &path, const QByteArray &body);
// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString &path);

// A temporary home folder with its own private service-manager domain: XDG_RUNTIME_DIR points at
// a folder inside it for this process and its children. The destructor boots out whatever the
// test left loaded there, so no job outlives the test.
class TestHome {
public:
    explicit TestHome(const QString &nameWithSpecialCharacters = {});
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    bool isValid() const { return m_valid; }
    const QString &path() const { return m_home; }
    QString runtimeDir() const { return m_root.path() + QStringLiteral("/runtime"); }

private:
    QTemporaryDir m_root;
    QString m_home;
    QByteArray m_previousRuntime;
    bool m_valid = false;
};

// A demo vendor started on a free port; origin() is its http://127.0.0.1:<port>. Extra arguments
// select its failure modes.
class DemoVendor {
public:
    explicit DemoVendor(const QStringList &extraArguments = {});
    ~DemoVendor();
    bool isRunning() const { return !m_origin.isEmpty(); }
    const QString &origin() const { return m_origin; }

private:
    std::unique_ptr<QProcess> m_process;
    QString m_origin;
};

// Starts a program of ours as if this were the user's home and temporary folder (the desktop's
// data and configuration folders are those under home).
std::unique_ptr<QProcess> startIn(const QString &home, const QString &tmp, const QString &program,
                                  const QStringList &arguments);
// The newest child of a running process; 0 when it has none.
qint64 newestChild(qint64 pid);
// The bytes of /proc/<pid>/<name>; empty when it cannot be read (the process is gone).
QByteArray procFile(qint64 pid, const QString &name);

// Every file (its bytes), link ("-> " and its target) and empty folder below folder, by relative
// path; nothing below a path that starts with one of skipped.
QMap<QString, QByteArray> snapshot(const QString &folder, const QStringList &skipped = {});

} // namespace vistrel::test
