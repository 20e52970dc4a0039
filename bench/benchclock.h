#pragma once

#include <QElapsedTimer>
#include <functional>

// Milliseconds that work takes.
inline double ms(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}
