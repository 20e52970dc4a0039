#pragma once

#include "folders.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QLocalServer;
class QLocalSocket;
class QTimer;

namespace platform {
namespace instance {
class LockFile;
}

enum class InstanceRole {
    First,      // this copy runs; it alone may save settings
    HandedOver, // the running copy took the parameters: end with ExitStatus, save nothing
    Failed,     // a running copy exists but could not be reached: end with status 1
};

struct StartResult
{
    InstanceRole role = InstanceRole::Failed;
    bool listening = false; // First: later copies reach this one
    int exitStatus = 0;     // HandedOver: the running copy's answer
    // HandedOver: the running copy's answer (for stdout when its status is 0, else for
    // stderr); Failed: why; First without listening: why the guard is off (for stderr).
    QString text;
};

struct InstanceTimeouts
{
    int connectMs = 5000;  // to reach a copy that holds the lock and deliver the parameters
    int silenceMs = 60000; // without a sign of life from the running copy, which sends one
                           // every LifeSignMs while it works on the answer
    int readMs = 2000;     // for a connecting copy's parameters to arrive
    int lifeSignMs = 1000;
};

// The running copy's answer to one handed-over start. It can be given later (after an
// uninstall ran at a later tick); the first answer counts. One never given is a failure,
// sent when the last holder lets go of it or the guard ends: what was asked was not done.
class InstanceReply final
{
  public:
    ~InstanceReply();
    InstanceReply(const InstanceReply &) = delete;
    InstanceReply &operator=(const InstanceReply &) = delete;

    void answer(int exitStatus, const QString &text = QString()); // status 0 to 255, else 1
    // Tells the waiting copy what the answer waits for; an empty text is a sign of life.
    void notify(const QString &text);
    bool answered() const { return m_answered; }

  private:
    friend class SingleInstance;
    explicit InstanceReply(QLocalSocket *socket);

    QPointer<QLocalSocket> m_socket;
    bool m_answered = false;
};

// Lets one copy of the program run per user. The first copy holds a lock in the folder for
// its whole life and listens there; a later copy hands its parameters to it and waits for
// its answer. A copy that dies lets go of the lock, so it never blocks the next start.
class SingleInstance final : public QObject
{
    Q_OBJECT
  public:
    explicit SingleInstance(const QString &folder = runtimeInstanceFolder(),
                            const InstanceTimeouts &timeouts = InstanceTimeouts(),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    // Decides this copy's role; a later copy blocks here until the running copy answers,
    // for as long as that copy shows signs of life. A folder that cannot be trusted turns
    // the guard off: First without listening. Later calls give the first call's result.
    StartResult start(const QStringList &params);

  signals:
    // Another copy started with these parameters (at most ten, each at most 300 units).
    void instanceStarted(const QStringList &params, std::shared_ptr<platform::InstanceReply> reply);
    // In a later copy, while Start waits: what the running copy's answer waits for.
    void waiting(const QString &text);

  private:
    StartResult decide(const QStringList &params);
    StartResult becomeFirst();
    StartResult handOver(QLocalSocket &socket, const QStringList &params);
    void acceptConnections();
    void serve(QLocalSocket *socket);
    void deliver(QLocalSocket *socket, const QStringList &params);
    void sendLifeSigns();
    QString socketPath() const;

    QString m_folder;
    InstanceTimeouts m_timeouts;
    std::optional<StartResult> m_result;
    // The lock is let go only after the server has closed and removed its socket file,
    // so that it never removes the socket of the copy that comes next.
    std::unique_ptr<instance::LockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    std::vector<std::weak_ptr<InstanceReply>> m_replies;
    QTimer *m_lifeSigns = nullptr;
};
} // namespace platform
