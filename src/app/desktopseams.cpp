#include "desktopseams.h"

#include "lang/phrases.h"
#include "platform/opener.h"
#include "store/scan.h"
#include "store/textutil.h"

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

QString OpenFailureText(platform::OpenFailure failure)
{
    switch (failure) {
    case platform::OpenFailure::None:
        return QString();
    case platform::OpenFailure::NotWeb:
        return Phrase("ErrNotWeb");
    case platform::OpenFailure::NoOpener:
        return Phrase("ErrNoOpener");
    case platform::OpenFailure::NoHandler:
        return Phrase("ErrNoBrowser");
    case platform::OpenFailure::OpenerFailed:
        break;
    }
    return Phrase("ErrOpenerFailed");
}

platform::LateFailure TDesktopOpener::ReportLate(const QString &target) const
{
    return [report = m_reportLate, target](platform::OpenFailure failure) {
        report(FillPhrase(Phrase("ErrOpenBrowser"), {target, OpenFailureText(failure)}));
    };
}

QString TDesktopOpener::OpenFile(const QString &path)
{
    return OpenFailureText(platform::openLocalFile(path, ReportLate(displayFileName(path))));
}

QString TDesktopOpener::OpenAddress(const QString &address)
{
    return OpenFailureText(platform::openAddress(address, ReportLate(address)));
}

bool TDesktopTrash::MoveToTrash(const QString &path)
{
    return DeleteToRecycleBin(path);
}
