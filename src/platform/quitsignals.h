#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {
// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the user-interface thread (through a
// self-pipe), so that a killed or logged-out program still closes the normal way and keeps
// its settings. One instance per process.
class TQuitSignals final : public QObject
{
    Q_OBJECT
  public:
    explicit TQuitSignals(QObject *parent = nullptr);
    ~TQuitSignals() override;

  signals:
    void QuitRequested(int signalNumber);

  private:
    void Drain();

    QSocketNotifier *m_notifier = nullptr;
};
} // namespace platform
