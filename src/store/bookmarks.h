#pragma once

#include "datetime.h"
#include "intervals.h"
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
inline constexpr int maxEvidenceLength = 80;

struct BookmarkRec
{
    QString fileName;
    QString title;
    QString descr;
    DateTime referenceTime = 0;
    QString url;       // "InternetShortcut" / "URL" as read
    QString storedUrl; // the address the last successful refresh reached
    int shown = 0;
    DateTime refreshed = 0;
    int refreshState = 0; // negative: the last refresh failed
    QString refreshMsg;
    DateTime remindTime = 0; // -1: kept for good
    QString subjectPhrase;
    QString match;
    int rating = 0;
    // What the checks of the link found; written only once it was checked.
    LinkHistory history;
    LinkVerdict verdict = LinkVerdict::None;
    QString evidence; // what the verdict rests on, at most MaxEvidenceLength units
    // Not stored: no refresh before this time (after a check that could not record).
    DateTime notBefore = 0;

    // A fingerprint of the section's values as read or last written; a save finding other
    // values refuses to write, so state that another program or computer stored meanwhile
    // is never overwritten.
    size_t storedState = 0;
};

// What the list needs from its surroundings; tests hand in their own.
struct BookmarksEnv
{
    Clock now = nowDateTime;
    std::function<Intervals()> intervals = [] { return Intervals{}; };
    const platform::FileWriteOps *writeOps = &platform::systemFileWriteOps();
    int readThreads = int(qBound(1u, std::thread::hardware_concurrency(), 4u));
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
class Bookmarks final
{
  public:
    explicit Bookmarks(const QString &favoritesPath, BookmarksEnv env = {});
    Bookmarks(const Bookmarks &) = delete;
    Bookmarks &operator=(const Bookmarks &) = delete;

    const QString &favoritesPath() const { return m_favoritesPath; } // ends with "/"
    Intervals intervals() const { return m_env.intervals(); }
    DateTime now() const { return m_env.now(); }
    int count() const { return int(m_records.size()); }
    int folderCount() const { return int(m_folders.size()); }
    const QStringList &folders() const { return m_folders; } // listed by the last Load

    int load();
    // Reads another Favorites folder, which the list stands for from now on.
    int loadFrom(const QString &favoritesPath);
    void clear();

    bool isValidIndex(int i) const;
    BookmarkRec *item(int i); // valid until the next Load or Clear
    const BookmarkRec *item(int i) const;
    // As shown to the user (see displayFileName), not paths.
    QString displayName(int i) const;
    QString folderName(int i) const;

    bool isActive(int i) const;
    bool isKept(int i) const;
    bool isRemindDue(int i) const;
    bool isRefreshDue(int i) const;
    bool isUnchanged(int i) const;
    bool hasSuggestion(int i) const;
    QString matchText(int i) const;
    QByteArray phraseText(int i) const;

    int activeCount() const;
    int keptCount() const;
    int refreshDueCount() const;
    int notDueCount() const;

    bool save(int i);
    // Stores the user's decision (the remind time; -1 keeps for good). A file that another
    // refresh wrote meanwhile, with the same address and decision values, is read again and
    // the decision goes onto its fresh content. On failure the record is read again as the
    // file stands now, and a file that is gone leaves the rotation.
    bool saveDecision(int i, DateTime remindTime);
    // A moved link's new address becomes the bookmark's own ("URL" of the browser's
    // section), with the usual check that the file is unchanged; false when nothing was
    // written (lastSaveFailure says why; a changed file is read again).
    bool useNewAddress(int i);
    SaveFailure lastSaveFailure() const { return m_lastSaveFailure; }
    // Erases the state section of every file that still holds the address read at load;
    // returns the files that keep one (changed meanwhile, unwritable).
    QStringList removeAllState();
    void clearShown();
    void putBackAll();
    void refreshAll();
    void findSubject(int i);
    // Record i's file went (to the trash, or away): out of the rotation and out of the kept
    // count until the folder is read anew.
    void markGone(int i);
    // Another program refreshed record i's file: when only the refresh's values changed
    // (same address and decision values), the record takes them and this says true; else
    // the record stays as read, for the next save to find out.
    bool takeOutsideRefresh(int i);

  private:
    // Both run on reading threads: they touch nothing but their own record.
    static std::unique_ptr<BookmarkRec> readRecord(const QString &fileName, int remindInterval);
    static void readState(BookmarkRec &rec, const IniDocument &doc, int remindInterval);
    int countWhere(bool (Bookmarks::*test)(int) const) const;
    // Puts the file's current content into record i, keeping what only this program knows;
    // false when the file is gone.
    bool reread(int i);
    // Puts fresh into record i, keeping what only this program knows.
    void adopt(int i, BookmarkRec &&fresh);
    // Lets change edit the file when it still holds rec; keeps its new state or why not.
    bool updateFile(BookmarkRec &rec, const std::function<bool(IniDocument &)> &change);

    QString m_favoritesPath;
    BookmarksEnv m_env;
    std::vector<std::unique_ptr<BookmarkRec>> m_records;
    QStringList m_folders;
    SaveFailure m_lastSaveFailure = SaveFailure::None;
};
