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
constexpr int retryPauseMs = 50;
constexpr qint64 connectAttemptMs = 500;

StartResult failed(const QString &why)
{
    return {InstanceRole::Failed, false, 0, why};
}

StartResult unguarded(const QString &why)
{
    return {InstanceRole::First, false, 0,
            QStringLiteral("Favrake runs without its single-instance guard: ") + why};
}

int remaining(const QDeadlineTimer &deadline)
{
    return int(deadline.remainingTime());
}

void drop(QLocalSocket *socket)
{
    socket->abort();
    socket->deleteLater();
}

const QString notDone = QStringLiteral("The running copy of Favrake ended without doing it.");
} // namespace

InstanceReply::InstanceReply(QLocalSocket *socket) : m_socket(socket) {}

InstanceReply::~InstanceReply()
{
    answer(1, notDone);
}

void InstanceReply::notify(const QString &text)
{
    if (m_answered || !m_socket)
        return;
    m_socket->write(encodeNoticeFrame(text));
    m_socket->flush();
}

void InstanceReply::answer(int exitStatus, const QString &text)
{
    if (m_answered)
        return;
    m_answered = true;
    if (!m_socket)
        return; // the other copy is gone
    m_socket->write(encodeReplyFrame(exitStatus, text));
    m_socket->flush();
    m_socket->disconnectFromServer();
}

SingleInstance::SingleInstance(const QString &folder, const InstanceTimeouts &timeouts,
                               QObject *parent)
    : QObject(parent), m_folder(QDir::cleanPath(folder)), m_timeouts(timeouts),
      m_lifeSigns(new QTimer(this))
{
    connect(m_lifeSigns, &QTimer::timeout, this, &SingleInstance::sendLifeSigns);
}

SingleInstance::~SingleInstance()
{
    for (const std::weak_ptr<InstanceReply> &waiting : m_replies) {
        if (const std::shared_ptr<InstanceReply> reply = waiting.lock())
            reply->answer(1, notDone);
    }
    m_server.reset();
}

StartResult SingleInstance::start(const QStringList &params)
{
    if (!m_result)
        m_result = decide(params);
    return *m_result;
}

// While a live copy holds the lock, this copy hands over or fails; it never becomes a
// second first copy. A holder that dies meanwhile lets the lock go, and this copy takes it.
StartResult SingleInstance::decide(const QStringList &params)
{
    const QString refusal = instance::prepareFolder(m_folder);
    if (!refusal.isEmpty())
        return unguarded(refusal);
    m_lock = std::make_unique<instance::LockFile>(m_folder + QLatin1Char('/') +
                                                  QLatin1String(instance::lockFileName));
    const QDeadlineTimer deadline(m_timeouts.connectMs);
    for (;;) {
        const instance::LockFile::State state = m_lock->tryLock();
        if (state == instance::LockFile::State::Held)
            return becomeFirst();
        if (state == instance::LockFile::State::Broken)
            return unguarded(m_lock->error());
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(qMin(deadline.remainingTime(), connectAttemptMs))))
            return handOver(socket, params);
        if (deadline.hasExpired())
            return failed(QStringLiteral("The running copy of Favrake cannot be reached."));
        QThread::msleep(retryPauseMs);
    }
}

StartResult SingleInstance::becomeFirst()
{
    const QString path = socketPath();
    QLocalServer::removeServer(path); // left behind by a copy that died
    m_server = std::make_unique<QLocalServer>();
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    if (!m_server->listen(path)) {
        return {InstanceRole::First, false, 0,
                QStringLiteral("Later copies of Favrake cannot reach this one: ") +
                    m_server->errorString()};
    }
    return {InstanceRole::First, true, 0, QString()};
}

// The running copy may take long (an uninstall waits for an open question); the wait
// goes on for as long as it sends signs of life.
StartResult SingleInstance::handOver(QLocalSocket &socket, const QStringList &params)
{
    socket.write(encodeParamsFrame(params));
    const QDeadlineTimer sending(m_timeouts.connectMs);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(remaining(sending))) {
    }
    if (socket.bytesToWrite() > 0)
        return failed(QStringLiteral("The running copy of Favrake does not take the start."));
    QDeadlineTimer silence(m_timeouts.silenceMs);
    QByteArray answer;
    for (;;) {
        answer += socket.readAll();
        ReplyRead frame = readReplyFrame(answer);
        for (; frame.state == FrameState::Done && frame.notice; frame = readReplyFrame(answer)) {
            answer.remove(0, frame.size);
            silence.setRemainingTime(m_timeouts.silenceMs);
            if (!frame.text.isEmpty())
                emit waiting(frame.text);
        }
        if (frame.state == FrameState::Done)
            return {InstanceRole::HandedOver, false, frame.exitStatus, frame.text};
        if (frame.state == FrameState::Invalid)
            return failed(QStringLiteral("The running copy of Favrake answered garbage."));
        if (socket.state() != QLocalSocket::ConnectedState)
            return failed(QStringLiteral("The running copy of Favrake ended without answering."));
        if (silence.hasExpired())
            return failed(QStringLiteral("The running copy of Favrake does not answer."));
        socket.waitForReadyRead(remaining(silence));
    }
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (instance::peerIsSameUser(socket->socketDescriptor()))
            serve(socket);
        else
            drop(socket);
    }
}

// The parameters must arrive whole, as one frame, before the deadline; anything else
// ends the connection.
void SingleInstance::serve(QLocalSocket *socket)
{
    socket->setReadBufferSize(maxFrameBytes);
    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [socket] { drop(socket); });
    // Deleting the timer ends the reading too: it is the context of the connection.
    connect(socket, &QLocalSocket::readyRead, deadline, [this, socket, deadline] {
        const ParamsRead read = readParamsFrame(socket->peek(socket->bytesAvailable()));
        if (read.state == FrameState::NeedMore)
            return;
        delete deadline;
        if (read.state == FrameState::Done)
            deliver(socket, read.params);
        else
            drop(socket);
    });
    deadline->start(m_timeouts.readMs);
}

void SingleInstance::deliver(QLocalSocket *socket, const QStringList &params)
{
    std::erase_if(m_replies,
                  [](const std::weak_ptr<InstanceReply> &reply) { return reply.expired(); });
    const std::shared_ptr<InstanceReply> reply(new InstanceReply(socket));
    m_replies.push_back(reply);
    m_lifeSigns->start(m_timeouts.lifeSignMs);
    emit instanceStarted(params, reply);
}

// Sent from the event loop: a copy that hangs sends none, and the waiting copy gives up.
void SingleInstance::sendLifeSigns()
{
    std::erase_if(m_replies, [](const std::weak_ptr<InstanceReply> &reply) {
        return reply.expired() || reply.lock()->answered();
    });
    for (const std::weak_ptr<InstanceReply> &waiting : m_replies) {
        if (const std::shared_ptr<InstanceReply> reply = waiting.lock())
            reply->notify(QString());
    }
    if (m_replies.empty())
        m_lifeSigns->stop();
}

QString SingleInstance::socketPath() const
{
    return m_folder + QLatin1Char('/') + QLatin1String(instance::socketFileName);
}
} // namespace platform
