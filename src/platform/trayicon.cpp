#include "trayicon.h"

#include <QMenu>

namespace platform {
namespace {
constexpr int MaxTipLength = 63;
constexpr int HostPollMs = 3000;
} // namespace

TTrayIcon::TTrayIcon(QObject *parent, HostProbe hostAvailable)
    : QObject(parent), m_hostAvailable(std::move(hostAvailable)), m_host(m_hostAvailable())
{
    connect(&m_icon, &QSystemTrayIcon::activated, this, &TTrayIcon::Activated);
    connect(&m_hostPoll, &QTimer::timeout, this, &TTrayIcon::CheckHost);
    m_hostPoll.start(HostPollMs);
}

void TTrayIcon::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    m_icon.setContextMenu(enabled ? m_menu : nullptr);
}

void TTrayIcon::SetIcon(const QIcon &icon)
{
    m_icon.setIcon(icon);
}

void TTrayIcon::SetHint(const QString &hint)
{
    m_hint = hint.left(MaxTipLength);
    UpdateTip();
}

void TTrayIcon::SetShowHint(bool show)
{
    m_showHint = show;
    UpdateTip();
}

void TTrayIcon::UpdateTip()
{
    m_icon.setToolTip(m_showHint ? m_hint : QString());
}

void TTrayIcon::SetPopupMenu(QMenu *menu)
{
    m_menu = menu;
    m_icon.setContextMenu(m_enabled ? menu : nullptr);
}

void TTrayIcon::SetIconVisible(bool visible)
{
    m_wanted = visible;
    UpdateShown();
}

void TTrayIcon::UpdateShown()
{
    m_icon.setVisible(m_wanted && m_host);
}

void TTrayIcon::CheckHost()
{
    const bool host = m_hostAvailable();
    if (host == m_host)
        return;
    m_host = host;
    UpdateShown();
    emit HostChanged(host);
}

void TTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason)
{
    if (!m_enabled)
        return;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit MouseDown(Qt::LeftButton);
        break;
    case QSystemTrayIcon::MiddleClick:
        emit MouseDown(Qt::MiddleButton);
        break;
    case QSystemTrayIcon::Context:
        emit MouseDown(Qt::RightButton); // the menu itself is opened by the tray host
        break;
    case QSystemTrayIcon::DoubleClick:
        if (m_menu && m_menu->defaultAction())
            m_menu->defaultAction()->trigger();
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}
} // namespace platform
