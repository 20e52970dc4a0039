#pragma once

#include "wakeup.h"

#include <QObject>

namespace platform {
// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the user-interface thread (through
// WakeUp's pipe), so that a killed or logged-out program still closes the normal way and
// keeps its settings. One instance per process.
class QuitSignals final : public QObject
{
    Q_OBJECT
  public:
    explicit QuitSignals(QObject *parent = nullptr);

  signals:
    void quitRequested(int signalNumber);

  private:
    void takeSignals();

    const WakeUp m_wakeUp{WakeUp::HangUp::Stops};
    int m_signalsSeen = 0;
};
} // namespace platform
