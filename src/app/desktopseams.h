#pragma once

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

// The desktop's browser; only http, https and ftp addresses reach it.
class TDesktopOpener final : public TAddressOpener
{
  public:
    bool OpenAddress(const QString &address) override;
    bool OpenFile(const QString &path) override;
};

// The desktop's trash.
class TDesktopTrash final : public TTrash
{
  public:
    bool MoveToTrash(const QString &path) override;
};
