#include "browsers.h"

#include "platform/folders.h"

#include <QDir>

namespace exchange {
namespace {
// Where each browser family keeps its data, relative to the configuration folder and to
// the home folder, with the flatpak and snap application names.
struct Places
{
    const char *configFolder; // below ~/.config (or $XDG_CONFIG_HOME)
    const char *flatpakApp;
    const char *snapApp;
};

Places placesOf(const QString &id)
{
    if (id == u"chromium")
        return {"chromium", "org.chromium.Chromium", "chromium"};
    if (id == u"chrome")
        return {"google-chrome", "com.google.Chrome", nullptr};
    if (id == u"brave")
        return {"BraveSoftware/Brave-Browser", "com.brave.Browser", "brave"};
    if (id == u"edge")
        return {"microsoft-edge", "com.microsoft.Edge", nullptr};
    if (id == u"vivaldi")
        return {"vivaldi", "com.vivaldi.Vivaldi", nullptr};
    return {"mozilla/firefox", "org.mozilla.firefox", "firefox"};
}
} // namespace

QStringList browserDataFolders(const Browser &browser)
{
    const QString home = QDir::cleanPath(platform::homeFolder());
    const QString config = QDir::cleanPath(platform::appDataFolder());
    const Places places = placesOf(browser.id);
    const QString folder = QString::fromLatin1(places.configFolder);
    const QString flatpak =
        home + QStringLiteral("/.var/app/") + QLatin1StringView(places.flatpakApp);
    QStringList folders = {config + u'/' + folder, flatpak + QStringLiteral("/config/") + folder};
    if (browser.family == BrowserFamily::Firefox) {
        folders.prepend(home + QStringLiteral("/.mozilla/firefox"));
        folders << flatpak + QStringLiteral("/.mozilla/firefox");
    }
    if (places.snapApp) {
        const QString snap = home + QStringLiteral("/snap/") + QLatin1StringView(places.snapApp);
        folders << (browser.family == BrowserFamily::Firefox
                        ? snap + QStringLiteral("/common/.mozilla/firefox")
                        : snap + QStringLiteral("/common/") + folder);
    }
    return folders;
}
} // namespace exchange
