#include "singleinstance.h"
#include "instanceframe.h"
#include "singleinstance_os.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

namespace platform {
namespace {
constexpr int RetryPauseMs = 50;
constexpr qint64 ConnectAttemptMs = 500;

TStartResult Failed(const QString &why)
{
    return {TInstanceRole::Failed, false, 0, why};
}

TStartResult Unguarded(const QString &why)
{
    return {TInstanceRole::First, false, 0,
            QStringLiteral("Favrake runs without its single-instance guard: ") + why};
}

int Remaining(const QDeadlineTimer &deadline)
{
    return int(deadline.remainingTime());
}

void Drop(QLocalSocket *socket)
{
    socket->abort();
    socket->deleteLater();
}

const QString NotDone = QStringLiteral("The running copy of Favrake ended without doing it.");
} // namespace

TInstanceReply::TInstanceReply(QLocalSocket *socket) : m_socket(socket) {}

TInstanceReply::~TInstanceReply()
{
    Answer(1, NotDone);
}

void TInstanceReply::Notify(const QString &text)
{
    if (m_answered || !m_socket)
        return;
    m_socket->write(EncodeNoticeFrame(text));
    m_socket->flush();
}

void TInstanceReply::Answer(int exitStatus, const QString &text)
{
    if (m_answered)
        return;
    m_answered = true;
    if (!m_socket)
        return; // the other copy is gone
    m_socket->write(EncodeReplyFrame(exitStatus, text));
    m_socket->flush();
    m_socket->disconnectFromServer();
}

TSingleInstance::TSingleInstance(const QString &folder, const TInstanceTimeouts &timeouts,
                                 QObject *parent)
    : QObject(parent), m_folder(QDir::cleanPath(folder)), m_timeouts(timeouts),
      m_lifeSigns(new QTimer(this))
{
    connect(m_lifeSigns, &QTimer::timeout, this, &TSingleInstance::SendLifeSigns);
}

TSingleInstance::~TSingleInstance()
{
    for (const std::weak_ptr<TInstanceReply> &waiting : m_replies) {
        if (const std::shared_ptr<TInstanceReply> reply = waiting.lock())
            reply->Answer(1, NotDone);
    }
    m_server.reset();
}

TStartResult TSingleInstance::Start(const QStringList &params)
{
    if (!m_result)
        m_result = Decide(params);
    return *m_result;
}

// While a live copy holds the lock, this copy hands over or fails; it never becomes a
// second first copy. A holder that dies meanwhile lets the lock go, and this copy takes it.
TStartResult TSingleInstance::Decide(const QStringList &params)
{
    const QString refusal = instance::PrepareFolder(m_folder);
    if (!refusal.isEmpty())
        return Unguarded(refusal);
    m_lock = std::make_unique<instance::TLockFile>(m_folder + QLatin1Char('/') +
                                                   QLatin1String(instance::LockFileName));
    const QDeadlineTimer deadline(m_timeouts.ConnectMs);
    for (;;) {
        const instance::TLockFile::TState state = m_lock->TryLock();
        if (state == instance::TLockFile::TState::Held)
            return BecomeFirst();
        if (state == instance::TLockFile::TState::Broken)
            return Unguarded(m_lock->Error());
        QLocalSocket socket;
        socket.connectToServer(SocketPath());
        if (socket.waitForConnected(int(qMin(deadline.remainingTime(), ConnectAttemptMs))))
            return HandOver(socket, params);
        if (deadline.hasExpired())
            return Failed(QStringLiteral("The running copy of Favrake cannot be reached."));
        QThread::msleep(RetryPauseMs);
    }
}

TStartResult TSingleInstance::BecomeFirst()
{
    const QString path = SocketPath();
    QLocalServer::removeServer(path); // left behind by a copy that died
    m_server = std::make_unique<QLocalServer>();
    connect(m_server.get(), &QLocalServer::newConnection, this,
            &TSingleInstance::AcceptConnections);
    if (!m_server->listen(path)) {
        return {TInstanceRole::First, false, 0,
                QStringLiteral("Later copies of Favrake cannot reach this one: ") +
                    m_server->errorString()};
    }
    return {TInstanceRole::First, true, 0, QString()};
}

// The running copy may take long (an uninstall waits for an open question); the wait
// goes on for as long as it sends signs of life.
TStartResult TSingleInstance::HandOver(QLocalSocket &socket, const QStringList &params)
{
    socket.write(EncodeParamsFrame(params));
    const QDeadlineTimer sending(m_timeouts.ConnectMs);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(Remaining(sending))) {
    }
    if (socket.bytesToWrite() > 0)
        return Failed(QStringLiteral("The running copy of Favrake does not take the start."));
    QDeadlineTimer silence(m_timeouts.SilenceMs);
    QByteArray answer;
    for (;;) {
        answer += socket.readAll();
        TReplyRead frame = ReadReplyFrame(answer);
        for (; frame.State == TFrameState::Done && frame.Notice; frame = ReadReplyFrame(answer)) {
            answer.remove(0, frame.Size);
            silence.setRemainingTime(m_timeouts.SilenceMs);
            if (!frame.Text.isEmpty())
                emit Waiting(frame.Text);
        }
        if (frame.State == TFrameState::Done)
            return {TInstanceRole::HandedOver, false, frame.ExitStatus, frame.Text};
        if (frame.State == TFrameState::Invalid)
            return Failed(QStringLiteral("The running copy of Favrake answered garbage."));
        if (socket.state() != QLocalSocket::ConnectedState)
            return Failed(QStringLiteral("The running copy of Favrake ended without answering."));
        if (silence.hasExpired())
            return Failed(QStringLiteral("The running copy of Favrake does not answer."));
        socket.waitForReadyRead(Remaining(silence));
    }
}

void TSingleInstance::AcceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (instance::PeerIsSameUser(socket->socketDescriptor()))
            Serve(socket);
        else
            Drop(socket);
    }
}

// The parameters must arrive whole, as one frame, before the deadline; anything else
// ends the connection.
void TSingleInstance::Serve(QLocalSocket *socket)
{
    socket->setReadBufferSize(MaxFrameBytes);
    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [socket] { Drop(socket); });
    // Deleting the timer ends the reading too: it is the context of the connection.
    connect(socket, &QLocalSocket::readyRead, deadline, [this, socket, deadline] {
        const TParamsRead read = ReadParamsFrame(socket->peek(socket->bytesAvailable()));
        if (read.State == TFrameState::NeedMore)
            return;
        delete deadline;
        if (read.State == TFrameState::Done)
            Deliver(socket, read.Params);
        else
            Drop(socket);
    });
    deadline->start(m_timeouts.ReadMs);
}

void TSingleInstance::Deliver(QLocalSocket *socket, const QStringList &params)
{
    std::erase_if(m_replies,
                  [](const std::weak_ptr<TInstanceReply> &reply) { return reply.expired(); });
    const std::shared_ptr<TInstanceReply> reply(new TInstanceReply(socket));
    m_replies.push_back(reply);
    m_lifeSigns->start(m_timeouts.LifeSignMs);
    emit InstanceStarted(params, reply);
}

// Sent from the event loop: a copy that hangs sends none, and the waiting copy gives up.
void TSingleInstance::SendLifeSigns()
{
    std::erase_if(m_replies, [](const std::weak_ptr<TInstanceReply> &reply) {
        return reply.expired() || reply.lock()->Answered();
    });
    for (const std::weak_ptr<TInstanceReply> &waiting : m_replies) {
        if (const std::shared_ptr<TInstanceReply> reply = waiting.lock())
            reply->Notify(QString());
    }
    if (m_replies.empty())
        m_lifeSigns->stop();
}

QString TSingleInstance::SocketPath() const
{
    return m_folder + QLatin1Char('/') + QLatin1String(instance::SocketFileName);
}
} // namespace platform
