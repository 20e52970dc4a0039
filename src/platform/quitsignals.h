#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {
// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the user-interface thread (through a
// self-pipe), so that a killed or logged-out program still closes the normal way and keeps
// its settings. One instance per process.
class QuitSignals final : public QObject
{
    Q_OBJECT
  public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

  signals:
    void quitRequested(int signalNumber);

  private:
    void drain();

    QSocketNotifier *m_notifier = nullptr;
};
} // namespace platform
