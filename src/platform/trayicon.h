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
class TrayIcon final : public QObject
{
    Q_OBJECT
  public:
    using HostProbe = std::function<bool()>;
    explicit TrayIcon(QObject *parent = nullptr,
                      HostProbe hostAvailable = &QSystemTrayIcon::isSystemTrayAvailable);

    void setEnabled(bool enabled);
    bool enabled() const { return m_enabled; }
    void setIcon(const QIcon &icon);
    void setHint(const QString &hint); // the tip is cut to 63 characters
    QString shownTip() const { return m_icon.toolTip(); }
    void setShowHint(bool show);
    void setPopupMenu(QMenu *menu);
    void setIconVisible(bool visible);
    // A passing message at the icon; a click on it is told by messageClicked.
    void showMessage(const QString &text);
    bool iconVisible() const { return m_wanted; }
    bool hostAvailable() const { return m_host; }

    void activated(QSystemTrayIcon::ActivationReason reason);
    void checkHost(); // polled; public so that tests need not wait

  signals:
    void mouseDown(Qt::MouseButton button);
    void hostChanged(bool available);
    void messageClicked();

  private:
    void updateTip();
    void updateShown();

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
