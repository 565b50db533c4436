#include "httpresponder.h"

#include "testenv.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace vistrel::test {

HttpResponder::HttpResponder(QObject *parent)
    : QObject(parent) {}

HttpResponder::~HttpResponder() = default;

bool HttpResponder::listen() {
    for (int attempt = 0; attempt < 10; ++attempt) {
        const quint16 port = freePort();
        m_servers.clear();
        bool ok = port != 0;
        for (const auto &address : {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)}) {
            auto server = std::make_unique<QTcpServer>();
            if (!server->listen(address, port)) {
                // A machine without IPv6 loopback still has the IPv4 one.
                if (address.protocol() == QAbstractSocket::IPv6Protocol &&
                    server->serverError() != QAbstractSocket::AddressInUseError)
                    continue;
                ok = false;
                break;
            }
            QTcpServer *raw = server.get();
            connect(raw, &QTcpServer::newConnection, this, [this, raw] { accept(raw); });
            m_servers.push_back(std::move(server));
        }
        if (ok) {
            m_port = port;
            return true;
        }
    }
    return false;
}

void HttpResponder::accept(QTcpServer *server) {
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        socket->setParent(this);
        struct Seen {
            QByteArray head;
            bool complete = false;
        };
        auto seen = std::make_shared<Seen>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, seen] {
            seen->head.append(socket->readAll());
            // One request per connection; anything after the head is ignored.
            if (seen->complete || !seen->head.contains("\r\n\r\n"))
                return;
            seen->complete = true;
            ++m_requests;
            Answer answer = m_default;
            if (!m_queue.empty()) {
                answer = m_queue.front();
                m_queue.pop_front();
            }
            emit requestReceived();
            if (answer.silent)
                return;
            if (answer.hangUp) {
                socket->abort();
                return;
            }
            QPointer<QTcpSocket> guard(socket);
            QTimer::singleShot(answer.delay, this, [guard, answer] {
                if (!guard)
                    return;
                const QByteArray body = "ok";
                guard->write("HTTP/1.1 " + QByteArray::number(answer.status) + " Answer\r\nContent-Length: " +
                             QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                guard->disconnectFromHost();
            });
        });
    }
}

} // namespace vistrel::test
