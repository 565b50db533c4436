#pragma once

#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>

namespace vistrel {

class Platform;

// Hands the web interface to a browser and ends the launcher: the server's own script when it is
// there, else http://localhost:<port> in the default browser.
class WebInterface : public QObject {
    Q_OBJECT

public:
    // port: where the server is (the port the window shows, else the one it would use);
    // quitDelay: how long after the hand-over the application ends.
    WebInterface(Platform &platform, std::function<qint64()> port, std::chrono::milliseconds quitDelay,
                 QObject *parent = nullptr);

    Q_INVOKABLE void open();

private:
    void openDefaultBrowser();
    void scheduleTermination();

    Platform &m_platform;
    std::function<qint64()> m_port;
    std::chrono::milliseconds m_quitDelay;
};

} // namespace vistrel
