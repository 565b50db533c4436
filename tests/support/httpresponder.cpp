#include "httpresponder.h"

#include <QTcpSocket>
#include <QTimer>

namespace vistrel::test {

bool HttpResponder::listen() {
    // The any-address takes both IPv4 and IPv6, so "localhost" reaches it whichever it resolves to.
    connect(&m_server, &QTcpServer::newConnection, this, &HttpResponder::accept, Qt::UniqueConnection);
    return m_server.listen(QHostAddress::Any, 0);
}

void HttpResponder::accept() {
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, head = QByteArray()]() mutable {
            // One request per connection; anything after its head is ignored.
            if (head.contains("\r\n\r\n"))
                return;
            head += socket->readAll();
            if (!head.contains("\r\n\r\n"))
                return;
            const Answer answer = m_answers.value(m_requests++, m_answers.constLast());
            if (answer.hangUp)
                socket->abort();
            if (!answer.status)
                return;
            QTimer::singleShot(answer.delay, socket, [socket, answer] {
                socket->write(!answer.raw.isEmpty()
                                  ? answer.raw
                                  : "HTTP/1.1 " + QByteArray::number(answer.status) +
                                        " Answer\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
                if (!answer.trickle)
                    return socket->disconnectFromHost();
                auto *drip = new QTimer(socket);
                connect(drip, &QTimer::timeout, socket, [socket] { socket->write("x"); });
                drip->start(20);
            });
        });
    }
}

} // namespace vistrel::test
