#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <functional>

// What the server sends for one request.
struct TestReply
{
    enum class Then { Close, Stall, Trickle };
    QByteArray head; // status line and header lines, each ended by CR LF
    QByteArray body;
    Then then = Then::Close; // after the body: hang up, stay silent, or send a byte every 50 ms
    int delayMs = 0;         // before anything is sent
};

// status "404 Not Found"; adds Content-Length
TestReply testPage(const QByteArray &status, const QByteArray &body = {},
                   const QByteArray &headers = {});

// A scripted HTTP server on 127.0.0.1; it answers on the test's event loop.
class LoopbackServer final
{
  public:
    using Handler = std::function<TestReply(const QByteArray &path)>;
    explicit LoopbackServer(Handler handler);

    QByteArray base() const // "http://127.0.0.1:<port>"
    {
        return "http://127.0.0.1:" + QByteArray::number(m_server.serverPort());
    }
    const QList<QByteArray> &requests() const { return m_requests; } // heads as received

  private:
    void serve(QTcpSocket *socket);

    Handler m_handler;
    QTcpServer m_server;
    QList<QByteArray> m_requests;
};
