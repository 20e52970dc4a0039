#include "loopbackserver.h"

#include <QTcpSocket>
#include <QTimer>
#include <memory>

TestReply testPage(const QByteArray &status, const QByteArray &body, const QByteArray &headers)
{
    return {"HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
                "\r\n" + headers,
            body};
}

LoopbackServer::LoopbackServer(Handler handler, const QString &address)
    : m_handler(std::move(handler))
{
    m_server.listen(QHostAddress(address));
    m_clock.start();
    QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            serve(socket);
    });
}

void LoopbackServer::serve(QTcpSocket *socket)
{
    auto head = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket, head] {
        m_open -= head->contains("\r\n\r\n") ? 1 : 0; // a request was in progress
        socket->deleteLater();
    });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
        const bool complete = head->contains("\r\n\r\n");
        *head += socket->readAll();
        if (complete || !head->contains("\r\n\r\n"))
            return;
        m_mostOpen = std::max(m_mostOpen, ++m_open);
        m_requests += head->left(head->indexOf("\r\n\r\n") + 2);
        m_arrivals += m_clock.elapsed();
        const TestReply reply = m_handler(head->split(' ').value(1));
        QTimer::singleShot(reply.delayMs, socket, [socket, reply] {
            socket->write(reply.head + "Connection: close\r\n\r\n" + reply.body);
            if (reply.then == TestReply::Then::Close) {
                socket->disconnectFromHost();
            } else if (reply.then == TestReply::Then::Trickle) {
                auto *timer = new QTimer(socket);
                QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
                timer->start(50);
            }
        });
    });
}
