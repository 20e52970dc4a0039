#pragma once

#include "store/intervals.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The program's options, stored in section "Config" of the settings file.
struct Settings
{
    bool installed = false;
    bool noNetAccess = false;
    bool showBrowserWnd = false;
    bool dontDelete = false;
    bool pocketView = false;
    bool noHints = false;
    bool noSpeedWnd = false;
    int selectionMode = 1;     // 1 oldest first, 2 newest first, -1 random, other unsorted
    int remindInterval = 7;    // days
    int refreshInterval = 30;  // days
    int refreshAfterFail = 30; // minutes
    QByteArray language = "English";
    QString homepage;        // empty: the start page of the local help
    QString suggestServer;   // empty: link suggestions go to a local page, no server is asked
    QString favoritesFolder; // empty: ~/Favorites; $FAVRAKE_FAVORITES wins over both
};

extern const Settings defaultSettings;
extern Settings settings; // the one shared record, used on the user-interface thread

enum FlagKind { FlagInfo = 0, FlagConfirm = 1 };

// Reads Settings from "Favrake.ini" in appDataFolder (empty: no settings file at all, the
// defaults hold and nothing is ever written). arguments are the command-line parameters.
void loadSettings(const QStringList &arguments, const QString &appDataFolder);
// At program end (and where a decision must hold at once); writes nothing unless installed,
// or when skipped. Returns what failed, for the user; empty when saved or nothing to save.
QString saveSettings();

const QString &settingsFile();
bool readFlag(FlagKind kind, const QString &key, bool defaultValue);
bool writeFlag(FlagKind kind, const QString &key, bool value);
bool flagsExist(FlagKind kind);
bool clearFlags(FlagKind kind);
void disableSaving();
bool deleteSettingsFile();

// The folder of the collection: $FAVRAKE_FAVORITES, else the setting, else ~/Favorites.
QString favoritesFolderInUse();
// The folder in use becomes the setting, so that a start without $FAVRAKE_FAVORITES (as at
// login) reads the same collection.
void keepFolderInUse();

// The intervals the bookmark list works with, taken from Settings when asked.
Intervals settingsIntervals();
