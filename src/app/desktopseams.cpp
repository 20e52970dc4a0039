#include "desktopseams.h"

#include "lang/phrases.h"
#include "platform/opener.h"
#include "store/scan.h"
#include "store/textutil.h"

QtReviewTimer::QtReviewTimer(std::function<void()> onTick)
{
    QObject::connect(&m_timer, &QTimer::timeout, std::move(onTick));
}

void QtReviewTimer::start(int intervalMs)
{
    m_timer.start(intervalMs);
}

void QtReviewTimer::stop()
{
    m_timer.stop();
}

bool QtReviewTimer::isActive() const
{
    return m_timer.isActive();
}

QString openFailureText(platform::OpenFailure failure)
{
    switch (failure) {
    case platform::OpenFailure::None:
        return QString();
    case platform::OpenFailure::NotWeb:
        return phrase("ErrNotWeb");
    case platform::OpenFailure::NoOpener:
        return phrase("ErrNoOpener");
    case platform::OpenFailure::NoHandler:
        return phrase("ErrNoBrowser");
    case platform::OpenFailure::OpenerFailed:
        break;
    }
    return phrase("ErrOpenerFailed");
}

platform::LateFailure DesktopOpener::reportLate(const QString &target) const
{
    return [report = m_reportLate, target](platform::OpenFailure failure) {
        report(fillPhrase(phrase("ErrOpenBrowser"), {target, openFailureText(failure)}));
    };
}

QString DesktopOpener::openFile(const QString &path)
{
    return openFailureText(platform::openLocalFile(path, reportLate(displayFileName(path))));
}

QString DesktopOpener::openAddress(const QString &address)
{
    return openFailureText(platform::openAddress(address, reportLate(address)));
}

bool DesktopTrash::moveToTrash(const QString &path)
{
    return deleteToRecycleBin(path);
}
