#pragma once

#include "platform/opener.h"
#include "reviewseams.h"

#include <QTimer>
#include <functional>

// The review's timer over a QTimer; a tick calls the handler given.
class TQtReviewTimer final : public TReviewTimer
{
  public:
    explicit TQtReviewTimer(std::function<void()> onTick);
    void Start(int intervalMs) override;
    void Stop() override;
    bool IsActive() const override;

  private:
    QTimer m_timer;
};

// The desktop's browser; only http, https and ftp addresses reach it. What goes wrong
// after the browser's start is told through reportLate, as the whole message.
class TDesktopOpener final : public TAddressOpener
{
  public:
    explicit TDesktopOpener(std::function<void(const QString &message)> reportLate)
        : m_reportLate(std::move(reportLate))
    {
    }
    QString OpenAddress(const QString &address) override;
    QString OpenFile(const QString &path) override;

  private:
    platform::LateFailure ReportLate(const QString &target) const;

    std::function<void(const QString &)> m_reportLate;
};

// Why the desktop could not open what it was handed, as the user reads it; empty for none.
QString OpenFailureText(platform::OpenFailure failure);

// The desktop's trash.
class TDesktopTrash final : public TTrash
{
  public:
    bool MoveToTrash(const QString &path) override;
};
