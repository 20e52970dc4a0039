#include "desktopseams.h"

#include "platform/opener.h"
#include "store/scan.h"

TQtReviewTimer::TQtReviewTimer(std::function<void()> onTick)
{
    QObject::connect(&m_timer, &QTimer::timeout, std::move(onTick));
}

void TQtReviewTimer::Start(int intervalMs)
{
    m_timer.start(intervalMs);
}

void TQtReviewTimer::Stop()
{
    m_timer.stop();
}

bool TQtReviewTimer::IsActive() const
{
    return m_timer.isActive();
}

bool TDesktopOpener::OpenFile(const QString &path)
{
    return platform::openLocalFile(path);
}

bool TDesktopOpener::OpenAddress(const QString &address)
{
    return platform::openAddress(address);
}

bool TDesktopTrash::MoveToTrash(const QString &path)
{
    return DeleteToRecycleBin(path);
}
