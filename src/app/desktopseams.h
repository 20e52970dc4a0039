#pragma once

#include "platform/opener.h"
#include "reviewseams.h"

#include <QTimer>
#include <functional>

// The review's timer over a QTimer; a tick calls the handler given.
class QtReviewTimer final : public ReviewTimer
{
  public:
    explicit QtReviewTimer(std::function<void()> onTick);
    void start(int intervalMs) override;
    void stop() override;
    bool isActive() const override;

  private:
    QTimer m_timer;
};

// The desktop's browser; only http, https and ftp addresses reach it. What goes wrong
// after the browser's start is told through reportLate, as the whole message.
class DesktopOpener final : public AddressOpener
{
  public:
    explicit DesktopOpener(std::function<void(const QString &message)> reportLate)
        : m_reportLate(std::move(reportLate))
    {
    }
    QString openAddress(const QString &address) override;
    QString openFile(const QString &path) override;

  private:
    platform::LateFailure reportLate(const QString &target) const;

    std::function<void(const QString &)> m_reportLate;
};

// Why the desktop could not open what it was handed, as the user reads it; empty for none.
QString openFailureText(platform::OpenFailure failure);

// The desktop's trash.
class DesktopTrash final : public Trash
{
  public:
    bool moveToTrash(const QString &path) override;
};
