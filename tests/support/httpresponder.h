#pragma once

#include <QObject>
#include <QTcpServer>

#include <chrono>

namespace vistrel::test {

// A tiny HTTP server on a free port that answers each connection as the test says.
class HttpResponder : public QObject {
public:
    struct Answer {
        int status = 200; // 0: never answer
        std::chrono::milliseconds delay{0};
        bool hangUp = false;  // close the connection without answering
        QByteArray raw{};     // sent as it is instead of a status line and body
        bool trickle = false; // then one more byte every 20 ms, the connection left open
    };
    static Answer status(int code, std::chrono::milliseconds delay = {}) { return Answer{code, delay}; }
    static Answer hangUp() { return Answer{0, {}, true}; }
    static Answer silent() { return Answer{0}; }

    // Listens on a free port of every address, IPv4 and IPv6; false when that failed.
    bool listen();
    quint16 port() const { return m_server.serverPort(); }

    // The answer for every request from now on; or the n-th answer for the n-th request, the last repeating.
    void setAnswer(Answer answer) { m_answers = {answer}; }
    void setAnswers(QList<Answer> answers) { m_answers = std::move(answers); }
    // Requests seen so far (complete request heads).
    int requests() const { return m_requests; }

private:
    void accept();

    QTcpServer m_server;
    QList<Answer> m_answers{Answer{}};
    int m_requests = 0;
};

} // namespace vistrel::test
