#pragma once

#include <QByteArray>
#include <QElapsedTimer>
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

// A scripted HTTP server on a loopback address (127.0.0.x are distinct hosts); it answers
// on the test's event loop and counts the requests it serves at once.
class LoopbackServer final
{
  public:
    using Handler = std::function<TestReply(const QByteArray &path)>;
    explicit LoopbackServer(Handler handler, const QString &address = QStringLiteral("127.0.0.1"));

    QByteArray base() const // "http://127.0.0.1:<port>"
    {
        return "http://" + m_server.serverAddress().toString().toLatin1() + ':' +
               QByteArray::number(m_server.serverPort());
    }
    const QList<QByteArray> &requests() const { return m_requests; } // heads as received
    const QList<qint64> &arrivals() const { return m_arrivals; }     // ms since start, each
    int mostAtOnce() const { return m_mostOpen; } // requests in progress at the same time
    int openRequests() const { return m_open; }   // requests whose client has not hung up

  private:
    void serve(QTcpSocket *socket);

    Handler m_handler;
    QTcpServer m_server;
    QElapsedTimer m_clock;
    QList<QByteArray> m_requests;
    QList<qint64> m_arrivals;
    int m_open = 0;
    int m_mostOpen = 0;
};
