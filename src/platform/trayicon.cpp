#include "trayicon.h"

#include <QMenu>

namespace platform {
namespace {
constexpr int maxTipLength = 63;
constexpr int hostPollMs = 3000;
} // namespace

TrayIcon::TrayIcon(QObject *parent, HostProbe hostAvailable)
    : QObject(parent), m_hostAvailable(std::move(hostAvailable)), m_host(m_hostAvailable())
{
    connect(&m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::activated);
    connect(&m_icon, &QSystemTrayIcon::messageClicked, this, &TrayIcon::messageClicked);
    connect(&m_hostPoll, &QTimer::timeout, this, &TrayIcon::checkHost);
    m_hostPoll.start(hostPollMs);
}

void TrayIcon::setEnabled(bool enabled)
{
    m_enabled = enabled;
    m_icon.setContextMenu(enabled ? m_menu : nullptr);
}

void TrayIcon::setIcon(const QIcon &icon)
{
    m_icon.setIcon(icon);
}

void TrayIcon::setHint(const QString &hint)
{
    m_hint = hint.left(maxTipLength);
    updateTip();
}

void TrayIcon::setShowHint(bool show)
{
    m_showHint = show;
    updateTip();
}

void TrayIcon::updateTip()
{
    m_icon.setToolTip(m_showHint ? m_hint : QString());
}

void TrayIcon::setPopupMenu(QMenu *menu)
{
    m_menu = menu;
    m_icon.setContextMenu(m_enabled ? menu : nullptr);
}

void TrayIcon::setIconVisible(bool visible)
{
    m_wanted = visible;
    updateShown();
}

void TrayIcon::updateShown()
{
    m_icon.setVisible(m_wanted && m_host);
}

void TrayIcon::checkHost()
{
    const bool host = m_hostAvailable();
    if (host == m_host)
        return;
    m_host = host;
    updateShown();
    emit hostChanged(host);
}

void TrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    if (!m_enabled)
        return;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit mouseDown(Qt::LeftButton);
        break;
    case QSystemTrayIcon::MiddleClick:
        emit mouseDown(Qt::MiddleButton);
        break;
    case QSystemTrayIcon::Context:
        emit mouseDown(Qt::RightButton); // the menu itself is opened by the tray host
        break;
    case QSystemTrayIcon::DoubleClick:
        if (m_menu && m_menu->defaultAction())
            m_menu->defaultAction()->trigger();
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}

void TrayIcon::showMessage(const QString &text)
{
    if (m_icon.isVisible())
        m_icon.showMessage(QStringLiteral("Favrake"), text, m_icon.icon());
}
} // namespace platform
