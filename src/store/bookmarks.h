#pragma once

#include "datetime.h"
#include "linkhistory.h"
#include "platform/files.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class IniDocument;

// The state of one Internet-Shortcut file, kept in its own "Merkwerk" section.
inline constexpr int MaxEvidenceLength = 80;

struct TBookmarkRec
{
    QString FileName;
    QString Title;
    QString Descr;
    TDateTime ReferenceTime = 0;
    QString URL;       // "InternetShortcut" / "URL" as read
    QString StoredURL; // the address the last successful refresh reached
    int Shown = 0;
    TDateTime Refreshed = 0;
    int RefreshState = 0; // negative: the last refresh failed
    QString RefreshMsg;
    TDateTime RemindTime = 0; // -1: kept for good
    QString SubjectPhrase;
    QString Match;
    int Rating = 0;
    // What the checks of the link found; written only once it was checked.
    LinkHistory History;
    LinkVerdict Verdict = LinkVerdict::None;
    QString Evidence; // what the verdict rests on, at most MaxEvidenceLength units
    // Not stored: no refresh before this time (after a check that could not record).
    TDateTime NotBefore = 0;

    // A fingerprint of the section's values as read or last written; a save finding other
    // values refuses to write, so state that another program or computer stored meanwhile
    // is never overwritten.
    size_t StoredState = 0;
};

struct TIntervals
{
    int RemindInterval = 7;    // days
    int RefreshInterval = 30;  // days
    int RefreshAfterFail = 30; // minutes
};

// What the list needs from its surroundings; tests hand in their own.
struct TBookmarksEnv
{
    Clock Now = NowDateTime;
    std::function<TIntervals()> Intervals = [] { return TIntervals{}; };
    const platform::FileWriteOps *WriteOps = &platform::systemFileWriteOps();
    int ReadThreads = int(qBound(1u, std::thread::hardware_concurrency(), 4u));
};

// Why the last Save wrote nothing.
enum class SaveFailure {
    None,
    NoAddress,  // the record has no address, so it cannot tell its file is still the same
    Changed,    // the file is gone or no longer holds what the record was read from
    TooLarge,   // the file grew over the size a bookmark file may have
    Unwritable, // the file is as it was, but could not be replaced
};

// One record per ".URL" file below the Favorites folder, indexed in scan order.
class TBookmarks final
{
  public:
    explicit TBookmarks(const QString &favoritesPath, TBookmarksEnv env = {});
    TBookmarks(const TBookmarks &) = delete;
    TBookmarks &operator=(const TBookmarks &) = delete;

    const QString &FavoritesPath() const { return m_favoritesPath; } // ends with "/"
    TIntervals Intervals() const { return m_env.Intervals(); }
    int Count() const { return int(m_records.size()); }
    int FolderCount() const { return int(m_folders.size()); }
    const QStringList &Folders() const { return m_folders; } // listed by the last Load

    int Load();
    // Reads another Favorites folder, which the list stands for from now on.
    int LoadFrom(const QString &favoritesPath);
    void Clear();

    bool IsValidIndex(int i) const;
    TBookmarkRec *Item(int i); // valid until the next Load or Clear
    const TBookmarkRec *Item(int i) const;
    // As shown to the user (see displayFileName), not paths.
    QString DisplayName(int i) const;
    QString FolderName(int i) const;

    bool IsActive(int i) const;
    bool IsKept(int i) const;
    bool IsRemindDue(int i) const;
    bool IsRefreshDue(int i) const;
    bool IsUnchanged(int i) const;
    bool HasSuggestion(int i) const;
    QString MatchText(int i) const;
    QByteArray PhraseText(int i) const;

    int ActiveCount() const;
    int KeptCount() const;
    int RefreshDueCount() const;
    int NotDueCount() const;

    bool Save(int i);
    // A moved link's new address becomes the bookmark's own ("URL" of the browser's
    // section), with the usual check that the file is unchanged; false when nothing was
    // written (lastSaveFailure says why).
    bool UseNewAddress(int i);
    SaveFailure lastSaveFailure() const { return m_lastSaveFailure; }
    // Erases the state section of every file that still holds the address read at load;
    // returns the files that keep one (changed meanwhile, unwritable).
    QStringList RemoveAllState();
    void ClearShown();
    void PutBackAll();
    void RefreshAll();
    void FindSubject(int i);

  private:
    // Both run on reading threads: they touch nothing but their own record.
    static std::unique_ptr<TBookmarkRec> ReadRecord(const QString &fileName, int remindInterval);
    static void ReadState(TBookmarkRec &rec, const IniDocument &doc, int remindInterval);
    int CountWhere(bool (TBookmarks::*test)(int) const) const;
    // Lets change edit the file when it still holds rec; keeps its new state or why not.
    bool UpdateFile(TBookmarkRec &rec, const std::function<bool(IniDocument &)> &change);

    QString m_favoritesPath;
    TBookmarksEnv m_env;
    std::vector<std::unique_ptr<TBookmarkRec>> m_records;
    QStringList m_folders;
    SaveFailure m_lastSaveFailure = SaveFailure::None;
};
