#include "quitsignals.h"

#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {
int gPipe[2] = {-1, -1};
constexpr std::array handledSignals = {SIGTERM, SIGHUP, SIGINT};

void onSignal(int number)
{
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
}

void handle(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : handledSignals)
        sigaction(number, &action, nullptr);
}
} // namespace

QuitSignals::QuitSignals(QObject *parent) : QObject(parent)
{
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::drain);
    handle(onSignal);
}

QuitSignals::~QuitSignals()
{
    if (gPipe[0] < 0)
        return;
    handle(SIG_DFL);
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

void QuitSignals::drain()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(gPipe[0], &byte, 1) == 1)
        last = byte;
    if (last != 0)
        emit quitRequested(last);
}
} // namespace platform
