#include "quitsignals.h"

#include <QSocketNotifier>
#include <QTimer>

namespace platform {
QuitSignals::QuitSignals(QObject *parent) : QObject(parent)
{
    if (const int handle = m_wakeUp.readableHandle(); handle >= 0) {
        auto *notifier = new QSocketNotifier(handle, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &QuitSignals::takeSignals);
    } else { // no pipe to wake on: look now and then
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &QuitSignals::takeSignals);
        timer->start(100);
    }
}

void QuitSignals::takeSignals()
{
    m_wakeUp.drain();
    if (const int count = m_wakeUp.signalCount(); count != m_signalsSeen) {
        m_signalsSeen = count;
        emit quitRequested(m_wakeUp.signal());
    }
}
} // namespace platform
