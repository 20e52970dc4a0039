#pragma once

#include "bookmarktree.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace exchange {
enum class BrowserFamily { Firefox, Chromium };

struct Browser
{
    QString id;   // as the command line names it: "firefox", "chrome" ...
    QString name; // as the user knows it
    BrowserFamily family;
};

// Firefox and the Chromium family: chromium, chrome, brave, edge, vivaldi.
const std::vector<Browser> &knownBrowsers();
const Browser *findBrowser(QStringView id); // without regard to case; nullptr when unknown

// The folders where a browser keeps its profiles on this system, native, snap and flatpak
// installs alike: for Firefox those that may hold a profiles.ini, for the Chromium family
// the user-data folders. Whether they exist is not checked.
QStringList browserDataFolders(const Browser &browser);

struct BrowserProfile
{
    const Browser *browser = nullptr;
    QString folder;
    QString name;
    bool isDefault = false;
};

// Every profile found that holds bookmarks, the default one first.
std::vector<BrowserProfile> browserProfiles(const Browser &browser);

// The profile a user asks for: a folder, or the name of a profile (its folder's name for
// the Chromium family); with nothing asked, the default profile.
std::optional<BrowserProfile> pickProfile(const Browser &browser, const QString &requested);

SourceRead readProfile(const BrowserProfile &profile);

// The bookmarks of a file, told by its content whatever its name: a Firefox places.sqlite
// (an SQLite database), a Chromium-family "Bookmarks" file (a JSON object), else bookmark
// HTML.
SourceRead readBookmarkSource(const QString &path);

// What the welcome dialog and the import menu offer: every profile that holds bookmarks,
// each browser's default one first, with its bookmark count.
struct FoundBrowser
{
    BrowserProfile profile;
    int bookmarkCount = 0; // http, https and ftp addresses
};
std::vector<FoundBrowser> findBrowsers();
} // namespace exchange
