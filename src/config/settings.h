#pragma once

#include "store/bookmarks.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The program's options, stored in section "Config" of the settings file.
struct TMWConfig
{
    bool Installed = false;
    bool NoNetAccess = false;
    bool ShowBrowserWnd = false;
    bool DontDelete = false;
    bool PocketView = false;
    bool NoHints = false;
    bool NoSpeedWnd = false;
    int SelectionMode = 1;     // 1 oldest first, 2 newest first, -1 random, other unsorted
    int RemindInterval = 7;    // days
    int RefreshInterval = 30;  // days
    int RefreshAfterFail = 30; // minutes
    QByteArray Language = "English";
    QString Homepage;        // empty: the start page of the local help
    QString SuggestServer;   // empty: link suggestions go to a local page, no server is asked
    QString FavoritesFolder; // empty: ~/Favorites; $FAVRAKE_FAVORITES wins over both
};

extern const TMWConfig DefaultSettings;
extern TMWConfig Settings; // the one shared record, used on the user-interface thread

enum TFlagKind { FlagInfo = 0, FlagConfirm = 1 };

// Reads Settings from "Favrake.ini" in appDataFolder (empty: no settings file at all, the
// defaults hold and nothing is ever written). arguments are the command-line parameters.
void LoadSettings(const QStringList &arguments, const QString &appDataFolder);
// At program end (and where a decision must hold at once); writes nothing unless installed,
// or when skipped. Returns what failed, for the user; empty when saved or nothing to save.
QString SaveSettings();

const QString &SettingsFile();
bool ReadFlag(TFlagKind kind, const QString &key, bool defaultValue);
bool WriteFlag(TFlagKind kind, const QString &key, bool value);
bool FlagsExist(TFlagKind kind);
bool ClearFlags(TFlagKind kind);
void DisableSaving();
bool DeleteSettingsFile();

// The folder of the collection: $FAVRAKE_FAVORITES, else the setting, else ~/Favorites.
QString FavoritesFolderInUse();
// The folder in use becomes the setting, so that a start without $FAVRAKE_FAVORITES (as at
// login) reads the same collection.
void KeepFolderInUse();

// The intervals the bookmark list works with, taken from Settings when asked.
TIntervals SettingsIntervals();
