#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>

class QMenu;

namespace platform {
// The program's icon in the notification area. A left click reports MouseDown, a right
// click opens the menu, a double click runs the menu's default item. Without a tray host
// the icon cannot be shown; HostChanged tells the owner, which then keeps a normal window,
// and the icon comes back by itself when a host appears.
class TTrayIcon final : public QObject
{
    Q_OBJECT
  public:
    using HostProbe = std::function<bool()>;
    explicit TTrayIcon(QObject *parent = nullptr,
                       HostProbe hostAvailable = &QSystemTrayIcon::isSystemTrayAvailable);

    void SetEnabled(bool enabled);
    bool Enabled() const { return m_enabled; }
    void SetIcon(const QIcon &icon);
    void SetHint(const QString &hint); // the tip is cut to 63 characters
    QString ShownTip() const { return m_icon.toolTip(); }
    void SetShowHint(bool show);
    void SetPopupMenu(QMenu *menu);
    void SetIconVisible(bool visible);
    bool IconVisible() const { return m_wanted; }
    bool HostAvailable() const { return m_host; }

    void Activated(QSystemTrayIcon::ActivationReason reason);
    void CheckHost(); // polled; public so that tests need not wait

  signals:
    void MouseDown(Qt::MouseButton button);
    void HostChanged(bool available);

  private:
    void UpdateTip();
    void UpdateShown();

    QSystemTrayIcon m_icon;
    HostProbe m_hostAvailable;
    QTimer m_hostPoll;
    QMenu *m_menu = nullptr;
    QString m_hint;
    bool m_showHint = true;
    bool m_enabled = true;
    bool m_wanted = false;
    bool m_host = false;
};
} // namespace platform
