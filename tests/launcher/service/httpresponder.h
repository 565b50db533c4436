#pragma once

#include <QList>
#include <QObject>
#include <QTcpServer>

#include <chrono>
#include <deque>
#include <memory>

namespace vistrel::test {

// A tiny HTTP server on both loopbacks that answers each connection as the test says.
class HttpResponder : public QObject {
    Q_OBJECT

public:
    struct Answer {
        int status = 200;
        std::chrono::milliseconds delay{0};
        bool hangUp = false; // close the connection without answering
        bool silent = false; // keep the connection open and never answer
    };
    static Answer status(int code, std::chrono::milliseconds delay = std::chrono::milliseconds(0)) {
        return Answer{code, delay, false, false};
    }
    static Answer hangUp() { return Answer{0, {}, true, false}; }
    static Answer silent() { return Answer{0, {}, false, true}; }

    explicit HttpResponder(QObject *parent = nullptr);
    ~HttpResponder() override;

    // Listens on a free port; false when that failed.
    bool listen();
    quint16 port() const { return m_port; }

    // The answer for every request without a queued one.
    void setAnswer(Answer answer) { m_default = answer; }
    // Answers for the next requests, in order.
    void queueAnswer(Answer answer) { m_queue.push_back(answer); }

    // Requests seen so far (complete request heads).
    int requests() const { return m_requests; }

signals:
    void requestReceived();

private:
    void accept(QTcpServer *server);

    std::vector<std::unique_ptr<QTcpServer>> m_servers;
    quint16 m_port = 0;
    Answer m_default;
    std::deque<Answer> m_queue;
    int m_requests = 0;
};

} // namespace vistrel::test
